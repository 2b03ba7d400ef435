// Deleting one program file, ending the process that runs it first.
#pragma once
#include <cstdint>

#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// Clears the attributes and deletes, again and again without pause and
// without pumping messages, until the file is gone or the limit has passed.
void force_delete_file(Ports& ports, const Text& path, std::uint32_t limit_ms);

// Loud: "taskkill" and "del" through the interpreter, up to ten attempts a
// second apart, and one outcome line. Quiet: the system's process and file
// functions, nothing logged. True when the file is gone at the end.
bool remove_executable(Ports& ports, const Text& path, bool quiet);

}  // namespace tc
