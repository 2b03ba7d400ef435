// Waiting while the window keeps processing its messages.
#pragma once
#include <cstdint>

#include "ports/events.h"

namespace tc {

// Waits the given milliseconds (none for 0 or less) without sleeping,
// dispatching window messages all the while; returns early when quitting.
void delay_with_events(EventPort& events, std::int32_t milliseconds);

}  // namespace tc
