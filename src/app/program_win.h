// The main window with the program's own adapters wired to the cleaning run:
// everything WinMain sets up after start-up, so benchmarks and soak tests
// can drive exactly the window the program shows.
#pragma once
#include <windows.h>

#include <memory>

#include "app/log_box_win.h"
#include "app/main_window_win.h"
#include "app/regex_object_win.h"
#include "cleaning/files_win.h"
#include "cleaning/processes_win.h"
#include "ports/ports.h"
#include "system/command_runner_win.h"
#include "system/events_win.h"

namespace tc {

class MemoryModule;
class RegistryAccess;

class ProgramWindow {
 public:
  ProgramWindow(MemoryModule& module, RegistryAccess& registry);
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;

  // Creates and shows the window (the skin is attached in its created event)
  // and points the button at the cleaning run; false when it could not be made.
  bool create(HINSTANCE instance, int show_command);

  MainWindow window;
  Win32EventPort events;
  Win32Console console;
  Win32Files files;
  Win32Processes processes;
  Win32Regex regex;
  std::unique_ptr<Win32LogBox> log_box;  // once the window exists
  std::unique_ptr<Ports> ports;          // likewise

 private:
  MemoryModule& module_;
  RegistryAccess& registry_;
};

}  // namespace tc
