#include "cleaning/known_folders_win.h"

#include <windows.h>
#include <shlobj.h>

namespace tc {
namespace {

Text without_trailing_backslash(Text path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

Text from_buffer(const char* buffer, UINT length, UINT capacity) {
  if (length == 0 || length >= capacity) return Text();  // none, or cut short
  return without_trailing_backslash(text_from_bytes(buffer, length));
}

Text shell_folder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr,
                              SHGFP_TYPE_CURRENT, buffer))) {
    return Text();
  }
  return without_trailing_backslash(text_from_bytes(buffer, sizeof(buffer)));
}

// The parent folder, cut at the last backslash that is not the trail byte of
// a double-byte character.
Text parent_of(const Text& path) {
  std::size_t cut = Text::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      cut = i;
    }
  }
  if (cut == Text::npos || cut < 3) return Text();  // no parent below the root
  return path.substr(0, cut);
}

}  // namespace

Text win32_known_folder(KnownFolder which) {
  char buffer[MAX_PATH + 1];
  switch (which) {
    case KnownFolder::Windows:
      return from_buffer(buffer, GetWindowsDirectoryA(buffer, sizeof(buffer)), sizeof(buffer));
    case KnownFolder::System:
      return from_buffer(buffer, GetSystemDirectoryA(buffer, sizeof(buffer)), sizeof(buffer));
    case KnownFolder::SystemWow64:
      return from_buffer(buffer, GetSystemWow64DirectoryA(buffer, sizeof(buffer)),
                         sizeof(buffer));
    case KnownFolder::ProgramFiles:
      return shell_folder(CSIDL_PROGRAM_FILES);
    case KnownFolder::ProgramFilesX86:
      return shell_folder(CSIDL_PROGRAM_FILESX86);
    case KnownFolder::ProgramFilesNative:
      // A 32-bit program sees the 32-bit folder as "Program Files"; only this
      // variable names the native one on a 64-bit system.
      return from_buffer(buffer, GetEnvironmentVariableA("ProgramW6432", buffer, sizeof(buffer)),
                         sizeof(buffer));
    case KnownFolder::ProgramData:
      return shell_folder(CSIDL_COMMON_APPDATA);
    case KnownFolder::Users:
      return parent_of(shell_folder(CSIDL_PROFILE));
    case KnownFolder::Profile:
      return shell_folder(CSIDL_PROFILE);
  }
  return Text();
}

}  // namespace tc
