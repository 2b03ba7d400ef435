// The Win32 files and processes adapters against the real system: what the
// cleaning core reads from them must be exactly what the functions report.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleaning/files_win.h"
#include "cleaning/processes_win.h"
#include "cleaning_sandbox.h"

using tc_test::Child;
using tc_test::Sandbox;

namespace {

constexpr std::uint32_t kRestricted = 0x37;

std::string upper(std::string text) {
  CharUpperA(&text[0]);
  return text;
}

TEST(Win32Files, AttributesSeparatePlainEntriesFromMarkedOnes) {
  Sandbox box;
  tc::Win32Files files;
  struct Case {
    const char* label;
    std::string path;
    std::uint32_t restricted;  // attributes & 0x37
  } cases[] = {
      {"new file is plain", box.file("plain.dll"), tc::kAttrArchive},
      {"new folder is plain", box.folder("Protect"), tc::kAttrDirectory},
      {"read-only file", box.file("ro.dll", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
       tc::kAttrArchive | tc::kAttrReadOnly},
      {"hidden file", box.file("hid.exe", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
       tc::kAttrArchive | tc::kAttrHidden},
      {"system file", box.file("sys.exe", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE),
       tc::kAttrArchive | tc::kAttrSystem},
      {"hidden folder", box.folder("tool", FILE_ATTRIBUTE_HIDDEN),
       tc::kAttrDirectory | tc::kAttrHidden},
      {"system folder", box.folder("Assistant", FILE_ATTRIBUTE_SYSTEM),
       tc::kAttrDirectory | tc::kAttrSystem},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::uint32_t attributes = files.get_file_attributes(c.path);
    EXPECT_EQ(attributes, GetFileAttributesA(c.path.c_str()));
    EXPECT_EQ(attributes & kRestricted, c.restricted);
  }
  EXPECT_EQ(files.get_file_attributes(box.path("missing.exe")), tc::kInvalidFileAttributes);

  // Clearing every mark leaves a file that no longer counts as plain either.
  std::string marked = box.path("ro.dll");
  ASSERT_TRUE(files.set_file_attributes(marked, 0));
  EXPECT_EQ(files.get_file_attributes(marked) & (tc::kAttrReadOnly | tc::kAttrHidden), 0u);
  EXPECT_FALSE(files.set_file_attributes(box.path("missing.exe"), 0));
}

TEST(Win32Files, ExistenceAndFolderTests) {
  Sandbox box;
  tc::Win32Files files;
  struct Case {
    const char* label;
    std::string path;
    bool exists;
    std::uint32_t is_directory;
  } cases[] = {
      {"file", box.file("a.exe"), true, 0},
      {"folder", box.folder("dir"), true, 0x10},
      {"folder with backslash", box.path("dir\\"), true, 0x10},
      {"hidden folder", box.folder("hid", FILE_ATTRIBUTE_HIDDEN), true, 0x10},
      {"missing", box.path("nothing"), false, 0},
      {"below a file", box.path("a.exe\\x"), false, 0},
      {"double-byte name", box.folder("升级目录"), true, 0x10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(files.path_file_exists(c.path), c.exists);
    EXPECT_EQ(files.path_is_directory(c.path), c.is_directory);
    EXPECT_EQ(files.path_is_directory(c.path),
              static_cast<std::uint32_t>(PathIsDirectoryA(c.path.c_str())));
  }
}

TEST(Win32Files, DeletionKeepsReadOnlyFilesAndFullFolders) {
  Sandbox box;
  tc::Win32Files files;
  std::string ro = box.file("ro.dll", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files.delete_file(ro));
  EXPECT_TRUE(files.path_file_exists(ro));
  files.set_file_attributes(ro, 0);
  EXPECT_TRUE(files.delete_file(ro));
  EXPECT_FALSE(files.path_file_exists(ro));
  EXPECT_FALSE(files.delete_file(ro));

  std::string dir = box.folder("full");
  box.file("full\\inner.txt");
  EXPECT_FALSE(files.remove_directory(dir));
  EXPECT_TRUE(files.path_file_exists(dir));
  DeleteFileA(box.path("full\\inner.txt").c_str());
  EXPECT_TRUE(files.remove_directory(dir));
  EXPECT_FALSE(files.path_file_exists(dir));
}

TEST(Win32Files, DirectorySearchGivesTheSystemsEntriesInItsOrder) {
  Sandbox box;
  tc::Win32Files files;
  box.folder("2.0.0.5");
  box.folder(".cache");
  box.folder("1.0.0.1", FILE_ATTRIBUTE_HIDDEN);
  box.file("readme.txt");
  box.file("svc.exe", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  box.file("升级.exe");

  // The raw search, as the system returns it.
  std::vector<std::pair<std::string, DWORD>> expected;
  WIN32_FIND_DATAA data;
  HANDLE raw = FindFirstFileA((box.root() + "\\*.*").c_str(), &data);
  ASSERT_NE(raw, INVALID_HANDLE_VALUE);
  do expected.emplace_back(data.cFileName, data.dwFileAttributes);
  while (FindNextFileA(raw, &data));
  FindClose(raw);

  std::vector<std::pair<std::string, DWORD>> got;
  {
    auto search = files.find_first(box.root() + "\\*.*");
    ASSERT_NE(search, nullptr);
    tc::FindEntry entry{"sentinel", 0xdeadbeef};
    while (search->next(entry)) got.emplace_back(entry.name, entry.attributes);
    EXPECT_FALSE(search->next(entry));  // stays at its end
  }
  EXPECT_EQ(got, expected);
  ASSERT_EQ(got.size(), 8u);  // ".", ".." and the six entries

  auto attributes_of = [&](const std::string& name) -> DWORD {
    for (auto& e : got)
      if (e.first == name) return e.second;
    return 0xdeadbeef;
  };
  EXPECT_EQ(attributes_of("1.0.0.1") & kRestricted, tc::kAttrDirectory | tc::kAttrHidden);
  EXPECT_EQ(attributes_of("svc.exe") & (tc::kAttrSystem | tc::kAttrHidden),
            tc::kAttrSystem | tc::kAttrHidden);
  EXPECT_NE(attributes_of("升级.exe"), 0xdeadbeefu);

  // A pattern finds only what matches it.
  auto exes = files.find_first(box.root() + "\\*.exe");
  ASSERT_NE(exes, nullptr);
  std::vector<std::string> names;
  for (tc::FindEntry e; exes->next(e);) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"svc.exe", "升级.exe"}));

  EXPECT_EQ(files.find_first(box.root() + "\\*.none"), nullptr);
  EXPECT_EQ(files.find_first(box.path("missing\\*.*")), nullptr);
}

TEST(Win32Processes, SnapshotFindsARunningHelperAndTerminationEndsIt) {
  Sandbox box;
  std::string exe = box.path("TcPicUpdate.exe");
  ASSERT_TRUE(tc_test::copy_sleeper(exe));
  Child child(exe);
  ASSERT_TRUE(child.started());
  tc::Win32Processes processes;

  for (std::uint32_t flags : {tc::kSnapProcess, tc::kSnapAll}) {
    SCOPED_TRACE(flags);
    std::vector<tc::ProcessEntry> entries;
    ASSERT_TRUE(processes.snapshot(flags, entries));
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const tc::ProcessEntry& e) { return e.pid == child.pid(); });
    ASSERT_NE(it, entries.end());
    EXPECT_EQ(it->exe_name, "TcPicUpdate.exe");  // the image name without folder
    auto self = std::find_if(entries.begin(), entries.end(), [&](const tc::ProcessEntry& e) {
      return e.pid == processes.current_pid();
    });
    EXPECT_NE(self, entries.end());
  }

  EXPECT_EQ(upper(processes.image_path(child.pid())), upper(exe));
  EXPECT_EQ(processes.current_pid(), GetCurrentProcessId());

  // A running program file is locked, as on Windows.
  EXPECT_FALSE(DeleteFileA(exe.c_str()));
  EXPECT_TRUE(processes.terminate(child.pid(), 0));
  EXPECT_TRUE(child.ended_within(5000));
  EXPECT_TRUE(DeleteFileA(exe.c_str()) || !PathFileExistsA(exe.c_str()));
}

TEST(Win32Processes, NoProcessGivesFalseAndAnEmptyPath) {
  tc::Win32Processes processes;
  EXPECT_FALSE(processes.terminate(0, 0));
  EXPECT_EQ(processes.image_path(0), "");
  // Process IDs are multiples of four; this one is far beyond any in use.
  EXPECT_FALSE(processes.terminate(0x7ffffffc, 0));
  EXPECT_EQ(processes.image_path(0x7ffffffc), "");
}

}  // namespace
