// The system registry behind RegistryPort (advapi32).
#pragma once
#include "ports/registry_port.h"

namespace tc {

// The one program-wide adapter; it holds no state.
RegistryPort& win32_registry_port();

}  // namespace tc
