// A virtual clock behind EventPort. Every process_events call advances the
// clock by step_ms (1 by default) and runs the actions that have come due, so
// "ten attempts one second apart" run in microseconds with exact timings.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "ports/events.h"

namespace tc {

class FakeEventPort : public EventPort {
 public:
  explicit FakeEventPort(std::uint32_t start_ms = 1000) : now_(start_ms) {}

  void process_events() override;
  std::uint32_t tick_count() override { return now_; }
  bool quitting() override { return quitting_; }
  // Moves the clock on to the end of the wait, or to just before the next
  // due action when that comes first (its message would wake the wait).
  void wait_for_message(std::uint32_t milliseconds) override;

  // Moves the clock on without pumping (the time a command takes).
  void advance(std::uint32_t ms) { now_ += ms; }
  // Runs the action inside the first process_events at or after the time
  // (a click on the button, the window being closed, a file unlocking).
  void at(std::uint32_t ms, std::function<void()> action);
  void set_quitting(bool quitting) { quitting_ = quitting; }

  std::uint32_t step_ms = 1;
  std::uint64_t pumps() const { return pumps_; }
  std::uint64_t sleeps() const { return sleeps_; }

 private:
  struct Due {
    std::uint32_t at;
    std::function<void()> action;
  };
  std::uint32_t now_;
  bool quitting_ = false;
  std::uint64_t pumps_ = 0;
  std::uint64_t sleeps_ = 0;
  std::vector<Due> due_;
};

}  // namespace tc
