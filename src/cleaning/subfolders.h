// The immediate sub-folders of a folder, as full paths in search order.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// Appends the folder (with one backslash) followed by the name of each
// sub-folder whose name does not begin with a dot; returns how many.
int list_subfolders(Ports& ports, const Text& folder, TextList& subfolders);

}  // namespace tc
