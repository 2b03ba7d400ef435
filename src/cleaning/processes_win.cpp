#include "cleaning/processes_win.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

namespace tc {
namespace {

// Move-only owner of a kernel handle. Snapshots are invalid at both
// INVALID_HANDLE_VALUE and null, process handles at null alone; closing
// keeps the caller's last error.
template <bool kInvalidValueToo>
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~OwnedHandle() { reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  bool valid() const {
    return handle_ != nullptr && !(kInvalidValueToo && handle_ == INVALID_HANDLE_VALUE);
  }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle = nullptr) {
    if (valid()) {
      DWORD error = GetLastError();
      CloseHandle(handle_);
      SetLastError(error);
    }
    handle_ = handle;
  }

 private:
  HANDLE handle_;
};

using SnapshotHandle = OwnedHandle<true>;
using ProcessHandle = OwnedHandle<false>;

}  // namespace

bool Win32Processes::snapshot(std::uint32_t flags, std::vector<ProcessEntry>& entries) {
  SnapshotHandle snap(CreateToolhelp32Snapshot(flags, 0));
  if (!snap.valid()) return false;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snap.get(), &entry); more;
       more = Process32Next(snap.get(), &entry)) {
    entries.push_back({static_cast<std::uint32_t>(entry.th32ProcessID),
                       text_from_bytes(entry.szExeFile, sizeof(entry.szExeFile))});
    entry.dwSize = sizeof(entry);
  }
  return true;
}

bool Win32Processes::terminate(std::uint32_t pid, std::uint32_t exit_code) {
  ProcessHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (!process.valid()) return false;
  return TerminateProcess(process.get(), exit_code) != FALSE;
}

Text Win32Processes::image_path(std::uint32_t pid) {
  char buffer[MAX_PATH * 2];
  ProcessHandle limited(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (limited.valid()) {
    DWORD size = sizeof(buffer);
    if (QueryFullProcessImageNameA(limited.get(), 0, buffer, &size) && size > 0)
      return text_from_bytes(buffer, size);
  }
  // Older systems know only the module path, which needs read access.
  ProcessHandle full(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!full.valid()) return Text();
  DWORD length = K32GetModuleFileNameExA(full.get(), nullptr, buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return Text();
  return text_from_bytes(buffer, length);
}

std::uint32_t Win32Processes::current_pid() {
  return static_cast<std::uint32_t>(GetCurrentProcessId());
}

}  // namespace tc
