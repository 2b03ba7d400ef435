// Loading the stored skin engine at start-up and attaching the skin when the
// main window has been created.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/text.h"

namespace tc {

class MemoryModule;

// Start-up hook: loads the stored engine image into the module; the result
// is not looked at by start-up.
bool skin_startup_hook(MemoryModule& module);

// Finds SkinH_AttachRes in the loaded module and calls it with the skin
// bytes, their count, the password (0 when empty) and the three values.
// Makes no call and gives 0 when the export is not there.
std::uint32_t attach_skin(MemoryModule& module, const unsigned char* skin, std::size_t length,
                          const Text& password, std::uint32_t value1 = 0,
                          std::uint32_t value2 = 0, std::uint32_t value3 = 0);

// The main window's created-event handler: attach_skin with the stored skin.
void on_main_window_created(MemoryModule& module);

// The program-wide instance for this platform (Win32: VirtualAlloc and
// LoadLibraryA behind the portable mapping).
MemoryModule* new_program_memory_module();

}  // namespace tc
