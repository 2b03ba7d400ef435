#include "cleaning/files_win.h"

#include "cleaning/known_folders_win.h"

#include <windows.h>
#include <shlwapi.h>

namespace tc {
namespace {

// Owns one FindFirstFileA search; the first entry is held until next() asks
// for it, so the port's search order is exactly the system's.
class Win32DirSearch : public DirSearch {
 public:
  Win32DirSearch(HANDLE handle, const WIN32_FIND_DATAA& first)
      : handle_(handle), pending_(first), has_pending_(true) {}
  ~Win32DirSearch() override { close(); }
  Win32DirSearch(const Win32DirSearch&) = delete;
  Win32DirSearch& operator=(const Win32DirSearch&) = delete;

  static bool valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }

  bool next(FindEntry& entry) override {
    if (!valid(handle_)) return false;
    if (!has_pending_) {
      if (!FindNextFileA(handle_, &pending_)) {
        close();
        return false;
      }
    }
    has_pending_ = false;
    entry.name = text_from_bytes(pending_.cFileName, sizeof(pending_.cFileName));
    entry.attributes = pending_.dwFileAttributes;
    return true;
  }

 private:
  // Closing must not disturb the error code a caller may still read.
  void close() {
    if (!valid(handle_)) return;
    DWORD error = GetLastError();
    FindClose(handle_);
    SetLastError(error);
    handle_ = INVALID_HANDLE_VALUE;
  }

  HANDLE handle_;
  WIN32_FIND_DATAA pending_;
  bool has_pending_;
};

}  // namespace

std::uint32_t Win32Files::get_file_attributes(const Text& path) {
  return GetFileAttributesA(path.c_str());
}

bool Win32Files::set_file_attributes(const Text& path, std::uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Files::delete_file(const Text& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32Files::remove_directory(const Text& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32Files::path_file_exists(const Text& path) { return PathFileExistsA(path.c_str()) != FALSE; }

std::uint32_t Win32Files::path_is_directory(const Text& path) {
  return static_cast<std::uint32_t>(PathIsDirectoryA(path.c_str()));
}

std::unique_ptr<DirSearch> Win32Files::find_first(const Text& pattern) {
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
  if (!Win32DirSearch::valid(handle)) return nullptr;
  return std::make_unique<Win32DirSearch>(handle, data);
}

Text Win32Files::known_folder(KnownFolder which) { return win32_known_folder(which); }

}  // namespace tc
