// Holds a file open without delete sharing, as another program using it
// would, for the milliseconds given (default: until it is ended):
//   clean_holder.exe <path> [ms]
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  Sleep(argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : INFINITE);
  CloseHandle(file);
  return 0;
}
