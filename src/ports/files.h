// Files and folders, with the semantics of the Win32 functions named.
#pragma once
#include <cstdint>
#include <memory>

#include "core/text.h"

namespace tc {

constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// The system's well-known folders that no product may be installed in.
enum class KnownFolder {
  Windows,             // GetWindowsDirectoryA
  System,              // GetSystemDirectoryA
  SystemWow64,         // GetSystemWow64DirectoryA (64-bit systems)
  ProgramFiles,        // SHGetFolderPathA CSIDL_PROGRAM_FILES
  ProgramFilesX86,     // SHGetFolderPathA CSIDL_PROGRAM_FILESX86
  ProgramFilesNative,  // %ProgramW6432% (64-bit systems)
  ProgramData,         // SHGetFolderPathA CSIDL_COMMON_APPDATA
  Users,               // the folder that holds the user profiles
  Profile,             // SHGetFolderPathA CSIDL_PROFILE (the current user)
};

struct FindEntry {
  Text name;                  // cFileName
  std::uint32_t attributes;   // dwFileAttributes
};

// One directory search (FindFirstFileA / FindNextFileA); closed when destroyed.
class DirSearch {
 public:
  virtual ~DirSearch() = default;
  // The next entry in search order; false when none is left.
  virtual bool next(FindEntry& entry) = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  virtual std::uint32_t get_file_attributes(const Text& path) = 0;     // GetFileAttributesA
  virtual bool set_file_attributes(const Text& path, std::uint32_t attributes) = 0;
  virtual bool delete_file(const Text& path) = 0;                      // DeleteFileA
  virtual bool remove_directory(const Text& path) = 0;                 // RemoveDirectoryA
  virtual bool path_file_exists(const Text& path) = 0;                 // PathFileExistsA
  virtual std::uint32_t path_is_directory(const Text& path) = 0;       // PathIsDirectoryA
  // FindFirstFileA on a pattern; null when nothing matches or it fails.
  virtual std::unique_ptr<DirSearch> find_first(const Text& pattern) = 0;
  // The folder's full path; empty when the system has none (or it is unknown).
  virtual Text known_folder(KnownFolder which) {
    (void)which;
    return Text();
  }
};

}  // namespace tc
