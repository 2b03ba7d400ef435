// Start-up time of the real program against the smallest Win32 program that
// opens one window, built the same way: from just before CreateProcessA until
// the window is visible and, for the real program, skinned (the skin engine
// marks every window it has subclassed with a window property, which another
// process can read). The two programs are started in turns, each closed and
// ended before the next start.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "e2e/driver.h"

namespace {

using tc::bench::now_ms;

constexpr DWORD kTimeoutMs = 30000;
constexpr int kPairs = 20;
constexpr char kSkinKindProp[] = "TelvoSkin.Kind";
constexpr char kMinimalTitle[] = "TcMinimalWindow";

struct StartUp {
  bool ok = false;
  double shown_ms = 0.0;    // a visible top-level window of the process has the title
  double skinned_ms = 0.0;  // ... and its push button carries the skin's mark
  double ended_ms = 0.0;    // from WM_CLOSE to the end of the process
};

HWND visible_window_of(DWORD pid, const char* title) {
  HWND candidate = nullptr;
  while ((candidate = FindWindowExA(nullptr, candidate, nullptr, title)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner == pid && IsWindowVisible(candidate)) return candidate;
  }
  return nullptr;
}

bool skinned(HWND window) {
  if (GetPropA(window, kSkinKindProp) == nullptr) return false;
  HWND button = FindWindowExA(window, nullptr, "Button", nullptr);
  return button != nullptr && GetPropA(button, kSkinKindProp) != nullptr;
}

// Asks the program to close as its close box would; ends it the hard way
// when it does not go.
void close_and_wait(HANDLE process, HWND window, StartUp* result) {
  const double asked = now_ms();
  if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 15000) != WAIT_OBJECT_0) {
    std::printf("a program did not end within 15 s of WM_CLOSE: terminated\n");
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    result->ok = false;
  }
  result->ended_ms = now_ms() - asked;
}

StartUp start_once(const std::string& exe, const char* title, bool wait_for_skin) {
  StartUp result;
  const std::string folder = exe.substr(0, exe.find_last_of('\\'));
  std::string command_line = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  const double start = now_ms();
  if (!CreateProcessA(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info)) {
    std::printf("cannot start %s: error %lu\n", exe.c_str(), GetLastError());
    return result;
  }
  HWND window = nullptr;
  for (;;) {
    if (window == nullptr) {
      window = visible_window_of(info.dwProcessId, title);
      if (window != nullptr) result.shown_ms = now_ms() - start;
    }
    if (window != nullptr && (!wait_for_skin || skinned(window))) {
      result.skinned_ms = now_ms() - start;
      result.ok = true;
      break;
    }
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_TIMEOUT) {
      std::printf("%s ended before its window was %s\n", exe.c_str(),
                  window == nullptr ? "shown" : "skinned");
      break;
    }
    if (now_ms() - start > kTimeoutMs) {
      std::printf("%s: no %s window within %lu ms\n", exe.c_str(),
                  window == nullptr ? "shown" : "skinned", kTimeoutMs);
      break;
    }
    Sleep(1);
  }
  close_and_wait(info.hProcess, window, &result);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

}  // namespace

int main() {
  const std::string product = tc::e2e::product_exe();
  const std::string minimal = tc::bench::bench_program("minimal_window.exe");
  // The first start of each pays for the file cache and Wine's first look
  // at the image: not part of the figure.
  start_once(product, tc::e2e::kTitle, true);
  start_once(minimal, kMinimalTitle, false);

  std::vector<double> product_shown, product_skinned, minimal_shown, ratios, ends;
  for (int pair = 0; pair < kPairs; ++pair) {
    const StartUp real = start_once(product, tc::e2e::kTitle, true);
    const StartUp base = start_once(minimal, kMinimalTitle, false);
    ends.push_back(real.ended_ms);
    ends.push_back(base.ended_ms);
    if (!real.ok || !base.ok || base.skinned_ms <= 0.0) continue;
    product_shown.push_back(real.shown_ms);
    product_skinned.push_back(real.skinned_ms);
    minimal_shown.push_back(base.skinned_ms);
    ratios.push_back(real.skinned_ms / base.skinned_ms);
  }
  std::printf("%zu of %d pairs measured; polled every 1 ms\n", ratios.size(), kPairs);
  std::printf("TelvoCleaner.exe: shown median %.1f ms, shown and skinned median %.1f ms (p90 %.1f)\n",
              tc::bench::percentile(product_shown, 0.5), tc::bench::percentile(product_skinned, 0.5),
              tc::bench::percentile(product_skinned, 0.9));
  std::printf("minimal_window.exe: shown median %.1f ms (p90 %.1f)\n",
              tc::bench::percentile(minimal_shown, 0.5), tc::bench::percentile(minimal_shown, 0.9));
  std::printf("WM_CLOSE to process end, median %.0f ms (not part of the figures)\n",
              tc::bench::percentile(ends, 0.5));
  tc::bench::figure("start-up to skinned window, median", tc::bench::percentile(product_skinned, 0.5),
                    "ms", "-");
  tc::bench::figure("minimal window start-up, median", tc::bench::percentile(minimal_shown, 0.5),
                    "ms", "-");
  tc::bench::figure("start-up / minimal window, median ratio", tc::bench::percentile(ratios, 0.5),
                    "x", "<= 1.5");
  return ratios.empty() ? 1 : 0;
}
