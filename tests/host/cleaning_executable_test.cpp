#include <gtest/gtest.h>

#include "cleaning/executable_removal.h"
#include "cleaning/process_lookup.h"
#include "host/cleaning_world.h"

namespace tc {
namespace {

const Text kUpdater = "D:\\Apps\\Glimra\\TelvoPicUpdate.exe";

TEST(ProcessLookup, WholeImageNamesUnderFolding) {
  CleaningWorld world;
  world.processes.start(77, kUpdater);
  world.processes.start(78, "D:\\Apps\\\xB8\xFC\xD0\xC2.exe");
  struct Case {
    const char* label;
    Text name;
    bool found;
  };
  const Case cases[] = {
      {"small letters", "telvopicupdate.exe", true},
      {"capitals", "TELVOPICUPDATE.EXE", true},
      {"part of the name", "Update.exe", false},
      {"with a folder", kUpdater, false},
      {"double-byte name, capital extension", "\xB8\xFC\xD0\xC2.EXE", true},
      {"differs in a double-byte character", "\xB8\xFC\xD0\xC3.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(process_is_running(world.ports, c.name), c.found);
    EXPECT_EQ(find_process_id(world.ports, c.name) != 0, c.found);
  }
  world.processes.snapshot_flags.clear();
  process_is_running(world.ports, "x.exe");
  find_process_id(world.ports, "x.exe");
  EXPECT_EQ(world.processes.snapshot_flags, (std::vector<std::uint32_t>{kSnapAll, kSnapProcess}));
}

TEST(ProcessLookup, TerminatesTheFirstMatchAndNeverItself) {
  CleaningWorld world;
  world.processes.start(77, kUpdater);
  world.processes.start(78, "E:\\Other\\TelvoPicUpdate.exe");
  world.processes.start(79, "E:\\Copy\\TelvoCleaner.exe");
  EXPECT_TRUE(terminate_process_by_name(world.ports, "telvopicupdate.exe"));
  EXPECT_EQ(world.processes.terminated, (std::vector<std::uint32_t>{77}));
  // The tool's own process (4242, started first) is passed over.
  EXPECT_EQ(find_process_id(world.ports, "TelvoCleaner.exe"), 79u);
  EXPECT_TRUE(terminate_process_by_name(world.ports, "TelvoCleaner.exe"));
  EXPECT_FALSE(terminate_process_by_name(world.ports, "TelvoCleaner.exe"));
  EXPECT_TRUE(world.processes.running(4242));

  world.processes.snapshot_fails = true;
  EXPECT_FALSE(process_is_running(world.ports, "telvopicupdate.exe"));
  EXPECT_EQ(find_process_id(world.ports, "telvopicupdate.exe"), 0u);
}

TEST(RemoveExecutableLoud, RunningFileEndedByItsFoldedNameThenDeleted) {
  CleaningWorld world;
  world.files.add_file(kUpdater);
  world.processes.start(77, kUpdater);
  EXPECT_TRUE(remove_executable(world.ports, kUpdater, false));
  EXPECT_EQ(world.console.commands(),
            (TextList{"taskkill /f /t /im \"telvopicupdate.exe\"", "del /f /q \"" + kUpdater + "\""}));
  EXPECT_EQ(world.log.text,
            line("SUCCESS: The process \"telvopicupdate.exe\" with PID 77 has been terminated.") +
                line(kUpdater + " 已被删除"));
  EXPECT_FALSE(world.files.exists(kUpdater));
}

TEST(RemoveExecutableLoud, NotRunningDeletableFileTakesOneDel) {
  CleaningWorld world;
  world.files.add_file(kUpdater, kAttrArchive | kAttrReadOnly);  // del /f takes read-only files
  EXPECT_TRUE(remove_executable(world.ports, kUpdater, false));
  EXPECT_EQ(world.console.commands(), (TextList{"del /f /q \"" + kUpdater + "\""}));
  EXPECT_EQ(world.log.text, line(kUpdater + " 已被删除"));
}

TEST(RemoveExecutableLoud, MissingFileWritesOneLineAndRunsNothing) {
  CleaningWorld world;
  EXPECT_FALSE(remove_executable(world.ports, kUpdater, false));
  EXPECT_TRUE(world.console.records.empty());
  EXPECT_EQ(world.log.text, line(kUpdater + " 不存在"));
}

TEST(RemoveExecutableLoud, LockedFileHoldsTenAttemptsASecondApart) {
  CleaningWorld world;
  world.files.add_file(kUpdater);
  world.files.lock(kUpdater);  // held open by something that is not a process of that name
  const std::uint32_t start = world.events.tick_count();
  EXPECT_FALSE(remove_executable(world.ports, kUpdater, false));
  ASSERT_EQ(world.console.records.size(), 10u);
  Text expected;
  for (std::size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(world.console.records[i].command, "del /f /q \"" + kUpdater + "\"");
    if (i > 0) {
      const std::uint32_t gap = world.console.records[i].at - world.console.records[i - 1].at;
      EXPECT_GE(gap, 1000u + world.console.cost_ms);
      EXPECT_LE(gap, 1010u + world.console.cost_ms);
    }
    expected += line("The process cannot access the file because it is being used by another process.");
  }
  EXPECT_EQ(world.log.text, expected + line(kUpdater + " 删除失败"));
  // The tenth attempt is followed by its wait too.
  EXPECT_GE(world.events.tick_count() - start, 10u * (1000u + world.console.cost_ms));
}

TEST(RemoveExecutableLoud, NeverEndsTheToolItself) {
  CleaningWorld world;
  const Text copy = "D:\\Apps\\Glimra\\TelvoCleaner.exe";  // same image name as the tool
  world.files.add_file(copy);
  EXPECT_TRUE(remove_executable(world.ports, copy, false));
  EXPECT_EQ(world.console.commands(), (TextList{"del /f /q \"" + copy + "\""}));
  EXPECT_TRUE(world.processes.running(4242));
}

TEST(RemoveExecutableLoud, PathTheInterpreterWouldChangeIsNeverHandedToDel) {
  for (const Text& path : {Text("D:\\Apps\\100%\\x.exe"), Text("D:\\Apps\\a\"b\\x.exe")}) {
    SCOPED_TRACE(path);
    CleaningWorld world;
    world.files.add_file(path);
    EXPECT_FALSE(remove_executable(world.ports, path, false));
    EXPECT_TRUE(world.console.records.empty());
    EXPECT_EQ(world.log.text, line(path + " 删除失败"));
    EXPECT_TRUE(world.files.exists(path));
  }
}

TEST(RemoveExecutableQuiet, WritesNothingInEveryCase) {
  struct Case {
    const char* label;
    bool exists;
    bool running;
    bool locked;
    bool gone;
  };
  const Case cases[] = {
      {"missing", false, false, false, false},
      {"deletable", true, false, false, true},
      {"running from this file", true, true, false, true},
      {"held open", true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CleaningWorld world;
    if (c.exists) world.files.add_file(kUpdater, kAttrArchive | kAttrHidden | kAttrSystem);
    if (c.running) world.processes.start(77, kUpdater);
    if (c.locked) world.files.lock(kUpdater);
    EXPECT_EQ(remove_executable(world.ports, kUpdater, true), c.gone);
    EXPECT_EQ(world.log.text, "");
    EXPECT_TRUE(world.console.records.empty());
    EXPECT_EQ(world.files.exists(kUpdater), c.exists && !c.gone);
  }
}

TEST(RemoveExecutableQuiet, TwoProcessesOfTheFileEndedOneASecond) {
  CleaningWorld world;
  world.files.add_file(kUpdater);
  world.processes.start(77, kUpdater);
  world.processes.start(78, kUpdater);
  EXPECT_TRUE(remove_executable(world.ports, kUpdater, true));
  EXPECT_EQ(world.processes.terminated, (std::vector<std::uint32_t>{77, 78}));
  EXPECT_GE(world.events.tick_count() - 100000, 1000u);  // one wait between the two
  EXPECT_LT(world.events.tick_count() - 100000, 1100u);
}

TEST(RemoveExecutableQuiet, OnlyAProcessRunningThisVeryFileIsEnded) {
  CleaningWorld world;
  world.files.add_file(kUpdater);
  world.processes.start(77, "E:\\Elsewhere\\TelvoPicUpdate.exe");
  EXPECT_TRUE(remove_executable(world.ports, kUpdater, true));
  EXPECT_TRUE(world.processes.running(77));
  EXPECT_TRUE(world.processes.terminated.empty());

  // Same file, spelt in other letter case with a doubled separator.
  world.files.add_file(kUpdater);
  world.processes.start(80, "d:\\apps\\glimra\\telvopicupdate.EXE");
  EXPECT_TRUE(remove_executable(world.ports, "D:\\Apps\\Glimra\\\\TelvoPicUpdate.exe", true));
  EXPECT_EQ(world.processes.terminated, (std::vector<std::uint32_t>{80}));
}

TEST(RemoveExecutableQuiet, PassesOverTheToolsOwnProcess) {
  CleaningWorld world;
  const Text self = "C:\\Tools\\TelvoCleaner.exe";
  world.files.add_file(self);
  world.files.lock(self);  // the running image, as the process table would hold it
  EXPECT_FALSE(remove_executable(world.ports, self, true));
  EXPECT_TRUE(world.processes.running(4242));
  EXPECT_TRUE(world.processes.terminated.empty());
}

TEST(ForceDeleteFile, ClearsAttributesAndStopsAtTheLimitWithoutPumping) {
  CleaningWorld world;
  const Text path = "D:\\x\\a.exe";
  world.files.add_file(path, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  force_delete_file(world.ports, path, 10);
  EXPECT_FALSE(world.files.exists(path));

  world.files.add_file(path);
  world.files.lock(path);
  const std::uint32_t start = world.events.tick_count();
  const std::uint64_t pumps = world.events.pumps();
  force_delete_file(world.ports, path, 10);
  EXPECT_TRUE(world.files.exists(path));
  EXPECT_EQ(world.events.tick_count() - start, 10u);  // one virtual millisecond per try
  EXPECT_EQ(world.events.pumps(), pumps);
}

}  // namespace
}  // namespace tc
