#include "fakes/fake_events.h"

namespace tc {

void FakeEventPort::at(std::uint32_t ms, std::function<void()> action) {
  due_.push_back(Due{ms, std::move(action)});
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
