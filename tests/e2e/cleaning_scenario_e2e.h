// A cleaning scenario in the end-to-end prefix: the products' registry values,
// their folders, the stand-ins' services, tasks and rules, running helpers,
// and the expected log built line by line from the program's own texts.
// Each scenario starts from a prefix with no product and leaves none behind.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver.h"
#include "e2e/standins/standin_texts.h"
#include "win/cleaning_sandbox.h"

namespace clean_e2e {

// These scenarios install stand-ins of system tools and change the registry,
// so they run only in their own prefix (cleaning_e2e_tests), never in the
// shared one.
inline bool in_own_prefix() {
  char value[MAX_PATH * 2] = {};
  const std::string prefix(value, GetEnvironmentVariableA("WINEPREFIX", value, sizeof(value)));
  const std::string own = "e2e-cleaning";
  return prefix.size() >= own.size() && prefix.compare(prefix.size() - own.size(), own.size(), own) == 0;
}
#define CLEANING_E2E_ONLY()                                                     \
  if (!clean_e2e::in_own_prefix()) GTEST_SKIP() << "runs in cleaning_e2e_tests' own prefix"

inline std::string env(const char* name) {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return n && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

// append_log's one-line reduction of command output: one CR-LF dropped at each
// end, every CR that begins a line and every LF that ends one removed, outer
// spaces removed, remaining CR-LF pairs turned into spaces.
inline std::string trimmed(std::string text) {
  if (text.compare(0, 2, "\r\n") == 0) text.erase(0, 2);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool line_start = i == 0 || text[i - 1] == '\r' || text[i - 1] == '\n';
    const bool line_end = i + 1 == text.size() || text[i + 1] == '\r' || text[i + 1] == '\n';
    if (c == '\r' && line_start) continue;
    if (c == '\n' && line_end) continue;
    out += c;
  }
  std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  out = out.substr(first, out.find_last_not_of(' ') - first + 1);
  for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;) out.replace(at, 2, " ");
  return out;
}

// The log box text the run should leave, from the box's first content on.
class Transcript {
 public:
  Transcript() : text_(tc::e2e::kInitialLog) {}
  Transcript& line(const std::string& message, bool blank_after = false) {
    if (message.size() > 1) text_ += message + "\r\n";
    if (blank_after) text_ += "\r\n";
    return *this;
  }
  Transcript& output(const std::string& command_output) { return line(trimmed(command_output)); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The lines of a text file, without their CR-LF; empty when there is none.
inline std::vector<std::string> file_lines(const std::string& path) {
  std::vector<std::string> lines;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) text.append(buffer, got);
  CloseHandle(file);
  std::size_t at = 0;
  for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  if (at < text.size()) lines.push_back(text.substr(at));
  return lines;
}

inline bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The sub-folders of a folder in the order the system's search gives them.
inline std::vector<std::string> search_order(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

class Prefix {
 public:
  static constexpr const char* kProducts[] = {"SOFTWARE\\TelvoPic", "SOFTWARE\\Pakzo",
                                              "SOFTWARE\\WOW6432Node\\TelvoPinyin",
                                              "SOFTWARE\\WOW6432Node\\TelvoExplorer"};

  Prefix() {
    reset();
    install_standins();
  }
  ~Prefix() {
    children_.clear();
    reset();
  }
  Prefix(const Prefix&) = delete;
  Prefix& operator=(const Prefix&) = delete;

  static std::string pf() { return "C:\\Program Files"; }
  static std::string log_file() { return "C:\\standin-log.txt"; }
  std::vector<std::string> recorded() const { return file_lines(log_file()); }

  void set_value(const char* key, const char* name, const std::string& data) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
  }

  // Folders are made as needed on the way.
  static void folder(const std::string& path) {
    for (std::size_t at = 3; (at = path.find('\\', at)) != std::string::npos; ++at)
      CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
  }
  static void file(const std::string& path) {
    folder(path.substr(0, path.rfind('\\')));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, "demo\r\n", 6, &written, nullptr);
    CloseHandle(h);
  }
  // A program file that can run: the sleeping helper.
  static void exe(const std::string& path) {
    folder(path.substr(0, path.rfind('\\')));
    CopyFileA(sleeper().c_str(), path.c_str(), FALSE);
  }
  // Starts the program at the path; it runs until it is ended (or the
  // scenario ends). Its process ID.
  DWORD run(const std::string& path) {
    children_.push_back(std::make_unique<tc_test::Child>(path, "600000"));
    return children_.back()->started() ? children_.back()->pid() : 0;
  }
  bool ended(std::size_t index, DWORD ms) const { return children_[index]->ended_within(ms); }

  static void service(const std::string& name, const std::string& binary) {
    write_marker("services\\" + name, binary);
  }
  static void task(const std::string& name) { write_marker("tasks\\" + name, "task"); }
  static void rule(const std::string& name) { write_marker("rules\\" + name, "rule"); }
  static std::string marker(const std::string& relative) { return "C:\\standin\\" + relative; }

