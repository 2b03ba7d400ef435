#include <gtest/gtest.h>

#include "cleaning/folder_tree.h"
#include "cleaning/subfolders.h"
#include "host/cleaning_world.h"

namespace tc {
namespace {

const Text kFolder = "D:\\Apps\\Glimra\\Protect";
const Text kInUse = "The process cannot access the file because it is being used by another process.";

TEST(FolderExists, OnlyFolders) {
  CleaningWorld world;
  world.files.add_folder(kFolder);
  world.files.add_file(kFolder + "\\a.dll");
  EXPECT_TRUE(folder_exists(world.ports, kFolder));
  EXPECT_TRUE(folder_exists(world.ports, kFolder + "\\"));
  EXPECT_FALSE(folder_exists(world.ports, kFolder + "\\a.dll"));
  EXPECT_FALSE(folder_exists(world.ports, kFolder + "\\none"));
}

TEST(CollectFiles, DepthFirstFilesBeforeSubFolders) {
  CleaningWorld world;
  world.files.add_file("D:\\F\\a.exe");
  world.files.add_file("D:\\F\\b.dll");
  world.files.add_file("D:\\F\\s\\c.exe");
  world.files.add_file("D:\\F\\s\\t\\deep.EXE", kAttrHidden | kAttrSystem);
  world.files.add_file("D:\\F\\z.exe");
  world.files.add_folder("D:\\F\\s\\t\\folder.exe");  // a folder named like one is not taken
  world.files.add_file("D:\\F\\u\\d.exe");
  for (const Text& folder : {Text("D:\\F"), Text("D:\\F\\")}) {
    SCOPED_TRACE(folder);
    TextList files{"kept"};
    const std::uint64_t pumps = world.events.pumps();
    collect_files(world.ports, folder, "*.exe", files);
    // Messages are processed after every file taken and every folder searched.
    EXPECT_EQ(world.events.pumps() - pumps, 5u + 4u);
    EXPECT_EQ(files, (TextList{"kept", "D:\\F\\a.exe", "D:\\F\\z.exe", "D:\\F\\s\\c.exe",
                               "D:\\F\\s\\t\\deep.EXE", "D:\\F\\u\\d.exe"}));
  }
}

TEST(CollectFiles, NeverEntersAFolderLink) {
  CleaningWorld world;
  world.files.add_file("E:\\Decoy\\keep.exe");
  world.files.add_file("D:\\F\\a.exe");
  world.files.add_link("D:\\F\\link", "E:\\Decoy");
  TextList files;
  collect_files(world.ports, "D:\\F", "*.exe", files);
  EXPECT_EQ(files, (TextList{"D:\\F\\a.exe"}));
}

TEST(RemoveFolderTree, MissingFolderWritesOneLine) {
  CleaningWorld world;
  world.files.add_file(kFolder);  // a file of that name is no folder
  EXPECT_FALSE(remove_folder_tree(world.ports, kFolder));
  EXPECT_EQ(world.log.text, line(kFolder + "不存在"));
  EXPECT_TRUE(world.console.records.empty());
  EXPECT_TRUE(world.files.exists(kFolder));
}

TEST(RemoveFolderTree, RunningExecutableBelowIsEndedQuietly) {
  CleaningWorld world;
  const Text updater = kFolder + "\\bin\\ProtectUpdate.exe";
  world.files.add_file(updater);
  world.files.add_file(kFolder + "\\data.ini");
  world.processes.start(90, updater);
  EXPECT_TRUE(remove_folder_tree(world.ports, kFolder));
  EXPECT_EQ(world.log.text, line(kFolder + " 删除成功"));
  EXPECT_EQ(world.console.commands(), (TextList{"rd /s /q \"" + kFolder + "\""}));
  EXPECT_EQ(world.processes.terminated, (std::vector<std::uint32_t>{90}));
  EXPECT_FALSE(world.files.exists(kFolder));
}

TEST(RemoveFolderTree, FileHeldOpenKeepsTenAttemptsASecondApart) {
  CleaningWorld world;
  world.files.add_file(kFolder + "\\helper.dll");
  world.files.lock(kFolder + "\\helper.dll");
  world.files.add_file(kFolder + "\\other.dat");
  EXPECT_FALSE(remove_folder_tree(world.ports, kFolder));
  Text expected;
  for (int i = 0; i < 10; ++i) expected += line("正在删除目录: " + kFolder) + line(kInUse);
  EXPECT_EQ(world.log.text, expected + line(kFolder + " 删除失败"));
  ASSERT_EQ(world.console.records.size(), 10u);
  for (std::size_t i = 1; i < 10; ++i) {
    const std::uint32_t gap = world.console.records[i].at - world.console.records[i - 1].at;
    EXPECT_GE(gap, 1000u + world.console.cost_ms);
    EXPECT_LE(gap, 1010u + world.console.cost_ms);
  }
  EXPECT_TRUE(world.files.exists(kFolder + "\\helper.dll"));
  EXPECT_FALSE(world.files.exists(kFolder + "\\other.dat"));  // rd took what it could
}

TEST(RemoveFolderTree, PartlyRemovedFolderGoesOnALaterAttempt) {
  CleaningWorld world;
  world.files.add_file(kFolder + "\\helper.dll");
  world.files.lock(kFolder + "\\helper.dll");
  world.events.at(100000 + 1500, [&] { world.files.unlock(kFolder + "\\helper.dll"); });
  EXPECT_TRUE(remove_folder_tree(world.ports, kFolder));
  EXPECT_EQ(world.log.text, line("正在删除目录: " + kFolder) + line(kInUse) +
                                line("正在删除目录: " + kFolder) + line(kInUse) +
                                line(kFolder + " 删除成功"));
  EXPECT_EQ(world.console.records.size(), 3u);
}

TEST(RemoveFolderTree, NothingBehindALinkIsDeleted) {
  // The fake rd follows links, as Wine's does.
  CleaningWorld world;
  world.files.add_file("E:\\Decoy\\keep.exe");
  world.files.add_file("E:\\Decoy\\sub\\keep.dat");
  world.processes.start(91, "E:\\Decoy\\keep.exe");
  world.files.add_file(kFolder + "\\a.dll");
  world.files.add_link(kFolder + "\\sub\\link", "E:\\Decoy");
  EXPECT_TRUE(remove_folder_tree(world.ports, kFolder));
  EXPECT_EQ(world.log.text, line(kFolder + " 删除成功"));
  EXPECT_FALSE(world.files.exists(kFolder));
  EXPECT_EQ(world.files.tree("E:\\Decoy"),
            (TextList{"E:\\Decoy", "E:\\Decoy\\keep.exe", "E:\\Decoy\\sub", "E:\\Decoy\\sub\\keep.dat"}));
  EXPECT_TRUE(world.processes.running(91));
}

TEST(RemoveFolderTree, LinkThatStaysMeansNoRd) {
  CleaningWorld world;
  world.files.add_file("E:\\Decoy\\keep.exe");
  world.files.add_file(kFolder + "\\a.dll");
  world.files.add_link(kFolder + "\\link", "E:\\Decoy");
  world.files.lock(kFolder + "\\link");
  EXPECT_FALSE(remove_folder_tree(world.ports, kFolder));
  EXPECT_TRUE(world.console.records.empty());
  EXPECT_EQ(world.log.text, line(kFolder + " 删除失败"));
  EXPECT_TRUE(world.files.exists("E:\\Decoy\\keep.exe"));
  EXPECT_TRUE(world.files.exists(kFolder + "\\a.dll"));
}

TEST(RemoveFolderTree, AFolderThatIsALinkGoesAsALink) {
  CleaningWorld world;
  world.files.add_file("E:\\Decoy\\keep.exe");
  world.processes.start(91, "E:\\Decoy\\keep.exe");
  world.files.add_link(kFolder, "E:\\Decoy");
  EXPECT_TRUE(remove_folder_tree(world.ports, kFolder));
  EXPECT_EQ(world.log.text, line(kFolder + " 删除成功"));
  EXPECT_TRUE(world.console.records.empty());
  EXPECT_FALSE(world.files.exists(kFolder));
  EXPECT_TRUE(world.files.exists("E:\\Decoy\\keep.exe"));
  EXPECT_TRUE(world.processes.running(91));
}

TEST(RemoveFolderTree, PathTheInterpreterWouldChangeIsNeverHandedToRd) {
  for (const Text& folder : {Text("D:\\Apps\\Typhra\\%TEMP%"), Text("D:\\Apps\\Typhra\\a\"b")}) {
    SCOPED_TRACE(folder);
    CleaningWorld world;
    world.files.add_file(folder + "\\x.dll");
    EXPECT_FALSE(remove_folder_tree(world.ports, folder));
    EXPECT_TRUE(world.console.records.empty());
    EXPECT_EQ(world.log.text, line(folder + " 删除失败"));
    EXPECT_TRUE(world.files.exists(folder + "\\x.dll"));
  }
}

TEST(ListSubfolders, OneLevelNoDotFoldersInSearchOrder) {
  CleaningWorld world;
  world.files.add_folder("D:\\T\\2.0.0.5");
  world.files.add_folder("D:\\T\\.cache");
  world.files.add_file("D:\\T\\readme.txt");
  world.files.add_folder("D:\\T\\1.0.0.1\\inner");
  world.files.add_folder("D:\\T\\hid", kAttrDirectory | kAttrHidden | kAttrSystem);
  world.files.add_folder("D:\\Empty");
  for (const Text& folder : {Text("D:\\T"), Text("D:\\T\\")}) {
    SCOPED_TRACE(folder);
    TextList list{"kept"};
    const std::uint64_t pumps = world.events.pumps();
    EXPECT_EQ(list_subfolders(world.ports, folder, list), 3);
    EXPECT_EQ(world.events.pumps() - pumps, 6u);  // every folder entry, dot entries too
    EXPECT_EQ(list, (TextList{"kept", "D:\\T\\2.0.0.5", "D:\\T\\1.0.0.1", "D:\\T\\hid"}));
    EXPECT_EQ(list_subfolders(world.ports, folder, list), 3);  // appended again
    EXPECT_EQ(list.size(), 7u);
  }
  TextList none;
  EXPECT_EQ(list_subfolders(world.ports, "D:\\Empty", none), 0);
  EXPECT_EQ(list_subfolders(world.ports, "D:\\Missing", none), 0);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace tc
