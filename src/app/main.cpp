// Program entry: the two program-wide objects, the exit handler, the skin,
// the main window and its message loop.
#include <windows.h>

#include <cstdlib>

#include "app/log_box_win.h"
#include "app/main_window_win.h"
#include "app/regex_object_win.h"
#include "cleaning/cleaning_run.h"
#include "cleaning/files_win.h"
#include "cleaning/processes_win.h"
#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "ports/ports.h"
#include "system/command_runner_win.h"
#include "system/events_win.h"
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

  tc::MainWindow window;
  window.on_created = [] { tc::on_main_window_created(*g_memory_module); };
  if (!window.create(instance, show_command)) return 1;

  tc::Win32LogBox log_box(window.log_box());
  tc::Win32EventPort events;
  tc::Win32Console console;
  tc::Win32Files files;
  tc::Win32Processes processes;
  tc::Win32Regex regex;
  tc::Ports ports{log_box, events, console, files, processes, *g_registry_access, &regex};
  window.on_clicked = [&ports] { tc::run_cleaning(ports); };

  return tc::run_message_loop(window.window());
}
