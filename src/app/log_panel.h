// The log box's one writer.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// Writes the message as a line at the end of the log box. trim first reduces
// console output to one line; a message of fewer than two bytes writes
// nothing; blank_after adds an empty line (also when nothing else was written).
void append_log(Ports& ports, const Text& message, bool blank_after = false, bool trim = false);

// The text with its outer line breaks removed, through the platform's
// regular-expression component when one is given and works, else natively.
Text strip_line_breaks(const Text& text, RegexPort* regex);

}  // namespace tc