  // A Unix directory symlink (Wine shows it as a folder with the reparse-point
  // attribute); the paths are under drive C. True once it is there.
  static bool unix_symlink(const std::string& target, const std::string& link) {
    return unix_shell("ln -s '" + unix_path(target) + "' '" + unix_path(link) + "'") &&
           exists(link);
  }
  static std::string unix_path(const std::string& c_path) {
    std::string path = env("WINEPREFIX") + "/drive_c/" + c_path.substr(3);
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }

 private:
  static std::string sleeper() { return tc::e2e::build_dir() + "\\tests\\helpers\\clean_sleeper.exe"; }

  static void write_marker(const std::string& relative, const std::string& content) {
    const std::string path = marker(relative);
    folder(path.substr(0, path.rfind('\\')));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
  }

  // Runs a Unix shell command (Wine starts native programs without a handle
  // to wait on): done when its end marker appears.
  static bool unix_shell(const std::string& command) {
    static int serial = 0;
    const std::string done = "C:\\unix-done-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial);
    DeleteFileA(done.c_str());
    std::string line = "/bin/sh -c \"" + command + "; touch '" + unix_path(done) + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
      return false;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    for (int i = 0; i < 500 && !exists(done); ++i) Sleep(10);
    const bool ok = exists(done);
    DeleteFileA(done.c_str());
    return ok;
  }

  void reset() {
    for (const char* key : kProducts) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
    // Removed with the system's calls, which take a link away as a link;
    // what they cannot remove (a link to a folder with files, under Wine) goes
    // by rm, which does not follow links either. Each start of a Unix program
    // costs this process a handle under Wine, so the shell is the exception.
    std::string targets;
    for (const char* p : {"C:\\Program Files\\TelvoPic", "C:\\Program Files\\Pakzo",
                          "C:\\Program Files\\TelvoPinyin", "C:\\Program Files\\TelvoExplorer",
                          "C:\\Apps", "C:\\decoy", "C:\\standin", "C:\\standin-log.txt"}) {
      tc_test::remove_tree(p);
      if (exists(p)) targets += " '" + unix_path(p) + "'";
    }
    if (!targets.empty()) unix_shell("rm -rf" + targets);
  }

  static void install_standins() {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    for (const char* tool : {"sc", "net", "schtasks", "netsh", "taskkill"}) {
      CopyFileA((tc::e2e::build_dir() + "\\tests\\standins\\" + tool + ".exe").c_str(),
                (std::string(system) + "\\" + tool + ".exe").c_str(), FALSE);
    }
    HKEY handle = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &handle, nullptr);
    for (const char* tool : {"sc.exe", "net.exe", "schtasks.exe", "netsh.exe", "taskkill.exe"})
      RegSetValueExA(handle, tool, 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
    RegCloseKey(handle);
  }

  std::vector<std::unique_ptr<tc_test::Child>> children_;
};

// What the command interpreter writes for a command line (standard output and
// standard error together), run as the cleaner runs it: from the system folder.
inline std::string interpreter_output(const std::string& command) {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return std::string();
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  std::string line = "cmd.exe /c " + command;
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdOutput = si.hStdError = write;
  si.hStdInput = nullptr;
  PROCESS_INFORMATION pi = {};
  std::string output;
  const bool started = CreateProcessA((std::string(system) + "\\cmd.exe").c_str(), &line[0],
                                      nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, system,
                                      &si, &pi);
  CloseHandle(write);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got) output.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(read);
  return output;
}

// A helper holding the file open without delete sharing until it is ended.
class Holder {
 public:
  explicit Holder(const std::string& path)
      : child_(tc::e2e::build_dir() + "\\tests\\helpers\\clean_holder.exe", "\"" + path + "\"") {
    // Held once a deleting open is refused (an open never deletes anything).
    for (int i = 0; i < 300 && !held(path); ++i) Sleep(10);
  }
  static bool held(const std::string& path) {
    HANDLE probe = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      CloseHandle(probe);
      return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
  }
  bool started() const { return child_.started(); }

 private:
  tc_test::Child child_;
};

// The demo installation: all four products with every residue, services,
// tasks and a firewall rule for the stand-ins, the picture viewer's updater
// and a program inside the browser's Protect folder running.
namespace demo {
inline const std::string kPic = "C:\\Program Files\\TelvoPic";
inline const std::string kPakzo = "C:\\Program Files\\Pakzo\\";  // registered with its backslash
inline const std::string kPinyin = "C:\\Program Files\\TelvoPinyin";
inline const std::string kExplorer = "C:\\Program Files\\TelvoExplorer";
}  // namespace demo

struct AllFour {
  DWORD updater = 0;          // 0: it could not be started
  DWORD protect_program = 0;  // likewise
  // The input method's outdated version folders in the order a search gives.
  std::vector<std::string> outdated;
};

