// The Win32 port of the in-memory loader: VirtualAlloc, LoadLibraryA,
// GetProcAddress, and calls through call_native10.
#pragma once
#include "module/memory_module.h"

namespace tc {

class Win32ModulePort : public ModulePort {
 public:
  std::uint32_t allocate(std::uint32_t address, std::uint32_t size) override;
  bool release(std::uint32_t base) override;
  unsigned char* memory(std::uint32_t base) override;
  std::uint32_t load_library(const char* name) override;
  std::uint32_t proc_by_name(std::uint32_t library, const char* name) override;
  std::uint32_t proc_by_ordinal(std::uint32_t library, std::uint16_t ordinal) override;
  std::uint32_t call(std::uint32_t code, std::uint32_t v1, std::uint32_t v2,
                     std::uint32_t v3) override;
  std::uint32_t call_resolver(std::uint32_t code, const char* library, const char* name,
                              std::uint32_t data) override;
};

// The program's port (it keeps no state).
Win32ModulePort& win32_module_port();

}  // namespace tc
