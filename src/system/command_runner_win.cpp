#include "system/command_runner_win.h"

#include <windows.h>

#include <vector>

#include "system/events_win.h"
#include "system/wait_time.h"

namespace tc {

namespace {

// Owns one kernel handle (null is none); closing keeps GetLastError.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { reset(); }

  HANDLE get() const { return handle_; }
  HANDLE* put() {
    reset();
    return &handle_;
  }
  void reset(HANDLE handle = nullptr) {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      CloseHandle(handle_);
      SetLastError(error);
    }
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

bool nt_platform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

Text system_folder() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Text();
  return Text(buffer, length);
}

Text windows_folder() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Text();
  return Text(buffer, length);
}

// Bytes waiting in the pipe; 0 when it is empty or the peek fails.
DWORD bytes_available(HANDLE read_end) {
  DWORD available = 0;
  if (read_end == nullptr || !PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr)) {
    return 0;
  }
  return available;
}

// Reads exactly what the peek reported into a fresh zero-filled chunk and
// appends its bytes up to the first zero. False when nothing could be read.
bool read_chunk(HANDLE read_end, DWORD available, Text& output) {
  std::vector<char> chunk(available, 0);
  DWORD read = 0;
  if (!ReadFile(read_end, chunk.data(), available, &read, nullptr) || read == 0) return false;
  output += text_from_bytes(chunk.data(), read);
  return true;
}

// The child has ended once its process handle is signalled; a null handle
// (nothing started) counts as ended. The exit code is not used for this, as
// a child may really end with 259.
bool child_ended(HANDLE process) {
  return process == nullptr || WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
}

// Longest pause between two looks at a child that writes nothing: short
// enough for output to flow, long enough not to burn the CPU while a slow
// tool (net stop, taskkill) runs.
constexpr DWORD kLongestPollMs = 16;

// Reads of the pipe once the child has ended.
constexpr int kMostReadsAfterEnd = 64;

// Waits up to the milliseconds, or until the child ends, dispatching window
// messages meanwhile.
void wait_for_child(HANDLE process, DWORD milliseconds) {
  if (process == nullptr) {
    wait_with_events(static_cast<std::int32_t>(milliseconds));
    return;
  }
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds - elapsed, 0xFF);
    if (woke != WAIT_OBJECT_0 + 1) return;  // time-out, the child's end, or a failed wait
    process_events();
    if (program_quitting()) return;
  }
}

}  // namespace

Text run_command(const Text& command) {
  if (program_quitting()) return Text();

  // Both ends are inheritable: the child gets the write end as its output.
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof(SECURITY_ATTRIBUTES);
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;
  OwnedHandle read_end;
  OwnedHandle write_end;
  if (!CreatePipe(read_end.put(), write_end.put(), &security, 0)) {
    read_end.reset();
    write_end.reset();
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof(STARTUPINFOA);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();

  // The interpreter is named by its full path and runs in the system folder,
  // so no cmd.exe, sc.exe or net.bat lying beside the tool or in the user's
  // current folder (Downloads) can stand in for the real one.
  const bool nt = nt_platform();
  const Text folder = system_folder();
  const Text interpreter_folder = nt ? folder : windows_folder();
  PROCESS_INFORMATION process{};
  if (!folder.empty() && !interpreter_folder.empty()) {
    const Text application = with_backslash(interpreter_folder) + (nt ? "cmd.exe" : "command.com");
    const Text line = (nt ? "cmd.exe /c " : "command.com /c ") + command;
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    CreateProcessA(application.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                   folder.c_str(), &startup, &process);
  }
  OwnedHandle process_handle(process.hProcess);
  OwnedHandle thread_handle(process.hThread);
  // Only the child and its descendants may hold the write end from now on.
  write_end.reset();

  Text output;
  DWORD step_ms = 1;
  for (;;) {
    const DWORD available = bytes_available(read_end.get());
    if (available != 0) {
      read_chunk(read_end.get(), available, output);
      step_ms = 1;
    } else if (child_ended(process_handle.get())) {
      // What the child wrote after the last empty peek is still in the pipe.
      // A grandchild that keeps the write end open does not hold us: we stop
      // at the first empty peek instead of waiting for the end of the pipe.
      // The child's own rest is at most one pipe buffer; a grandchild that
      // keeps writing is cut off after a bounded number of reads.
      int reads = 0;
      for (DWORD left = bytes_available(read_end.get()); left != 0 && reads < kMostReadsAfterEnd;
           left = bytes_available(read_end.get()), ++reads) {
        if (!read_chunk(read_end.get(), left, output)) break;
      }
      break;
    } else if (step_ms < kLongestPollMs) {
      // A quiet child is looked at less and less often; its end still wakes
      // the wait at once.
      step_ms *= 2;
    }
    pump_if_input_pending();
    wait_for_child(process_handle.get(), step_ms);
    // Closing the window ends the wait; the child finishes on its own.
    if (program_quitting()) break;
  }
  read_end.reset();
  process_handle.reset();
  thread_handle.reset();
  return output;
}

void pump_if_input_pending() {
  if (GetInputState()) process_events();
}

void wait_on_message_queue(std::uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, 0xFF);
    if (woke == WAIT_TIMEOUT) return;
    if (woke == WAIT_FAILED) {
      Sleep(milliseconds - elapsed);
      return;
    }
    process_events();
    if (program_quitting()) return;
  }
}

bool wait_with_events(std::int32_t interval, std::int64_t unit) {
  if (program_quitting()) return true;
  OwnedHandle timer(CreateWaitableTimerA(nullptr, FALSE, nullptr));
  LARGE_INTEGER due;
  due.QuadPart = wait_due_time(interval, unit);
  if (timer.get() == nullptr || !SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
    wait_on_message_queue(wait_timeout_ms(interval, unit));
    return true;
  }
  // 0xFF: key, mouse, posted, timer, paint, sent and hot-key input; no raw input.
  HANDLE handles[1] = {timer.get()};
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, 0xFF);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_FAILED) {
      WaitForSingleObject(timer.get(), INFINITE);
      break;
    }
    process_events();
    if (program_quitting()) break;
  }
  return true;
}

}  // namespace tc