inline AllFour install_all_four(Prefix& prefix) {
  using namespace demo;
  AllFour installed;
  // Picture viewer: every residue, its updater running.
  prefix.set_value(Prefix::kProducts[0], "Path", kPic);
  for (const char* f : {"TelvoPic.exe", "TelvoPicUpdate.exe", "Pic_TelvoUpgrade.exe",
                        "TelvoPicHomePage.exe", "Protect\\ViewPicSvc.exe", "tool\\bin\\PicTool.exe"})
    Prefix::exe(kPic + "\\" + f);
  for (const char* f : {"TelvoPic.ini", "Pic_TelvoUpgrade.dll", "Protect\\svc.ini", "tool\\t.dat"})
    Prefix::file(kPic + "\\" + f);
  installed.updater = prefix.run(kPic + "\\TelvoPicUpdate.exe");
  Prefix::service("ViewPic_TelvoSvc", "\"C:\\Program Files\\TelvoPic\\Protect\\ViewPicSvc.exe\"");
  Prefix::task("Pic_TelvoUpgrade Task");

  // Archiver, its path ending in a backslash; one of its two rules exists.
  prefix.set_value(Prefix::kProducts[1], "Path", kPakzo);
  for (const char* f : {"Pakzo.exe", "PakzoUpdate.exe", "Pakzo_TelvoUpgrade.exe", "PakzoHomePage.exe"})
    Prefix::exe(kPakzo + f);
  for (const char* f : {"Pakzo_TelvoUpgrade.dll", "Protect\\agent.dat"}) Prefix::file(kPakzo + f);
  Prefix::folder(kPakzo + "tool");
  Prefix::service("PakzoSvc", "\"C:\\Program Files\\Pakzo\\PakzoSvc.exe\"");
  Prefix::task("Pakzo_TelvoUpgrade Task");
  Prefix::rule("Pakzo_TelvoDLAgent_Rule");

  // Input method: current version, two outdated ones and a dot folder.
  prefix.set_value(Prefix::kProducts[2], "Path", kPinyin);
  prefix.set_value(Prefix::kProducts[2], "Version", "7.2.0.1");
  for (const char* f : {"6.9.0.3\\TelvoPinyinUpdate.exe", "7.2.0.1\\Pinyin_TelvoSvc.exe",
                        "7.2.0.1\\TelvoPinyinUpdate.exe", "7.2.0.1\\Pinyin_TelvoUpgrade.exe"})
    Prefix::exe(kPinyin + "\\" + f);
  for (const char* f : {"TelvoPinyin.ime", "6.9.0.3\\old.dll", "7.0.1.0\\old.dll", ".cache\\index.dat",
                        "7.2.0.1\\TelvoPinyin.dll", "7.2.0.1\\Pinyin_TelvoUpgrade.dll",
                        "7.2.0.1\\Protect\\p.dat", "7.2.0.1\\tool\\t.dat"})
    Prefix::file(kPinyin + "\\" + f);
  Prefix::service("InputMd_TelvoSvc", "\"C:\\Program Files\\TelvoPinyin\\7.2.0.1\\Pinyin_TelvoSvc.exe\"");
  Prefix::task("Pinyin_TelvoUpgrade Task");

  // Browser: a program keeps running inside its Protect folder.
  prefix.set_value(Prefix::kProducts[3], "Path", kExplorer);
  for (const char* f : {"TelvoExplorer.exe", "Upgrade_TelvoExplorer.exe", "TelvoSafeCenterInstaller.exe",
                        "Protect\\ProtectSvc.exe"})
    Prefix::exe(kExplorer + "\\" + f);
  for (const char* f : {"Upgrade_TelvoExplorer.dll", "Resource\\ad.png", "Assistant\\assist.dat"})
    Prefix::file(kExplorer + "\\" + f);
  installed.protect_program = prefix.run(kExplorer + "\\Protect\\ProtectSvc.exe");
  Prefix::service("Protect_TelvoExplorer", "\"C:\\Program Files\\TelvoExplorer\\Protect\\ProtectSvc.exe\"");
  Prefix::task("Upgrade TelvoExplorer Task");

  // Wine lists a folder in the Unix directory's order: take it from a search.
  for (const std::string& name : search_order(kPinyin))
    if (name != "7.2.0.1" && name[0] != '.') installed.outdated.push_back(kPinyin + "\\" + name);
  return installed;

}

// Starts the program, presses the button once and waits for the run's end.
inline std::string run_once(std::unique_ptr<tc::e2e::App>& app, DWORD timeout_ms = 120000) {
  std::string error;
  app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
  if (!app) {
    ADD_FAILURE() << error;
    return std::string();
  }
  app->press_button();
  EXPECT_TRUE(app->wait_for_text("操作全部结束", timeout_ms)) << app->log_text();
  Sleep(100);
  return app->log_text();
}

}  // namespace clean_e2e
