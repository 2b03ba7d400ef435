// Throwaway folders and processes for the cleaning tests under Wine. Each
// sandbox is made under %TEMP% and removed with everything in it; links are
// removed as links, so a test can never reach beyond its own folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tc_test {

inline void remove_tree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") remove_tree(path + "\\" + name);
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
  }
  RemoveDirectoryA(path.c_str());
}

class Sandbox {
 public:
  Sandbox() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    static int serial = 0;
    root_ = std::string(temp) + "tc-clean-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    remove_tree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
  }
  ~Sandbox() { remove_tree(root_); }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& root() const { return root_; }
  std::string path(const std::string& relative) const { return root_ + "\\" + relative; }

  std::string folder(const std::string& relative, DWORD attributes = 0) const {
    std::string full = path(relative);
    CreateDirectoryA(full.c_str(), nullptr);
    if (attributes) SetFileAttributesA(full.c_str(), attributes);
    return full;
  }
  std::string file(const std::string& relative, DWORD attributes = 0,
                    const std::string& content = "x") const {
    std::string full = path(relative);
    HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    if (attributes) SetFileAttributesA(full.c_str(), attributes);
    return full;
  }

 private:
  std::string root_;
};

// The sleeping helper program, for copies under residue names.
inline std::string sleeper_exe() { return TC_BINARY_DIR "/tests/helpers/clean_sleeper.exe"; }

// A started helper; ended and waited for when the owner goes.
class Child {
 public:
  explicit Child(const std::string& exe, const std::string& args = "") {
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                       nullptr, &si, &pi_)) {
      CloseHandle(pi_.hThread);
      pi_.hThread = nullptr;
    } else {
      pi_ = {};
    }
  }
  ~Child() {
    if (pi_.hProcess) {
      TerminateProcess(pi_.hProcess, 1);
      WaitForSingleObject(pi_.hProcess, 5000);
      CloseHandle(pi_.hProcess);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pi_.hProcess != nullptr; }
  DWORD pid() const { return pi_.dwProcessId; }
  // True when the process has ended within the time.
  bool ended_within(DWORD ms) const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION pi_ = {};
};

// Copies the sleeper to the path and starts it there.
inline bool copy_sleeper(const std::string& to) {
  return CopyFileA(sleeper_exe().c_str(), to.c_str(), FALSE) != FALSE;
}

}  // namespace tc_test
