// What the idle and demo-run benchmarks share: a fine clock, the process's
// CPU time, percentiles, the FIGURE line scripts/bench collects, and the
// program's own window, adapters and skin set up as WinMain sets them up.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/program_win.h"
#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "system/events_win.h"
#include "system/registry_access.h"
#include "system/registry_win.h"

namespace tc_bench {

inline double now_ms() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

// Kernel and user time of this process so far.
inline double process_cpu_ms() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

// Nearest rank.
inline double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t index =
      static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

inline double largest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

inline void figure(const char* name, double value, const char* unit, const char* target) {
  std::printf("FIGURE\t%s\t%.3f\t%s\t%s\n", name, value, unit, target);
  std::fflush(stdout);
}

// The window the user sees, skinned, with the real adapters behind its ports.
class Program {
 public:
  Program()
      : module_(tc::new_program_memory_module()),
        registry_(tc::win32_registry_port()),
        program_(*module_, registry_) {
    tc::set_program_quitting(false);
    tc::skin_startup_hook(*module_);
    created_ = program_.create(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    if (created_) tc::set_dialog_window(program_.window.window());
    settle();
  }
  ~Program() { tc::set_dialog_window(nullptr); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool created() const { return created_; }
  tc::ProgramWindow& window() { return program_; }
  tc::Ports& ports() { return *program_.ports; }

  std::string log_text() const {
    const HWND box = program_.window.log_box();
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(box, &text[0], static_cast<int>(text.size()))));
    return text;
  }

  // Lets the window paint and handle what is queued before a measurement.
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

}  // namespace tc_bench
