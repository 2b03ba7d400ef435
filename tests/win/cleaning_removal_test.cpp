// The cleaning core's own text rules and its quiet removal, run against the
// real system: the shell path functions, CharUpperA, process snapshots and
// the interpreter's "rd".
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include <gtest/gtest.h>

#include "cleaning/executable_removal.h"
#include "cleaning/files_win.h"
#include "cleaning/folder_tree.h"
#include "cleaning/name_folding.h"
#include "cleaning/path_helpers.h"
#include "cleaning/process_lookup.h"
#include "cleaning/processes_win.h"
#include "cleaning/subfolders.h"
#include "cleaning_sandbox.h"
#include "fakes/fake_log_box.h"
#include "fakes/fake_registry.h"
#include "system/command_runner_win.h"
#include "system/events_win.h"
#include "system/registry_access.h"

using tc_test::Child;
using tc_test::Sandbox;

namespace {

// The program's adapters, with the log box kept as text.
struct SystemPorts {
  tc::FakeLogBox log;
  tc::Win32EventPort events;
  tc::Win32Console console;
  tc::Win32Files files;
  tc::Win32Processes processes;
  tc::FakeRegistry registry_port;
  tc::RegistryAccess registry{registry_port};
  tc::Ports ports{log, events, console, files, processes, registry};
};

std::string real_extension(std::string path) { return PathFindExtensionA(&path[0]); }

// A component that ends in a backslash gives no name; a trail byte 0x5C of a
// double-byte character is not a backslash.
std::string real_file_name(std::string path) {
  const char* name = PathFindFileNameA(&path[0]);
  const char* end = name + lstrlenA(name);
  if (end != name && *CharPrevA(name, end) == '\\' && CharPrevA(name, end) == end - 1)
    return std::string();
  return name;
}

std::string real_upper(std::string text) {
  if (!text.empty()) CharUpperA(&text[0]);
  return text;
}

TEST(CleaningTextRules, PathHelpersAgreeWithTheShell) {
  struct Case {
    const char* label;
    const char* path;
  } cases[] = {
      {"executable", "C:\\Apps\\Glimra\\TelvoPicUpdate.exe"},
      {"capital extension", "C:\\Apps\\x.EXE"},
      {"two dots", "C:\\Apps\\a.tar.gz"},
      {"no extension", "C:\\Apps\\tool"},
      {"dot in the folder only", "C:\\Apps.d\\tool"},
      {"dot name", "C:\\Apps\\.hidden"},
      {"trailing dot", "C:\\Apps\\name."},
      {"space after the dot", "C:\\Apps\\a.b c"},
      {"space before the dot", "C:\\Apps\\a b.exe"},
      {"folder with backslash", "C:\\Apps\\Protect\\"},
      {"doubled separator", "C:\\Apps\\\\Protect\\x.exe"},
      {"bare name", "Pic_TelvoUpgrade.dll"},
      {"drive root", "C:\\"},
      {"empty", ""},
      {"double-byte name", "C:\\软件\\升级程序.exe"},
      {"trail byte 0x5C", "C:\\Apps\\\x81\x5c"},
      {"trail byte 0x5C then name", "C:\\\x81\x5c\\x.dll"},
      {"forward slash", "C:/Apps/x.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(tc::file_extension(c.path), real_extension(c.path));
    EXPECT_EQ(tc::file_name_of(c.path), real_file_name(c.path));
  }
}

TEST(CleaningTextRules, UpperCopyAgreesWithCharUpperA) {
  struct Case {
    const char* label;
    std::string text;
  } cases[] = {
      {"ASCII letters", "C:\\Program Files\\TelvoPinyin\\7.2.0.1"},
      {"digits and signs", "0123456789 !#$&'()+,-.;=@[]^_`{}~"},
      {"double-byte text", "输入法\\版本abc"},
      // The system upper-cases through Unicode, so full-width letters change
      // too; folder names that the file system takes as one must compare equal.
      {"full-width letters", "ａｂｃ"},
      {"trail byte that looks like a letter", "\x81" "a" "\x81" "z"},
      {"single high bytes", "\x80" "a" "\xff" "b"},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string original = c.text;
    EXPECT_EQ(tc::to_upper_copy(c.text), real_upper(c.text));
    EXPECT_EQ(c.text, original);
  }
}

TEST(CleaningProcesses, RunningHelperIsFoundByItsFoldedNameAndEnded) {
  Sandbox box;
  SystemPorts sys;
  std::string exe = box.path("TelvoPicUpdate.exe");
  std::string wide = box.path("升级Update.exe");
  ASSERT_TRUE(tc_test::copy_sleeper(exe));
  ASSERT_TRUE(tc_test::copy_sleeper(wide));
  Child child(exe);
  Child wide_child(wide);
  ASSERT_TRUE(child.started() && wide_child.started());

  struct Case {
    const char* label;
    const char* name;
    DWORD pid;  // 0: not found
  } cases[] = {
      {"as in the snapshot", "TelvoPicUpdate.exe", child.pid()},
      {"small letters", "telvopicupdate.exe", child.pid()},
      {"capitals", "TELVOPICUPDATE.EXE", child.pid()},
      {"part of the name", "Update.exe", 0},
      {"without extension", "TelvoPicUpdate", 0},
      {"with a folder", exe.c_str(), 0},
      {"double-byte name, ASCII part folded", "升级UPDATE.exe", wide_child.pid()},
      {"differs in a double-byte character", "升极Update.exe", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(tc::process_is_running(sys.ports, c.name), c.pid != 0);
    EXPECT_EQ(tc::find_process_id(sys.ports, c.name), c.pid);
  }
  EXPECT_EQ(tc::find_process_by_image(sys.ports, real_upper(exe)), child.pid());
  EXPECT_EQ(tc::find_process_by_image(sys.ports, box.path("other\\TelvoPicUpdate.exe")), 0u);

  EXPECT_TRUE(tc::terminate_process_by_name(sys.ports, "TELVOPICUPDATE.EXE"));
  EXPECT_TRUE(child.ended_within(5000));
  EXPECT_FALSE(tc::process_is_running(sys.ports, "telvopicupdate.exe"));
  EXPECT_FALSE(tc::terminate_process_by_name(sys.ports, "telvopicupdate.exe"));
  EXPECT_FALSE(wide_child.ended_within(0));
}

TEST(CleaningProcesses, OwnProcessIsNeverChosen) {
  SystemPorts sys;
  const std::string own = tc::own_image_name(sys.ports);
  EXPECT_EQ(own, "win_tests.exe");
  EXPECT_TRUE(tc::process_is_running(sys.ports, own));  // it is running, plainly
  // Other cases of this program may run beside this one (CTest runs them in
  // parallel), so only "never this process" can be asserted here; ending by
  // name is left untried, it could end a sibling. The fakes cover the rest.
  EXPECT_NE(tc::find_process_id(sys.ports, own), GetCurrentProcessId());
}

TEST(CleaningRemoval, QuietRemovalEndsOnlyTheProcessRunningThatFile) {
  struct Case {
    const char* label;
    const char* separator;  // between the sandbox and the residue folder
  } cases[] = {
      {"plain path", "\\"},
      {"path with a doubled separator", "\\\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Sandbox box;
    SystemPorts sys;
    box.folder("Protect");
    box.folder("elsewhere");
    std::string exe = box.path("Protect\\TcUpd.exe");
    std::string same_name = box.path("elsewhere\\TcUpd.exe");
    ASSERT_TRUE(tc_test::copy_sleeper(exe) && tc_test::copy_sleeper(same_name));
    Child stranger(same_name);
    Child child(exe);
    ASSERT_TRUE(child.started() && stranger.started());

    std::string given = box.root() + c.separator + "Protect\\TcUpd.exe";
    EXPECT_TRUE(tc::remove_executable(sys.ports, given, true));
    EXPECT_TRUE(child.ended_within(5000));
    EXPECT_FALSE(PathFileExistsA(exe.c_str()));
    EXPECT_FALSE(stranger.ended_within(0));  // its file is not the one removed
    EXPECT_TRUE(PathFileExistsA(same_name.c_str()));
    EXPECT_EQ(sys.log.text, "");
  }
}

TEST(CleaningRemoval, ForceDeleteRemovesAReadOnlyHiddenFile) {
  Sandbox box;
  SystemPorts sys;
  std::string file = box.file("Pinyin_TelvoSvc.exe",
                              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_EQ(GetFileAttributesA(file.c_str()) & 0x07, 0x07u);
  tc::force_delete_file(sys.ports, file, 10);
  EXPECT_FALSE(PathFileExistsA(file.c_str()));
}

TEST(CleaningRemoval, ForceDeleteGivesUpOnAHeldFileAfterItsLimit) {
  Sandbox box;
  SystemPorts sys;
  std::string file = box.file("held.exe", FILE_ATTRIBUTE_READONLY);
  // Held open without delete sharing: no deletion can succeed meanwhile.
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD start = GetTickCount();
  tc::force_delete_file(sys.ports, file, 10);
  DWORD elapsed = GetTickCount() - start;
  CloseHandle(held);
  EXPECT_TRUE(PathFileExistsA(file.c_str()));
  EXPECT_GE(elapsed, 10u);
  EXPECT_LT(elapsed, 500u);
}

TEST(CleaningRemoval, FolderTreeWithARunningExecutableGoesWithOneLine) {
  Sandbox box;
  SystemPorts sys;
  box.folder("Protect");
  box.folder("Protect\\deep");
  box.folder("Protect\\deep\\er", FILE_ATTRIBUTE_HIDDEN);
  box.file("Protect\\readme.txt", FILE_ATTRIBUTE_READONLY);
  std::string exe = box.path("Protect\\deep\\er\\TelvoPinyinUpdate.exe");
  ASSERT_TRUE(tc_test::copy_sleeper(exe));
  SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_HIDDEN);
  Child child(exe);
  ASSERT_TRUE(child.started());

  const std::string folder = box.path("Protect");
  EXPECT_TRUE(tc::remove_folder_tree(sys.ports, folder));
  EXPECT_TRUE(child.ended_within(5000));
  EXPECT_FALSE(PathFileExistsA(folder.c_str()));
  EXPECT_EQ(sys.log.text, folder + " 删除成功\r\n");
}

TEST(CleaningRemoval, SubfoldersAndCollectedFilesFollowTheSearchOrder) {
  Sandbox box;
  SystemPorts sys;
  for (const char* name : {"2.0.0.5", "7.2.0.1", ".cache", "1.0.0.1"}) box.folder(name);
  SetFileAttributesA(box.path("1.0.0.1").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  box.file("readme.txt");
  box.file("a.exe");
  box.file("2.0.0.5\\b.exe", FILE_ATTRIBUTE_HIDDEN);
  box.file("2.0.0.5\\c.dll");
  box.file(".cache\\d.exe");

  // What the system's search returns, in its own order.
  std::vector<std::string> folders, top_exes;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((box.root() + "\\*.*").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    std::string name = data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name != "." && name != "..") folders.push_back(name);
    } else if (name.size() > 4 && name.substr(name.size() - 4) == ".exe") {
      top_exes.push_back(name);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);

  for (const std::string& folder : {box.root(), box.root() + "\\"}) {
    SCOPED_TRACE(folder);
    tc::TextList listed{"kept"};
    std::vector<std::string> expected{"kept"};
    for (const auto& name : folders)
      if (name[0] != '.') expected.push_back(box.root() + "\\" + name);
    EXPECT_EQ(tc::list_subfolders(sys.ports, folder, listed), 3);
    EXPECT_EQ(listed, expected);
  }

  tc::TextList files;
  tc::collect_files(sys.ports, box.root(), "*.exe", files);
  std::vector<std::string> expected;
  for (const auto& name : top_exes) expected.push_back(box.root() + "\\" + name);
  for (const auto& name : folders) {
    if (name == "2.0.0.5") expected.push_back(box.root() + "\\2.0.0.5\\b.exe");
    if (name == ".cache") expected.push_back(box.root() + "\\.cache\\d.exe");
  }
  EXPECT_EQ(files, expected);
}

}  // namespace
