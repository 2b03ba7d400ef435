// Program entry: the two program-wide objects, the exit handler, the skin,
// the main window and its message loop.
#include <windows.h>

#include <cstdlib>

#include "app/program_win.h"
#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "system/registry_access.h"
#include "system/registry_win.h"

namespace {

tc::MemoryModule* g_memory_module = nullptr;
tc::RegistryAccess* g_registry_access = nullptr;

// Their destroy operations release nothing: the loaded skin engine stays in
// memory until the process ends.
void exit_handler() {
  delete g_memory_module;
  g_memory_module = nullptr;
  delete g_registry_access;
  g_registry_access = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  g_memory_module = tc::new_program_memory_module();
  g_registry_access = new tc::RegistryAccess(tc::win32_registry_port());
  std::atexit(exit_handler);
  tc::skin_startup_hook(*g_memory_module);

  tc::ProgramWindow program(*g_memory_module, *g_registry_access);
  if (!program.create(instance, show_command)) return 1;

  return tc::run_message_loop(program.window.window());
}
