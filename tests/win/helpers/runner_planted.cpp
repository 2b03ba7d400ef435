// Stands in for a cmd.exe or sc.exe that someone left in a folder the tool
// might search. When run it appends its own path to the file named by
// TC_PLANT_MARKER and says so on its output, so a test can tell it ran.
#include <windows.h>

#include <cstring>

int main() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char marker[MAX_PATH] = {};
  if (GetEnvironmentVariableA("TC_PLANT_MARKER", marker, MAX_PATH) > 0) {
    const HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, self, static_cast<DWORD>(std::strlen(self)), &written, nullptr);
      WriteFile(file, "\r\n", 2, &written, nullptr);
      CloseHandle(file);
    }
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "PLANTED\r\n", 9, &written, nullptr);
  return 0;
}
