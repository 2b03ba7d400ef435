// How the cleaning routines hand a command to the interpreter.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// The interpreter expands %variables% even inside quotes and a double quote
// ends the quoted argument, so such a path would name something else.
bool path_safe_for_command(const Text& path);

// run_command, except once the program is quitting: then nothing is started
// and the output is empty.
Text run_cleaning_command(Ports& ports, const Text& command);

}  // namespace tc
