// The program's own window, adapters and skin, set up in the calling process
// as WinMain sets them up, so soak tests and benchmarks can work exactly what
// the user sees, many times over, and look at the process in between.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "app/program_win.h"
#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "system/events_win.h"
#include "system/registry_access.h"
#include "system/registry_win.h"

namespace tc_test {

class ProgramFixture {
 public:
  ProgramFixture()
      : module_(tc::new_program_memory_module()),
        registry_(tc::win32_registry_port()),
        program_(*module_, registry_) {
    tc::set_program_quitting(false);
    tc::skin_startup_hook(*module_);
    created_ = program_.create(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    if (created_) tc::set_dialog_window(program_.window.window());
    settle();
  }
  ~ProgramFixture() { tc::set_dialog_window(nullptr); }
  ProgramFixture(const ProgramFixture&) = delete;
  ProgramFixture& operator=(const ProgramFixture&) = delete;

  bool created() const { return created_; }
  tc::Ports& ports() { return *program_.ports; }
  tc::ProgramWindow& program() { return program_; }

  // Presses the button as the user does; the run happens inside the click.
  void click() { SendMessageA(program_.window.button(), BM_CLICK, 0, 0); }

  std::string log_text() const {
    const HWND box = program_.window.log_box();
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(box, &text[0], static_cast<int>(text.size()))));
    return text;
  }
  void clear_log() { SetWindowTextA(program_.window.log_box(), ""); }

  // Lets the window paint and handle what is queued, as between two clicks.
  static void settle() {
    for (int i = 0; i < 10; ++i) {
      tc::process_events();
      Sleep(10);
    }
  }

 private:
  std::unique_ptr<tc::MemoryModule> module_;
  tc::RegistryAccess registry_;
  tc::ProgramWindow program_;
  bool created_ = false;
};

}  // namespace tc_test
