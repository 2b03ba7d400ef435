// Waiting while the window keeps processing its messages.
#pragma once
#include <cstdint>

#include "ports/events.h"

namespace tc {

// Waits the given milliseconds (none for 0 or less), dispatching window
// messages as they arrive and sleeping while none do; returns early when
// quitting.
void delay_with_events(EventPort& events, std::int32_t milliseconds);

}  // namespace tc
