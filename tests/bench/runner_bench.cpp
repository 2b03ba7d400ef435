// Figures for the command runner: its cost over a bare process start, the
// CPU it burns while a command runs, and how long posted window messages wait
// while it polls. Each figure is printed as one line
//   FIGURE <tab> name <tab> value <tab> unit <tab> target
// for scripts/bench, after a human-readable line.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_figures.h"
#include "system/command_runner_win.h"
#include "system/events_win.h"

namespace {

using tc::bench::figure;
using tc::bench::now_ms;
using tc::bench::percentile;
using tc::bench::process_cpu_ms;

std::string helper_line(const char* arguments) {
  std::string path = TC_BINARY_DIR "/tests/helpers/runner_writer.exe";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "\"Z:" + path + "\" " + arguments;
}

// The same interpreter line started the plain way and waited for.
double bare_start_ms(const std::string& application, const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  char line[] = "cmd.exe /c rem";
  const double start = now_ms();
  if (!CreateProcessA(application.c_str(), line, nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    return -1.0;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return now_ms() - start;
}

void bench_overhead() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  const std::string application = std::string(folder) + "\\cmd.exe";
  std::vector<double> ratios, runs, bares;
  tc::run_command("rem");  // the first start pays for loading the interpreter
  for (int pair = 0; pair < 200; ++pair) {
    const double start = now_ms();
    tc::run_command("rem");
    const double run = now_ms() - start;
    const double bare = bare_start_ms(application, folder);
    if (bare <= 0.0) continue;
    runs.push_back(run);
    bares.push_back(bare);
    ratios.push_back(run / bare);
  }
  std::printf("run_command(\"rem\") median %.1f ms, bare CreateProcessA+WaitForSingleObject median %.1f ms, %zu pairs\n",
              percentile(runs, 0.5), percentile(bares, 0.5), ratios.size());
  figure("run_command / bare start, median ratio", percentile(ratios, 0.5), "x", "<= 1.10");
}

void bench_cpu_share() {
  const std::string line = helper_line("sleep 3000");
  const double cpu_start = process_cpu_ms();
  const double start = now_ms();
  tc::run_command(line);
  const double wall = now_ms() - start;
  const double cpu = process_cpu_ms() - cpu_start;
  std::printf("CPU %.1f ms over %.1f ms of a 3-second command\n", cpu, wall);
  figure("CPU share while a 3 s command runs", wall > 0 ? 100.0 * cpu / wall : 0.0, "%", "<= 2");
}

std::vector<double> g_delays;
double g_base_ms = 0.0;

LRESULT CALLBACK record_delay(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP) {
    // The poster sent its time-stamp in microseconds since the start.
    g_delays.push_back(now_ms() - g_base_ms - static_cast<double>(wparam) / 1000.0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void bench_dispatch_delay() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = record_delay;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "TcRunnerBench";
  RegisterClassA(&window_class);
  const HWND window = CreateWindowA("TcRunnerBench", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                    window_class.hInstance, nullptr);
  g_base_ms = now_ms();
  std::atomic<bool> running{true};
  std::thread poster([&] {
    while (running) {
      Sleep(7);
      PostMessageA(window, WM_APP, static_cast<WPARAM>((now_ms() - g_base_ms) * 1000.0), 0);
    }
  });
  tc::run_command(helper_line("sleep 3000"));
  running = false;
  poster.join();
  // What was posted after the command ended is not part of the figure.
  const std::size_t measured = g_delays.size();
  tc::process_events();
  std::vector<double> delays(g_delays.begin(), g_delays.begin() + static_cast<std::ptrdiff_t>(measured));
  DestroyWindow(window);
  std::printf("%zu messages posted while run_command waited: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
              delays.size(), percentile(delays, 0.5), percentile(delays, 0.99),
              delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()));
  figure("dispatch delay while waiting, p50", percentile(delays, 0.5), "ms", "-");
  figure("dispatch delay while waiting, p99", percentile(delays, 0.99), "ms", "<= 20");
}

}  // namespace

int main() {
  bench_overhead();
  bench_cpu_share();
  bench_dispatch_delay();
  return 0;
}
