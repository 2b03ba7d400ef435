// Removing a folder with everything under it.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// PathIsDirectoryA gives exactly the directory attribute (16).
bool folder_exists(Ports& ports, const Text& path);

// Appends, depth first, the full paths of the files matching the pattern in
// the folder and below it. Folders that are reparse points (junctions,
// symbolic links) are never entered: what lies behind them is not ours.
void collect_files(Ports& ports, const Text& folder, const Text& pattern, TextList& files);

// Quietly removes every executable below the folder, then "rd /s /q", up to
// ten attempts a second apart, logging its progress. True when it is gone.
bool remove_folder_tree(Ports& ports, const Text& folder);

}  // namespace tc
