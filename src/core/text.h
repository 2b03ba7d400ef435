// Texts are byte strings in the ANSI code page (936); lengths, positions and
// comparisons count bytes. Text lists are addressed from position 1 in the
// program's description; here they are plain vectors (index 0 is position 1).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tc {

using Text = std::string;
using TextList = std::vector<Text>;

// Bytes become a text up to, not including, the first zero byte.
Text text_from_bytes(const char* bytes, std::size_t count);

bool ends_with_backslash(const Text& path);

// A copy with one backslash appended when it does not already end in one
// (PathAddBackslashA).
Text with_backslash(const Text& path);

}  // namespace tc
