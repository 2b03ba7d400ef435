#include "app/program_win.h"

#include "cleaning/cleaning_run.h"
#include "module/skin_attach.h"

namespace tc {

ProgramWindow::ProgramWindow(MemoryModule& module, RegistryAccess& registry)
    : module_(module), registry_(registry) {}

bool ProgramWindow::create(HINSTANCE instance, int show_command) {
  window.on_created = [this] { on_main_window_created(module_); };
  if (!window.create(instance, show_command)) return false;
  log_box = std::make_unique<Win32LogBox>(window.log_box());
  ports.reset(new Ports{*log_box, events, console, files, processes, registry_, &regex});
  window.on_clicked = [this] { run_cleaning(*ports); };
  return true;
}

}  // namespace tc
