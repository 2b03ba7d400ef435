#include "system/delay.h"

namespace tc {

void delay_with_events(EventPort& events, std::int32_t milliseconds) {
  if (milliseconds <= 0) return;
  // Elapsed time as an unsigned difference, so the wait keeps its length
  // across the 49.7-day wrap of the tick count.
  const std::uint32_t start = events.tick_count();
  const auto length = static_cast<std::uint32_t>(milliseconds);
  for (;;) {
    events.process_events();
    events.process_events();
    if (events.quitting()) return;
    if (events.tick_count() - start > length) return;
    events.process_events();
    events.process_events();
  }
}

}  // namespace tc
