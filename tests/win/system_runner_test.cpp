#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/command_runner_win.h"
#include "system/events_win.h"

namespace tc {
namespace {

// The build folder as a Windows path (Wine maps the Unix root to Z:).
std::string windows_path(std::string unix_path) {
  for (char& c : unix_path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unix_path;
}

std::string helper(const char* name) {
  return windows_path(std::string(TC_BINARY_DIR "/tests/helpers/") + name + ".exe");
}

std::string writer(const std::string& arguments) {
  return "\"" + helper("runner_writer") + "\" " + arguments;
}

DWORD elapsed_since(DWORD start) { return GetTickCount() - start; }

class RunCommand : public ::testing::Test {
 protected:
  void SetUp() override { set_program_quitting(false); }
  void TearDown() override {
    set_program_quitting(false);
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
};

TEST_F(RunCommand, OutputComesBackRaw) {
  struct Case {
    const char* label;
    const char* command;
    const char* expected;
  };
  const Case cases[] = {
      {"trailing CR-LF kept", "echo hello", "hello\r\n"},
      {"a command that writes nothing", "rem nothing", ""},
      {"standard error between standard output, in write order",
       "echo one& echo two>&2& echo three", "one\r\ntwo\r\nthree\r\n"},
      {"quotes pass through unchanged", "echo \"a b\" \"c\"", "\"a b\" \"c\"\r\n"},
      {"CP936 bytes come back unconverted", "echo 操作全部结束", "操作全部结束\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(run_command(c.command), c.expected);
  }
  // The interpreter's own complaint goes to standard error only.
  EXPECT_NE(run_command("tc_no_such_command").find("tc_no_such_command"), Text::npos);
}

TEST_F(RunCommand, ManyChunksComeBackWhole) {
  struct Case {
    const char* label;
    unsigned long bytes;
    unsigned long chunk;
  };
  const Case cases[] = {
      {"4 MB in 4 KB writes", 4u << 20, 4096},
      {"1 MB in odd-sized writes", 1u << 20, 1237},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Text output =
        run_command(writer("big " + std::to_string(c.bytes) + " " + std::to_string(c.chunk)));
    ASSERT_EQ(output.size(), c.bytes);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < output.size(); ++i) {
      if (static_cast<unsigned char>(output[i]) != 1 + i % 251) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
  }
}

TEST_F(RunCommand, ZeroByteEndsItsChunkOnly) {
  // The bytes after the zero in that write are dropped; later writes are not.
  EXPECT_EQ(run_command(writer("zero")), "beforenext");
}

TEST_F(RunCommand, OutputWrittenJustBeforeExitIsKept) {
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(run_command(writer("last " + std::to_string(run % 4))), "last words\r\n");
  }
}

TEST_F(RunCommand, ExitCode259EndsTheWait) {
  struct Case {
    const char* label;
    std::string command;
    const char* expected;
  };
  const Case cases[] = {
      {"the interpreter ends with 259", "exit /b 259", ""},
      {"the program ends with 259", writer("exit 259"), "ending\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const DWORD start = GetTickCount();
    EXPECT_EQ(run_command(c.command), c.expected);
    EXPECT_LT(elapsed_since(start), 5000u);
  }
}

TEST_F(RunCommand, GrandchildHoldingThePipeDoesNotHoldTheRunner) {
  struct Case {
    const char* label;
    const char* mode;
  };
  const Case cases[] = {
      {"a quiet grandchild", "grandchild 4500"},
      {"a grandchild that keeps writing", "chatty 4500"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const DWORD start = GetTickCount();
    const Text output = run_command(writer(c.mode));
    EXPECT_NE(output.find("parent done\r\n"), Text::npos);
    EXPECT_LT(elapsed_since(start), 3500u);
  }
}

TEST_F(RunCommand, StandardInputGivesNothing) {
  struct Case {
    const char* label;
    std::string command;
  };
  const Case cases[] = {
      {"a program reading its input", writer("stdin")},
      {"the interpreter asking for a line", "set /p answer=question? & echo done"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const DWORD start = GetTickCount();
    const Text output = run_command(c.command);
    EXPECT_EQ(output.find("read something"), Text::npos) << output;
    EXPECT_LT(elapsed_since(start), 5000u);
  }
}

TEST_F(RunCommand, CommandThatCannotStartIsEmptyAtOnce) {
  // Longer than any command line CreateProcessA accepts.
  const Text command = "echo " + Text(40000, 'x');
  const DWORD start = GetTickCount();
  EXPECT_EQ(run_command(command), "");
  EXPECT_LT(elapsed_since(start), 2000u);
}

// Owns a sandbox folder, a planted copy beside the test program, the current
// directory and the environment changes; restores all of them.
class PlantedFiles {
 public:
  PlantedFiles() {
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    old_current_ = buffer;
    GetTempPathA(MAX_PATH, buffer);
    folder_ = std::string(buffer) + "tc_plant_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    marker_ = folder_ + "\\ran.txt";
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string beside(buffer);
    beside_ = beside.substr(0, beside.rfind('\\'));
  }
  ~PlantedFiles() {
    SetCurrentDirectoryA(old_current_.c_str());
    SetEnvironmentVariableA("TC_PLANT_MARKER", nullptr);
    for (const std::string& file : files_) DeleteFileA(file.c_str());
    DeleteFileA(marker_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  bool plant() {
    const std::string planted = helper("runner_planted");
    for (const char* name : {"cmd.exe", "sc.exe", "net.exe"}) {
      if (!copy(planted, folder_ + "\\" + name)) return false;
    }
    for (const char* name : {"cmd.exe", "sc.exe"}) {
      if (!copy(planted, beside_ + "\\" + name)) return false;
    }
    for (const char* name : {"sc.bat", "net.bat"}) {
      const std::string path = folder_ + "\\" + name;
      const std::string script = "@echo PLANTED\r\n@echo %0>>\"" + marker_ + "\"\r\n";
      const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return false;
      DWORD written = 0;
      WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
      CloseHandle(file);
      files_.push_back(path);
    }
    SetEnvironmentVariableA("TC_PLANT_MARKER", marker_.c_str());
    return SetCurrentDirectoryA(folder_.c_str()) != 0;
  }
  bool marker_exists() const { return GetFileAttributesA(marker_.c_str()) != INVALID_FILE_ATTRIBUTES; }
  void clear_marker() const { DeleteFileA(marker_.c_str()); }

 private:
  bool copy(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
    files_.push_back(to);
    return true;
  }
  std::string old_current_, folder_, marker_, beside_;
  std::vector<std::string> files_;
};

// What starting a line from the caller's current folder gives, the
// interpreter found by search or named: the unsafe ways, to show that the
// planted files are live.
Text run_unsafely(const std::string& line, const char* application = nullptr) {
  SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  CreatePipe(&read_end, &write_end, &security, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.hStdOutput = startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');
  const BOOL started = CreateProcessA(application, writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(write_end);
  Text output;
  if (started) {
    WaitForSingleObject(process.hProcess, 10000);
    char buffer[4096];
    DWORD available = 0, read = 0;
    while (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available != 0 &&
           ReadFile(read_end, buffer, sizeof(buffer), &read, nullptr) && read != 0) {
      output.append(buffer, read);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(read_end);
  return output;
}

TEST_F(RunCommand, PlantedInterpreterAndToolsAreNotRun) {
  PlantedFiles planted;
  ASSERT_TRUE(planted.plant());

  // The files are live: the copy beside the program wins the search for
  // cmd.exe, and the real interpreter run in the planted folder finds sc.bat.
  struct Control {
    const char* label;
    const char* application;
  };
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string real_cmd = std::string(system) + "\\cmd.exe";
  const Control controls[] = {{"interpreter by search", nullptr},
                              {"tool from the current folder", real_cmd.c_str()}};
  for (const Control& control : controls) {
    SCOPED_TRACE(control.label);
    EXPECT_NE(run_unsafely("cmd.exe /c sc qc TcNoSuchService", control.application).find("PLANTED"),
              Text::npos);
    EXPECT_TRUE(planted.marker_exists());
    planted.clear_marker();
  }

  for (const char* command : {"sc qc TcNoSuchService", "net stop TcNoSuchService", "echo real"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(run_command(command).find("PLANTED"), Text::npos);
    EXPECT_FALSE(planted.marker_exists());
  }
  EXPECT_EQ(run_command("echo real"), "real\r\n");
  // The interpreter runs in the system folder, not in the caller's.
  EXPECT_EQ(run_command("cd"), std::string(system) + "\r\n");
}

TEST_F(RunCommand, FiveHundredCallsLeaveNoHandleOpen) {
  // A leaked handle would take the lowest free slot, so a handle made after
  // the calls would get a different value from one made before them.
  run_command("rem warm up");
  const HANDLE before = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(before, nullptr);
  CloseHandle(before);
  for (int call = 0; call < 500; ++call) run_command(call % 2 ? "rem" : "echo x");
  const HANDLE after = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(after, nullptr);
  CloseHandle(after);
  EXPECT_EQ(after, before);
}

TEST_F(RunCommand, LeakCheckCatchesALeak) {
  // The check above is only as good as this: one handle left open shows.
  const HANDLE before = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(before);
  const HANDLE leaked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE after = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(after, before);
  CloseHandle(after);
  CloseHandle(leaked);
}

TEST_F(RunCommand, QuittingStartsNoCommand) {
  char buffer[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buffer);
  const std::string marker = std::string(buffer) + "tc_quit_marker.txt";
  DeleteFileA(marker.c_str());
  set_program_quitting(true);
  const DWORD start = GetTickCount();
  EXPECT_EQ(run_command("echo x>\"" + marker + "\"& echo x"), "");
  EXPECT_LT(elapsed_since(start), 1000u);
  set_program_quitting(false);
  Sleep(300);
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(marker.c_str());
}

VOID CALLBACK post_quit(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

TEST_F(RunCommand, ClosingTheWindowEndsTheWaitWithWhatCameSoFar) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 500, post_quit);
  ASSERT_NE(timer, 0u);
  const DWORD start = GetTickCount();
  const Text output = run_command("echo early& \"" + helper("runner_writer") + "\" sleep 4500");
  const DWORD took = elapsed_since(start);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(program_quitting());
  EXPECT_EQ(output, "early\r\n");
  EXPECT_LT(took, 3500u);
  // WM_QUIT stays in the queue for the main loop.
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace
}  // namespace tc
