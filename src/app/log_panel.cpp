#include "app/log_panel.h"

namespace tc {

namespace {

const char kLineBreak[] = "\r\n";

// The pattern that deletes a carriage return beginning a line and a line feed
// ending one, with ^ and $ taken line by line.
const char kOuterBreaks[] = "(?:^\\r|\\n$)";

bool is_break(char c) { return c == '\r' || c == '\n'; }

// The same deletion without the component: with multi-line anchors, ^ holds
// at the start and after CR or LF, $ at the end and before CR or LF, judged on
// the original text (each match is one byte, so matches never overlap).
Text strip_outer_breaks_natively(const Text& text) {
  Text out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '\r' && (i == 0 || is_break(text[i - 1]))) continue;
    if (c == '\n' && (i + 1 == n || is_break(text[i + 1]))) continue;
    out.push_back(c);
  }
  return out;
}

// PathRemoveBlanksA: spaces only, tabs stay.
Text remove_blanks(const Text& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == Text::npos) return Text();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

Text line_breaks_to_spaces(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out.push_back(' ');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

bool starts_with_break(const Text& text) { return text.compare(0, 2, kLineBreak) == 0; }

bool ends_with_break(const Text& text) {
  return text.size() >= 2 && text.compare(text.size() - 2, 2, kLineBreak) == 0;
}

}  // namespace

Text strip_line_breaks(const Text& text, RegexPort* regex) {
  Text inner = text;
  if (starts_with_break(inner)) inner.erase(0, 2);
  if (ends_with_break(inner)) inner.erase(inner.size() - 2);
  Text replaced;
  if (regex != nullptr && regex->search_replace(kOuterBreaks, inner, Text(), replaced)) {
    return replaced;
  }
  // The component is optional on newer systems: give the same bytes without it.
  return strip_outer_breaks_natively(inner);
}

void append_log(Ports& ports, const Text& message, bool blank_after, bool trim) {
  Text line = message;
  if (trim) {
    line = strip_line_breaks(line, ports.regex);
    line = remove_blanks(line);
    line = line_breaks_to_spaces(line);
  }
  if (line.size() > 1) ports.log.append_text(line + kLineBreak);
  if (blank_after) ports.log.append_text(kLineBreak);
}

}  // namespace tc
