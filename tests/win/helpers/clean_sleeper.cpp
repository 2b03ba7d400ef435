// Stands in for a running updater: sleeps until it is ended, or for the
// number of milliseconds given as its one argument. Copied under the residue
// names by the tests, so its image name is whatever the test needs.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  DWORD ms = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : INFINITE;
  Sleep(ms);
  return 0;
}
