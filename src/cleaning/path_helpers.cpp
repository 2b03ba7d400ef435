#include "cleaning/path_helpers.h"

#include <cstddef>

namespace tc {

namespace {

// CharNextA over code page 936: a lead byte takes its trail byte along, but
// never steps over the end of the text.
std::size_t next_char(const Text& text, std::size_t i) {
  if (is_lead_byte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) return i + 2;
  return i + 1;
}

}  // namespace

bool path_exists(Ports& ports, const Text& path) { return ports.files.path_file_exists(path); }

Text file_extension(const Text& path) {
  std::size_t dot = Text::npos;
  for (std::size_t i = 0; i < path.size(); i = next_char(path, i)) {
    const char c = path[i];
    if (c == '\\' || c == ' ') {
      dot = Text::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  return dot == Text::npos ? Text() : path.substr(dot);
}

Text file_name_of(const Text& path) {
  // A separator counts only when something other than a separator follows it,
  // so "C:\a\b\" finds "b\", which ends in a backslash and gives nothing.
  std::size_t start = 0;
  bool last_is_backslash = false;  // a trail byte 0x5C is no separator
  for (std::size_t i = 0; i < path.size(); i = next_char(path, i)) {
    const char c = path[i];
    last_is_backslash = c == '\\';
    if ((c == '\\' || c == ':' || c == '/') && i + 1 < path.size() && path[i + 1] != '\\' &&
        path[i + 1] != '/') {
      start = i + 1;
    }
  }
  if (last_is_backslash) return Text();
  return path.substr(start);
}

Text comparable_path(const Text& path) {
  Text result;
  std::size_t i = 0;
  bool after_separator = false;
  if (path.compare(0, 2, "\\\\") == 0) {
    result = "\\\\";
    i = 2;
    after_separator = true;
  }
  std::size_t last_separator = Text::npos;
  while (i < path.size()) {
    const std::size_t next = next_char(path, i);
    const char c = path[i];
    if (next - i == 2) {
      result.append(path, i, 2);
      after_separator = false;
    } else if (c == '\\' || c == '/') {
      if (!after_separator) {
        last_separator = result.size();
        result += '\\';
      }
      after_separator = true;
    } else {
      result += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      after_separator = false;
    }
    i = next;
  }
  if (last_separator != Text::npos && last_separator + 1 == result.size()) result.pop_back();
  return result;
}

}  // namespace tc
