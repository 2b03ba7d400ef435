// The message queue and the tick count. process_events dispatches what is
// waiting (it leaves WM_QUIT in the queue and then reports quitting()).
#pragma once
#include <cstdint>

namespace tc {

class EventPort {
 public:
  virtual ~EventPort() = default;
  virtual void process_events() = 0;
  // GetTickCount: milliseconds, wrapping every 49.7 days.
  virtual std::uint32_t tick_count() = 0;
  // True once the program is quitting (the window was closed): waits return
  // at once and no further command is started.
  virtual bool quitting() = 0;
  // Blocks until a message is waiting or the milliseconds have passed; at
  // once when one is waiting already. Waits sleep here instead of spinning.
  virtual void wait_for_message(std::uint32_t milliseconds) = 0;
};

}  // namespace tc
