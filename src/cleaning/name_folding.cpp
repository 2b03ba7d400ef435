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

namespace {

// CharUpperA goes through Unicode, so the double-byte small letters of code
// page 936 whose capitals it also holds change too: full-width Latin, Greek,
// Cyrillic and the small Roman numerals. The file system takes such names as
// one, so the sweep must as well.
unsigned char upper_trail(unsigned char lead, unsigned char trail) {
  switch (lead) {
    case 0xA3:  // ａ-ｚ
      return trail >= 0xE1 && trail <= 0xFA ? static_cast<unsigned char>(trail - 0x20) : trail;
    case 0xA6:  // α-ω
      return trail >= 0xC1 && trail <= 0xD8 ? static_cast<unsigned char>(trail - 0x20) : trail;
    case 0xA7:  // а-я with ё
      return trail >= 0xD1 && trail <= 0xF1 ? static_cast<unsigned char>(trail - 0x30) : trail;
    case 0xA2:  // ⅰ-ⅹ
      return trail >= 0xA1 && trail <= 0xAA ? static_cast<unsigned char>(trail + 0x50) : trail;
    default:
      return trail;
  }
}

}  // namespace

Text to_upper_copy(const Text& text) {
  Text upper = text;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const auto byte = static_cast<unsigned char>(upper[i]);
    if (is_lead_byte(byte)) {
      if (i + 1 < upper.size()) {
        upper[i + 1] = static_cast<char>(upper_trail(byte, static_cast<unsigned char>(upper[i + 1])));
      }
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
