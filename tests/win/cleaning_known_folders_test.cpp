// The system's well-known folders as the install path guard gets them, and the
// guard refusing each of them on this system.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "cleaning/files_win.h"
#include "cleaning/install_path_guard.h"
#include "cleaning/processes_win.h"
#include "fakes/fake_events.h"
#include "fakes/fake_log_box.h"
#include "fakes/fake_registry.h"
#include "system/command_runner_win.h"
#include "system/registry_access.h"

namespace {

using tc::KnownFolder;

std::string env(const char* name) {
  char buffer[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return n && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

std::string lower(std::string text) {
  CharLowerA(&text[0]);
  return text;
}

TEST(KnownFolders, MatchWhatTheSystemReports) {
  tc::Win32Files files;
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  struct Case {
    const char* label;
    KnownFolder which;
    std::string expected;
  } cases[] = {
      {"Windows", KnownFolder::Windows, windows},
      {"system", KnownFolder::System, system},
      {"Program Files", KnownFolder::ProgramFiles, env("ProgramFiles")},
      {"ProgramData", KnownFolder::ProgramData, env("ProgramData")},
      {"profile", KnownFolder::Profile, env("USERPROFILE")},
      // A 32-bit system has no second system or Program Files folder.
      {"native Program Files", KnownFolder::ProgramFilesNative, env("ProgramW6432")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(lower(files.known_folder(c.which)), lower(c.expected));
  }
  const std::string profile = files.known_folder(KnownFolder::Profile);
  const std::string users = files.known_folder(KnownFolder::Users);
  ASSERT_FALSE(users.empty());
  EXPECT_EQ(lower(users + "\\" + env("USERNAME")), lower(profile));
  EXPECT_FALSE(files.known_folder(KnownFolder::ProgramFilesX86).empty());
}

TEST(KnownFolders, InstallPathGuardRefusesEachOfThem) {
  tc::FakeLogBox log;
  tc::FakeEventPort events;
  tc::Win32Console console;
  tc::Win32Files files;
  tc::Win32Processes processes;
  tc::FakeRegistry registry_port;
  tc::RegistryAccess registry{registry_port};
  tc::Ports ports{log, events, console, files, processes, registry};

  for (KnownFolder which :
       {KnownFolder::Windows, KnownFolder::System, KnownFolder::ProgramFiles,
        KnownFolder::ProgramFilesX86, KnownFolder::ProgramData, KnownFolder::Users,
        KnownFolder::Profile}) {
    const std::string folder = files.known_folder(which);
    SCOPED_TRACE(folder);
    ASSERT_FALSE(folder.empty());
    EXPECT_FALSE(tc::install_path_is_safe(ports, folder));
    EXPECT_FALSE(tc::install_path_is_safe(ports, folder + "\\"));
    EXPECT_FALSE(tc::install_path_is_safe(ports, lower(folder)));
    std::string doubled = folder;
    doubled.insert(doubled.find('\\'), "\\");
    EXPECT_FALSE(tc::install_path_is_safe(ports, doubled));
  }
  const std::string users = files.known_folder(KnownFolder::Users);
  EXPECT_FALSE(tc::install_path_is_safe(ports, users + "\\SomeoneElse"));
  EXPECT_TRUE(tc::install_path_is_safe(ports, users + "\\SomeoneElse\\Apps\\TelvoPic"));
  EXPECT_TRUE(tc::install_path_is_safe(
      ports, files.known_folder(KnownFolder::ProgramFiles) + "\\TelvoPic"));
  EXPECT_TRUE(tc::install_path_is_safe(
      ports, files.known_folder(KnownFolder::ProgramFilesX86) + "\\Telvo\\Pakzo\\"));
}

}  // namespace
