// Text rules of the cleaning run: name folding (the comparison of image
// names), the ANSI upper-casing and the search for a line of command output.
#pragma once
#include "core/text.h"

namespace tc {

// A-Z become a-z; a byte of 0x80 or more starts a double-byte character that
// is copied unchanged together with the byte after it.
Text fold_name(const Text& name);

// CharUpperA in code page 936: a-z become A-Z, and the double-byte small
// letters with a capital in the code page (full-width Latin, Greek, Cyrillic,
// small Roman numerals) become it; every other character stays.
Text to_upper_copy(const Text& text);

// The 1-based number of the first CR-LF separated line that contains the
// search text (letter case ignored unless case_sensitive), or 0.
int find_line_containing(const Text& text, const Text& search, bool case_sensitive = false);

}  // namespace tc
