// The demo that `make run` shows with no display of its own: starts the
// program, presses the button, waits for the run to end, saves a screenshot
// and writes the log box text (CP936 bytes) to a file.
//
//   demo.exe <screenshot.png> <log.txt> [seconds to wait for the run]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/driver.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo <screenshot.png> <log.txt> [seconds]\n");
    return 2;
  }
  const DWORD wait_ms = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) * 1000 : 120000;
  std::string error;
  auto app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
  if (!app) {
    std::fprintf(stderr, "demo: %s\n", error.c_str());
    return 1;
  }
  app->press_button();
  const bool finished = app->wait_for_text("操作全部结束", wait_ms);
  if (!finished) std::fprintf(stderr, "demo: the run did not end within %lu s\n", wait_ms / 1000);
  Sleep(300);  // let the last line be painted before the picture is taken
  if (!app->screenshot(argv[1])) std::fprintf(stderr, "demo: no screenshot\n");
  const std::string log = app->log_text();
  if (std::FILE* f = std::fopen(argv[2], "wb")) {
    std::fwrite(log.data(), 1, log.size(), f);
    std::fclose(f);
  }
  app->close();
  DWORD code = 1;
  if (!app->wait_for_exit(15000, &code)) std::fprintf(stderr, "demo: the program did not end\n");
  return finished && code == 0 ? 0 : 1;
}
