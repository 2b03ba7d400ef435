// The system's well-known folders, as the system itself names them.
#pragma once
#include "ports/files.h"

namespace tc {

// The folder's full path without a trailing backslash (a drive root keeps
// its own); empty when this system has no such folder.
Text win32_known_folder(KnownFolder which);

}  // namespace tc
