#include "module/memory_module_win.h"

#include <windows.h>

#include "module/call_native.h"

namespace tc {
namespace {
std::uint32_t as_value(const void* p) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}
}  // namespace

std::uint32_t Win32ModulePort::allocate(std::uint32_t address, std::uint32_t size) {
  void* block = VirtualAlloc(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), size,
                             MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
  return as_value(block);
}

bool Win32ModulePort::release(std::uint32_t base) {
  return VirtualFree(reinterpret_cast<void*>(static_cast<std::uintptr_t>(base)), 0,
                     MEM_RELEASE) != FALSE;
}

unsigned char* Win32ModulePort::memory(std::uint32_t base) {
  return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(base));
}

std::uint32_t Win32ModulePort::load_library(const char* name) {
  return as_value(LoadLibraryA(name));
}

std::uint32_t Win32ModulePort::proc_by_name(std::uint32_t library, const char* name) {
  HMODULE module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(library));
  return as_value(reinterpret_cast<const void*>(GetProcAddress(module, name)));
}

std::uint32_t Win32ModulePort::proc_by_ordinal(std::uint32_t library, std::uint16_t ordinal) {
  HMODULE module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(library));
  return as_value(reinterpret_cast<const void*>(
      GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(ordinal)))));
}

std::uint32_t Win32ModulePort::call(std::uint32_t code, std::uint32_t v1, std::uint32_t v2,
                                    std::uint32_t v3) {
  return call_native10(code, v1, v2, v3);
}

std::uint32_t Win32ModulePort::call_resolver(std::uint32_t code, const char* library,
                                             const char* name, std::uint32_t data) {
  return call_native10(code, as_value(library), as_value(name), data);
}

Win32ModulePort& win32_module_port() {
  static Win32ModulePort port;
  return port;
}

}  // namespace tc
