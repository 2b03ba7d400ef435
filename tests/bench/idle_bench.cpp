// Idle cost and responsiveness of the program's own waits and folder walks,
// on its real window and adapters:
//  - the CPU the process burns while a program file that another handle
//    holds is retried ten times a second apart;
//  - how long messages posted from another thread wait for the UI thread
//    during a three-second wait and during a search of 20,000 files.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_figures.h"
#include "support/program_fixture.h"
#include "cleaning/executable_removal.h"
#include "cleaning/folder_tree.h"
#include "cleaning/subfolders.h"
#include "system/delay.h"

namespace {

using tc::bench::now_ms;

// A scratch folder under the temporary folder, removed with what is left in
// it when the bench ends.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { remove_tree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  static void remove_tree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove_tree(full);
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

bool make_file(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// The real console, with the start time of every command it runs.
class StampingConsole : public tc::Console {
 public:
  explicit StampingConsole(tc::Console& inner) : inner_(inner) {}
  tc::Text run_command(const tc::Text& command) override {
    const double start = now_ms();
    starts.push_back(start);
    tc::Text output = inner_.run_command(command);
    command_ms += now_ms() - start;
    return output;
  }
  std::vector<double> starts;
  double command_ms = 0.0;

 private:
  tc::Console& inner_;
};

void bench_retry_loop(tc_test::ProgramFixture& program) {
  ScratchFolder scratch("tc-idle-bench");
  const std::string path = scratch.path() + "\\HeldUpdate.exe";
  if (!make_file(path)) {
    std::printf("retry loop: cannot make %s\n", path.c_str());
    return;
  }
  // Held without delete sharing, as by a program that has it open: every
  // "del" is refused and all ten attempts run.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::printf("retry loop: cannot hold %s\n", path.c_str());
    return;
  }
  tc::Ports& real = program.ports();
  StampingConsole console(real.console);
  tc::Ports ports{real.log, real.events, console, real.files, real.processes, real.registry, real.regex};

  tc_test::ProgramFixture::settle();
  const double cpu_start = tc::bench::process_cpu_ms();
  const double start = now_ms();
  const bool removed = tc::remove_executable(ports, path, false);
  const double end = now_ms();
  const double cpu = tc::bench::process_cpu_ms() - cpu_start;
  CloseHandle(held);

  const double wall = end - start;
  std::printf("retry loop: %zu commands in %.0f ms (commands %.0f ms), file %s, CPU %.1f ms\n",
              console.starts.size(), wall, console.command_ms,
              removed ? "removed (the hold did not work)" : "kept", cpu);
  std::printf("attempt wall times (ms):");
  for (std::size_t i = 0; i < console.starts.size(); ++i) {
    const double next = i + 1 < console.starts.size() ? console.starts[i + 1] : end;
    std::printf(" %.0f", next - console.starts[i]);
  }
  std::printf("\n");
  tc::bench::figure("CPU share in 10 x 1000 ms retries", wall > 0 ? 100.0 * cpu / wall : 0.0, "%",
                   "<= 2");
}

// Messages posted to a window of the UI thread every ~7 ms from another
// thread, each carrying its posting time; their delay is measured when the
// UI thread's pumps dispatch them.
class DelayProbe {
 public:
  DelayProbe() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &DelayProbe::window_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "TcIdleBenchProbe";
    RegisterClassA(&window_class);
    window_ = CreateWindowA("TcIdleBenchProbe", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                            window_class.hInstance, nullptr);
    base_ms_ = now_ms();
    instance_ = this;
  }
  ~DelayProbe() {
    stop();
    DestroyWindow(window_);
    instance_ = nullptr;
  }
  DelayProbe(const DelayProbe&) = delete;
  DelayProbe& operator=(const DelayProbe&) = delete;

  void start() {
    samples_.clear();
    running_ = true;
    poster_ = std::thread([this] {
      while (running_) {
        Sleep(7);
        PostMessageA(window_, WM_APP, static_cast<WPARAM>((now_ms() - base_ms_) * 1000.0), 0);
      }
    });
  }

