// The small path helpers the removal routines share, with the semantics of
// the shell path functions they stand for.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// PathFileExistsA: a file or folder is at the path.
bool path_exists(Ports& ports, const Text& path);

// The extension of the last component, dot included, as PathFindExtensionA
// finds it (the last dot after the last backslash, with no space after it);
// empty when there is none.
Text file_extension(const Text& path);

// The last component as PathFindFileNameA finds it; empty when that
// component ends in a backslash.
Text file_name_of(const Text& path);

// The path in the form two spellings of one path share: letters folded to
// small, runs of backslashes folded to one (a leading UNC pair stays) and no
// trailing backslash.
Text comparable_path(const Text& path);

// True for a lead byte of a double-byte character of code page 936.
inline bool is_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace tc
