#include "fakes/fake_events.h"

namespace tc {

void FakeEventPort::at(std::uint32_t ms, std::function<void()> action) {
  due_.push_back(Due{ms, std::move(action)});
}

void FakeEventPort::wait_for_message(std::uint32_t milliseconds) {
  ++sleeps_;
  // Wake so that the next pump lands on the action's time, as it would
  // without the sleep.
  std::uint32_t wake = now_ + milliseconds;
  for (const Due& due : due_) {
    const std::uint32_t before = due.at - step_ms;
    if (static_cast<std::int32_t>(before - now_) <= 0) return;  // the next pump runs it
    if (static_cast<std::int32_t>(before - wake) < 0) wake = before;
  }
  now_ = wake;
}

void FakeEventPort::process_events() {
  ++pumps_;
  now_ += step_ms;
  // An action may pump again (a nested run): take it out of the list first.
  for (std::size_t i = 0; i < due_.size(); ++i) {
    if (static_cast<std::int32_t>(now_ - due_[i].at) >= 0) {
      std::function<void()> action = std::move(due_[i].action);
      due_.erase(due_.begin() + static_cast<std::ptrdiff_t>(i));
      action();
      return;
    }
  }
}

}  // namespace tc
