#include "cleaning/name_folding.h"

#include "cleaning/path_helpers.h"

namespace tc {

Text fold_name(const Text& name) {
  Text folded = name;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (byte >= 0x80) {
      ++i;  // the trail byte goes along unchanged
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return folded;
}

Text to_upper_copy(const Text& text) {
  Text upper = text;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const auto byte = static_cast<unsigned char>(upper[i]);
    if (is_lead_byte(byte)) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      upper[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return upper;
}

int find_line_containing(const Text& text, const Text& search, bool case_sensitive) {
  if (text.empty()) return 0;
  const Text haystack = case_sensitive ? text : fold_name(text);
  const Text needle = case_sensitive ? search : fold_name(search);
  int number = 1;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = haystack.find("\r\n", start);
    const std::size_t length = (end == Text::npos ? haystack.size() : end) - start;
    if (haystack.substr(start, length).find(needle) != Text::npos) return number;
    if (end == Text::npos) return 0;
    start = end + 2;
    ++number;
  }
}

}  // namespace tc
