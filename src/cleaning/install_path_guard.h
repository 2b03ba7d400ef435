// Whether an install path read from the registry may be cleaned at all.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// True for an absolute local or UNC folder path with no quote, percent sign,
// control byte, wildcard or "."/".." component, whose folder is not a drive
// or share root, the Windows or system folder, a Program Files folder,
// ProgramData, the Users folder or a user profile folder. Everything the run
// deletes is named relative to this folder, so a wrong one cannot be undone.
bool install_path_is_safe(Ports& ports, const Text& path);

}  // namespace tc
