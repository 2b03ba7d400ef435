#include <gtest/gtest.h>

#include "cleaning/residues.h"
#include "host/cleaning_world.h"

namespace tc {
namespace {

const Text kDir = "D:\\Apps\\Glimra";
const Text kBase = kDir + "\\";
const Text kInUse = "The process cannot access the file because it is being used by another process.";

Text del(const Text& name) { return "del /f /q \"" + kBase + name + "\""; }

TEST(RemoveResidues, NothingPlainFoundWritesNothing) {
  struct Case {
    const char* label;
    bool folder;
    std::uint32_t attributes;
  };
  const Case cases[] = {
      {"read-only file", false, kAttrArchive | kAttrReadOnly},
      {"hidden file", false, kAttrArchive | kAttrHidden},
      {"system file", false, kAttrArchive | kAttrSystem},
      {"file without the archive mark", false, kAttrNormal},
      {"folder with the archive mark", true, kAttrDirectory | kAttrArchive},
      {"hidden folder", true, kAttrDirectory | kAttrHidden},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CleaningWorld world;
    world.files.add_folder(kDir);
    if (c.folder) {
      world.files.add_folder(kBase + "Protect", c.attributes);
    } else {
      world.files.add_file(kBase + "Pic_TelvoUpgrade.dll", c.attributes);
      world.files.add_file(kBase + "TelvoPicUpdate.exe", c.attributes);
    }
    EXPECT_FALSE(remove_residues(world.ports, kDir,
                                 {"TelvoPicUpdate.exe", "Pic_TelvoUpgrade.dll", "Protect", "missing"}));
    EXPECT_EQ(world.log.text, "");
    EXPECT_TRUE(world.console.records.empty());
  }
  CleaningWorld empty;
  EXPECT_FALSE(remove_residues(empty.ports, "D:\\Missing", {"a.exe", "Protect"}));
  EXPECT_EQ(empty.log.text, "");
}

TEST(RemoveResidues, ExecutablesThenOtherFilesThenFoldersWhateverTheListOrder) {
  for (const Text& folder : {kDir, kBase}) {
    SCOPED_TRACE(folder);
    CleaningWorld world;
    for (const char* name : {"tool", "Protect"}) world.files.add_folder(kBase + name);
    world.files.add_file(kBase + "Protect\\x.dat");
    for (const char* name : {"Pic_TelvoUpgrade.dll", "TelvoPicHomePage.exe", "TelvoPicUpdate.exe",
                             "Pic_TelvoUpgrade.exe"}) {
      world.files.add_file(kBase + name);
    }
    const TextList list{"Protect", "Pic_TelvoUpgrade.dll", "TelvoPicUpdate.exe", "tool",
                        "Pic_TelvoUpgrade.exe", "TelvoPicHomePage.exe"};
    EXPECT_TRUE(remove_residues(world.ports, folder, list));
    EXPECT_EQ(world.console.commands(),
              (TextList{del("TelvoPicUpdate.exe"), del("Pic_TelvoUpgrade.exe"), del("TelvoPicHomePage.exe"),
                        del("Pic_TelvoUpgrade.dll"), "rd /s /q \"" + kBase + "Protect\"",
                        "rd /s /q \"" + kBase + "tool\""}));
    EXPECT_EQ(world.log.text, line(kBase + "TelvoPicUpdate.exe 已被删除") +
                                  line(kBase + "Pic_TelvoUpgrade.exe 已被删除") +
                                  line(kBase + "TelvoPicHomePage.exe 已被删除") +
                                  line("Pic_TelvoUpgrade.dll 已被删除") + line(kBase + "Protect 删除成功") +
                                  line(kBase + "tool 删除成功"));
    EXPECT_EQ(world.files.tree(kDir), (TextList{kDir}));
  }
}

TEST(RemoveResidues, OneDeletionPerPassASecondApart) {
  struct Case {
    const char* label;
    int files;
    int locked;           // the first names are held open
    std::size_t commands;
    Text log_of_first_passes;
  };
  const Case cases[] = {
      {"one file", 1, 0, 1, line("f0.dll 已被删除")},
      {"two files", 2, 0, 2, line("f0.dll 已被删除") + line("f1.dll 已被删除")},
      {"one held open", 1, 1, 10, Text()},
      {"twelve held open", 12, 12, 144, Text()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CleaningWorld world;
    TextList list;
    for (int i = 0; i < c.files; ++i) {
      const Text name = "f" + std::to_string(i) + ".dll";
      world.files.add_file(kBase + name);
      if (i < c.locked) world.files.lock(kBase + name);
      list.push_back(name);
    }
    const std::uint32_t start = world.events.tick_count();
    EXPECT_TRUE(remove_residues(world.ports, kDir, list));
    ASSERT_EQ(world.console.records.size(), c.commands);
    if (c.locked == 0) {
      EXPECT_EQ(world.log.text, c.log_of_first_passes);
      // Pass k starts k seconds (and the commands) after the first.
      for (std::size_t k = 1; k < c.commands; ++k) {
        const std::uint32_t gap = world.console.records[k].at - world.console.records[k - 1].at;
        EXPECT_GE(gap, 1000u + world.console.cost_ms);
        EXPECT_LE(gap, 1010u + world.console.cost_ms);
      }
      EXPECT_LT(world.events.tick_count() - start,
                (static_cast<std::uint32_t>(c.files) - 1) * 1010u + 100u);  // no wait after the last
    } else {
      // Every pass tries every name and fails; the passes are max(n, 10).
      Text expected;
      const std::size_t passes = c.commands / static_cast<std::size_t>(c.files);
      for (std::size_t pass = 0; pass < passes; ++pass) {
        for (const Text& name : list) expected += line(kInUse) + line(name + " 删除失败");
      }
      EXPECT_EQ(world.log.text, expected);
      const std::uint32_t first_of_last = world.console.records[c.commands - c.files].at;
      EXPECT_GE(first_of_last - world.console.records[0].at,
                static_cast<std::uint32_t>(passes - 1) * (1000u + c.files * world.console.cost_ms));
      EXPECT_GE(world.events.tick_count() - start, static_cast<std::uint32_t>(passes) * 1000u);
    }
  }
}

TEST(RemoveResidues, CapitalExeIsAnotherFile) {
  CleaningWorld world;
  world.files.add_file(kBase + "TelvoPicUpdate.EXE");
  world.processes.start(77, "E:\\Other\\TelvoPicUpdate.EXE");  // same name, another file
  EXPECT_TRUE(remove_residues(world.ports, kDir, {"TelvoPicUpdate.EXE"}));
  EXPECT_EQ(world.console.commands(), (TextList{del("TelvoPicUpdate.EXE")}));
  EXPECT_EQ(world.log.text, line("TelvoPicUpdate.EXE 已被删除"));
  EXPECT_TRUE(world.processes.running(77));
}

TEST(RemoveResidues, VanishedFileStillGetsItsDelAndItsLine) {
  CleaningWorld world;
  world.files.add_file(kBase + "a.dll");
  world.files.add_file(kBase + "b.exe");
  // b.exe's del takes a.dll away too (another program cleaning up).
  world.console.on_command = [&](const Text& command) {
    if (command == del("b.exe")) world.files.del_file(kBase + "a.dll");
  };
  EXPECT_TRUE(remove_residues(world.ports, kDir, {"a.dll", "b.exe"}));
  EXPECT_EQ(world.log.text, line(kBase + "b.exe 已被删除") + line("Could Not Find " + kBase + "a.dll") +
                                line("a.dll 已被删除"));
}

TEST(RemoveResidues, NameTheInterpreterWouldChangeIsNeverHandedToDel) {
  CleaningWorld world;
  const Text dir = "D:\\Apps\\50%off";
  world.files.add_file(dir + "\\a.dll");
  EXPECT_TRUE(remove_residues(world.ports, dir, {"a.dll"}));
  EXPECT_TRUE(world.console.records.empty());
  Text expected;
  for (int pass = 0; pass < 10; ++pass) expected += line("a.dll 删除失败");
  EXPECT_EQ(world.log.text, expected);
  EXPECT_TRUE(world.files.exists(dir + "\\a.dll"));
}

TEST(RemoveResidues, LinksInAndAsResidueFoldersLeaveTheirTargetsAlone) {
  CleaningWorld world;
  world.files.add_file("E:\\Decoy\\Decoy.exe");
  world.files.add_file("E:\\Decoy\\data\\keep.dat");
  world.processes.start(93, "E:\\Decoy\\Decoy.exe");
  world.files.add_file(kBase + "Protect\\p.dll");
  world.files.add_link(kBase + "Protect\\cache", "E:\\Decoy");
  world.files.add_link(kBase + "tool", "E:\\Decoy\\data");
  EXPECT_TRUE(remove_residues(world.ports, kDir, {"Protect", "tool"}));
  EXPECT_EQ(world.log.text, line(kBase + "Protect 删除成功") + line(kBase + "tool 删除成功"));
  EXPECT_EQ(world.console.commands(), (TextList{"rd /s /q \"" + kBase + "Protect\""}));
  EXPECT_EQ(world.files.tree("E:\\Decoy"), (TextList{"E:\\Decoy", "E:\\Decoy\\Decoy.exe", "E:\\Decoy\\data",
                                                   "E:\\Decoy\\data\\keep.dat"}));
  EXPECT_TRUE(world.processes.running(93));
}

}  // namespace
}  // namespace tc
