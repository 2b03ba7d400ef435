// Writes to its standard output in the ways the command runner must cope
// with; the first argument picks the way:
//   big <bytes> <chunk>  a counting byte pattern (never zero) in many writes
//   zero                 one write holding a zero byte, then one more write
//   last <ms>            sleeps, writes one line and ends at once
//   grandchild <ms>      starts a copy of itself that inherits the output and
//                        sleeps, writes one line and ends before the copy
//   chatty <ms>          the same, but the copy writes without pause
//   spew <ms>            writes 4 KB blocks without pause for that long
//   sleep <ms>           sleeps and ends
//   stdin                tries to read standard input and says what came
//   exit <code>          writes one line and ends with the code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void put(const char* bytes, DWORD count) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, &written, nullptr);
}

void put(const char* text) { put(text, static_cast<DWORD>(std::strlen(text))); }

unsigned long number(int argc, char** argv, int index, unsigned long fallback) {
  return argc > index ? std::strtoul(argv[index], nullptr, 10) : fallback;
}

DWORD g_spew_ms = 1000;

DWORD WINAPI end_spewing(LPVOID) {
  Sleep(g_spew_ms);
  ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  if (std::strcmp(mode, "big") == 0) {
    const unsigned long total = number(argc, argv, 2, 4u << 20);
    const unsigned long chunk = number(argc, argv, 3, 4096);
    std::vector<char> buffer(chunk);
    for (unsigned long sent = 0; sent < total;) {
      const unsigned long count = total - sent < chunk ? total - sent : chunk;
      for (unsigned long i = 0; i < count; ++i) buffer[i] = static_cast<char>(1 + (sent + i) % 251);
      put(buffer.data(), count);
      sent += count;
    }
    return 0;
  }
  if (std::strcmp(mode, "zero") == 0) {
    put("before\0after", 12);
    Sleep(300);
    put("next");
    return 0;
  }
  if (std::strcmp(mode, "last") == 0) {
    Sleep(number(argc, argv, 2, 50));
    put("last words\r\n");
    return 0;
  }
  if (std::strcmp(mode, "spew") == 0) {
    // The pipe's read end is inherited too, so a full pipe may block a write
    // for good once the runner has gone: a timer thread ends the process.
    g_spew_ms = number(argc, argv, 2, 1000);
    CreateThread(nullptr, 0, end_spewing, nullptr, 0, nullptr);
    std::vector<char> block(4096, 's');
    for (;;) put(block.data(), 4096);
  }
  const bool chatty = std::strcmp(mode, "chatty") == 0;
  if (std::strcmp(mode, "grandchild") == 0 || chatty) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char line[MAX_PATH + 64];
    std::snprintf(line, sizeof(line), "\"%s\" %s %lu", self, chatty ? "spew" : "sleep",
                  number(argc, argv, 2, 5000));
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
      put("no grandchild\r\n");
      return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (chatty) Sleep(200);  // let the copy fill the pipe first
    put("parent done\r\n");
    return 0;
  }
  if (std::strcmp(mode, "sleep") == 0) {
    Sleep(number(argc, argv, 2, 1000));
    return 0;
  }
  if (std::strcmp(mode, "stdin") == 0) {
    char buffer[64];
    DWORD read = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
      put("no input handle\r\n");
    } else if (!ReadFile(input, buffer, sizeof(buffer), &read, nullptr) || read == 0) {
      put("nothing read\r\n");
    } else {
      put("read something\r\n");
    }
    return 0;
  }
  if (std::strcmp(mode, "exit") == 0) {
    put("ending\r\n");
    return static_cast<int>(number(argc, argv, 2, 0));
  }
  put("unknown mode\r\n");
  return 2;
}
