#include "module/skin_attach.h"

#include <cstdint>

#include "module/call_native.h"
#include "module/memory_module.h"
#include "module/memory_module_win.h"
#include "module/stored_skin.h"

namespace tc {
namespace {
std::uint32_t as_value(const void* p) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}
}  // namespace

bool skin_startup_hook(MemoryModule& module) {
  return module.load_image(tc_stored_engine_image, tc_stored_engine_image_size);
}

std::uint32_t attach_skin(MemoryModule& module, const unsigned char* skin, std::size_t length,
                          const Text& password, std::uint32_t value1, std::uint32_t value2,
                          std::uint32_t value3) {
  const std::uint32_t address = module.find_export("SkinH_AttachRes");
  // Without the engine the window keeps the standard look.
  if (address == 0) return 0;
  const std::uint32_t skin_address = (skin != nullptr && length > 0) ? as_value(skin) : 0;
  const std::uint32_t count = skin_address ? static_cast<std::uint32_t>(length) : 0;
  const std::uint32_t password_address = password.empty() ? 0 : as_value(password.c_str());
  return call_native10(address, skin_address, count, password_address, value1, value2, value3);
}

void on_main_window_created(MemoryModule& module) {
  attach_skin(module, tc_stored_skin_file, tc_stored_skin_file_size, Text());
}

MemoryModule* new_program_memory_module() { return new MemoryModule(win32_module_port()); }

}  // namespace tc