  // Stops posting and gives the delays of the messages posted before now;
  // those still queued are dispatched first, so none is left out.
  std::vector<double> stop() {
    const double end = now_ms() - base_ms_;
    if (poster_.joinable()) {
      running_ = false;
      poster_.join();
    }
    tc::process_events();
    std::vector<double> delays;
    for (const Sample& sample : samples_) {
      if (sample.posted_ms < end) delays.push_back(sample.delay_ms);
    }
    return delays;
  }

 private:
  struct Sample {
    double posted_ms, delay_ms;
  };

  static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP && instance_ != nullptr) {
      const double posted = static_cast<double>(wparam) / 1000.0;
      instance_->samples_.push_back({posted, now_ms() - instance_->base_ms_ - posted});
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }

  static DelayProbe* instance_;
  HWND window_ = nullptr;
  double base_ms_ = 0.0;
  std::atomic<bool> running_{false};
  std::thread poster_;
  std::vector<Sample> samples_;
};

DelayProbe* DelayProbe::instance_ = nullptr;

void report_delays(const char* during, const std::vector<double>& delays) {
  std::printf("%zu messages posted during %s: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
              delays.size(), during, tc::bench::percentile(delays, 0.5),
              tc::bench::percentile(delays, 0.99), tc::bench::largest(delays));
  const std::string name = std::string("dispatch delay in ") + during;
  tc::bench::figure((name + ", p50").c_str(), tc::bench::percentile(delays, 0.5), "ms", "-");
  tc::bench::figure((name + ", p99").c_str(), tc::bench::percentile(delays, 0.99), "ms", "<= 20");
}

void bench_wait_delay(tc_test::ProgramFixture& program, DelayProbe& probe) {
  tc_test::ProgramFixture::settle();
  probe.start();
  tc::delay_with_events(program.ports().events, 3000);
  report_delays("3 s wait", probe.stop());
}

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 1000;
constexpr int kSearchPasses = 8;

void bench_search_delay(tc_test::ProgramFixture& program, DelayProbe& probe) {
  ScratchFolder scratch("tc-search-bench");
  const double make_start = now_ms();
  int made = 0;
  for (int f = 0; f < kFolders; ++f) {
    char folder[16];
    std::snprintf(folder, sizeof(folder), "\\d%02d", f);
    const std::string folder_path = scratch.path() + folder;
    CreateDirectoryA(folder_path.c_str(), nullptr);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      char file[24];
      std::snprintf(file, sizeof(file), "\\f%04d.exe", i);
      if (make_file(folder_path + file)) ++made;
    }
  }
  std::printf("search tree: %d folders, %d files made in %.0f ms\n", kFolders, made,
              now_ms() - make_start);

  tc::Ports& ports = program.ports();
  std::vector<double> delays, rates;
  for (int pass = 0; pass < kSearchPasses; ++pass) {
    tc_test::ProgramFixture::settle();
    probe.start();
    const double start = now_ms();
    // The walk removing a folder tree makes: the folder, its sub-folders and
    // every program file below it.
    tc::TextList subfolders, files;
    const bool exists = tc::folder_exists(ports, scratch.path());
    tc::list_subfolders(ports, scratch.path(), subfolders);
    tc::collect_files(ports, scratch.path(), "*.exe", files);
    const double elapsed = now_ms() - start;
    const std::vector<double> pass_delays = probe.stop();
    delays.insert(delays.end(), pass_delays.begin(), pass_delays.end());
    const double entries = static_cast<double>(subfolders.size() + files.size());
    rates.push_back(elapsed > 0 ? entries * 1000.0 / elapsed : 0.0);
    std::printf("pass %d: folder %s, %zu sub-folders, %zu files in %.0f ms (%.0f entries/s)\n",
                pass + 1, exists ? "found" : "MISSING", subfolders.size(), files.size(), elapsed,
                rates.back());
  }
  report_delays("20,000-file search", delays);
  tc::bench::figure("folder search rate (median pass)",
                   tc::bench::percentile(rates, 0.5), "/s", "-");
}

}  // namespace

int main() {
  tc_test::ProgramFixture program;
  if (!program.created()) {
    std::printf("idle_bench: the window could not be made\n");
    return 1;
  }
  bench_retry_loop(program);
  DelayProbe probe;
  bench_wait_delay(program, probe);
  bench_search_delay(program, probe);
  return 0;
}
