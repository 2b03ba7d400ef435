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
    const std::uint32_t elapsed = events.tick_count() - start;
    if (elapsed > length) return;
    events.process_events();
    events.process_events();
    // Sleep until a message comes or the wait is over, rather than spin: a
    // ten-second retry loop would otherwise keep a whole core busy.
    events.wait_for_message(length - elapsed + 1);
  }
}

}  // namespace tc
