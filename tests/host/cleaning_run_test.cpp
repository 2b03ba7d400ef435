#include <gtest/gtest.h>

#include "cleaning/cleaning_run.h"
#include "cleaning/product_table.h"
#include "host/cleaning_world.h"

namespace tc {
namespace {

const char kPic[] = "SOFTWARE\\TelvoPic";
const char kPakzo[] = "SOFTWARE\\Pakzo";
const char kPinyin[] = "SOFTWARE\\WOW6432Node\\TelvoPinyin";
const char kExplorer[] = "SOFTWARE\\WOW6432Node\\TelvoExplorer";
const Text kInUse = "The process cannot access the file because it is being used by another process.";

const Text kNotInstalledPic = line("未检测到系统存在安装Glimra") + kBlank;
const Text kNotInstalledPakzo = line("未检测到系统存在安装Pakzo") + kBlank;
const Text kNotInstalledTyphra = line("未检测到系统存在安装Typhra") + kBlank;
const Text kNotInstalledSwiftor = line("未检测到系统存在安装Swiftor") + kBlank;
const Text kEnd = line("操作全部结束");

Text service_lines(const Text& service, const Text& task) {
  return line("The " + service + " service was stopped successfully.") + line("[SC] DeleteService SUCCESS") +
         line("SUCCESS: The scheduled task \"" + task + "\" was successfully deleted.");
}

TEST(RunCleaning, NothingInstalled) {
  CleaningWorld world;
  run_cleaning(world.ports);
  EXPECT_EQ(world.log.text,
            kNotInstalledPic + kNotInstalledPakzo + kNotInstalledTyphra + kNotInstalledSwiftor + kEnd);
  EXPECT_TRUE(world.console.records.empty());
  // The input method's version is read although its path is empty.
  EXPECT_EQ(world.registry.reads,
            (TextList{"HKEY_LOCAL_MACHINE\\SOFTWARE\\TelvoPic|Path", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pakzo|Path",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\TelvoPinyin|Path",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\TelvoPinyin|Version",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\TelvoExplorer|Path"}));
}

TEST(RunCleaning, InputMethodWithVersionButEmptyPathIsNotInstalled) {
  CleaningWorld world;
  world.set_value(kPinyin, "Path", "");
  world.set_value(kPinyin, "Version", "3.1.0.2");
  run_cleaning(world.ports);
  EXPECT_EQ(world.log.text,
            kNotInstalledPic + kNotInstalledPakzo + kNotInstalledTyphra + kNotInstalledSwiftor + kEnd);
  EXPECT_TRUE(world.console.records.empty());
}

TEST(RunCleaning, InstalledWithoutServiceRunsOnlyTheProbe) {
  CleaningWorld world;
  world.set_value(kPic, "Path", "D:\\Apps\\Glimra");
  world.files.add_folder("D:\\Apps\\Glimra");
  world.files.add_file("D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll");
  run_cleaning(world.ports);
  EXPECT_EQ(world.log.text, line("检测到Glimra安装路径: D:\\Apps\\Glimra") + line("没有发现Glimra广告服务") +
                                line("Pic_TelvoUpgrade.dll 已被删除") + line("Glimra广告清理完毕") + kBlank +
                                kNotInstalledPakzo + kNotInstalledTyphra + kNotInstalledSwiftor + kEnd);
  EXPECT_EQ(world.console.commands(),
            (TextList{"SC qc ViewPic_TelvoSvc", "del /f /q \"D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll\""}));
}

// All four products with their services; the archiver's path ends in a
// backslash; an updater runs, and another one inside a residue folder.
TEST(RunCleaning, FullRunTranscriptAndCommandLines) {
  CleaningWorld world;
  world.set_value(kPic, "Path", "D:\\Apps\\Glimra");
  world.set_value(kPakzo, "Path", "D:\\Apps\\Pakzo\\");
  world.set_value(kPinyin, "Path", "D:\\Apps\\Typhra");
  world.set_value(kPinyin, "Version", "3.1.0.2");
  world.set_value(kExplorer, "Path", "D:\\Apps\\Swiftor");
  for (const char* service : {"ViewPic_TelvoSvc", "PakzoSvc", "InputMd_TelvoSvc", "Protect_TelvoExplorer"}) {
    world.console.add_service(service);
  }
  world.files.add_file("D:\\Apps\\Glimra\\TelvoPicUpdate.exe");
  world.files.add_file("D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll");
  world.files.add_file("D:\\Apps\\Glimra\\Protect\\bin\\ProtectSvc.exe");
  world.processes.start(501, "D:\\Apps\\Glimra\\TelvoPicUpdate.exe");
  world.processes.start(502, "D:\\Apps\\Glimra\\Protect\\bin\\ProtectSvc.exe");
  world.files.add_file("D:\\Apps\\Pakzo\\PakzoUpdate.exe");
  world.files.add_file("D:\\Apps\\Typhra\\2.0.0.5\\old.dll");
  world.files.add_file("D:\\Apps\\Typhra\\3.1.0.2\\Pinyin_TelvoUpgrade.dll");
  world.files.add_file("D:\\Apps\\Typhra\\3.1.0.2\\tool\\t.dat");
  world.files.add_folder("D:\\Apps\\Typhra\\.cache");
  world.files.add_folder("D:\\Apps\\Typhra\\1.0.0.1");
  world.files.add_folder("D:\\Apps\\Swiftor");

  run_cleaning(world.ports);

  const Text expected =
      line("检测到Glimra安装路径: D:\\Apps\\Glimra") +
      service_lines("ViewPic_TelvoSvc", "Pic_TelvoUpgrade Task") +
      line("SUCCESS: The process \"telvopicupdate.exe\" with PID 501 has been terminated.") +
      line("D:\\Apps\\Glimra\\TelvoPicUpdate.exe 已被删除") + line("Pic_TelvoUpgrade.dll 已被删除") +
      line("D:\\Apps\\Glimra\\Protect 删除成功") + line("Glimra广告清理完毕") + kBlank +
      line("检测到Pakzo安装路径: D:\\Apps\\Pakzo\\") + service_lines("PakzoSvc", "Pakzo_TelvoUpgrade Task") +
      line("Ok.") + line("Ok.") + line("Ok.") + line("D:\\Apps\\Pakzo\\\\PakzoUpdate.exe 已被删除") +
      line("Pakzo广告清理完毕") + kBlank +
      line("检测到Typhra安装路径: D:\\Apps\\Typhra") +
      line("检测到Typhra当前版本路径: D:\\Apps\\Typhra\\3.1.0.2") +
      service_lines("InputMd_TelvoSvc", "Pinyin_TelvoUpgrade Task") + kBlank +
      line("发现过时TelvoTyphra版本信息,将会进行删除: D:\\Apps\\Typhra\\2.0.0.5") +
      line("D:\\Apps\\Typhra\\2.0.0.5 删除成功") + line("Typhra过期目录: D:\\Apps\\Typhra\\2.0.0.5 删除成功") +
      kBlank + line("发现过时TelvoTyphra版本信息,将会进行删除: D:\\Apps\\Typhra\\1.0.0.1") +
      line("D:\\Apps\\Typhra\\1.0.0.1 删除成功") + line("Typhra过期目录: D:\\Apps\\Typhra\\1.0.0.1 删除成功") +
      line("Pinyin_TelvoUpgrade.dll 已被删除") + line("D:\\Apps\\Typhra\\3.1.0.2\\tool 删除成功") +
      line("Typhra广告清理完毕") + kBlank +
      line("检测到TelvoSwiftor安装路径: D:\\Apps\\Swiftor") +
      service_lines("Protect_TelvoExplorer", "Upgrade TelvoExplorer Task") +
      line("TelvoSwiftor没有残留广告文件,检查完毕") + kBlank + kEnd;
  EXPECT_EQ(world.log.text, expected);

  const TextList commands{
      "SC qc ViewPic_TelvoSvc",
      "net stop ViewPic_TelvoSvc",
      "SC delete ViewPic_TelvoSvc",
      "SchTasks /Delete /f /TN \"Pic_TelvoUpgrade Task\"",
      "taskkill /f /t /im \"telvopicupdate.exe\"",
      "del /f /q \"D:\\Apps\\Glimra\\TelvoPicUpdate.exe\"",
      "del /f /q \"D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll\"",
      "rd /s /q \"D:\\Apps\\Glimra\\Protect\"",
      "SC qc PakzoSvc",
      "net stop PakzoSvc",
      "SC delete PakzoSvc",
      "SchTasks /Delete /f /TN \"Pakzo_TelvoUpgrade Task\"",
      "netsh advfirewall firewall delete rule name=\"Pakzo_TelvoDLAgent_Rule\"",
      "netsh advfirewall firewall delete rule name=\"disconnectTelvozip\"",
      "netsh advfirewall firewall add rule name=\"disconnectTelvozip\" dir=in "
      "program=\"D:\\Apps\\Pakzo\\\\Pakzo.exe\" action=block",
      "del /f /q \"D:\\Apps\\Pakzo\\\\PakzoUpdate.exe\"",
      "SC qc InputMd_TelvoSvc",
      "net stop InputMd_TelvoSvc",
      "SC delete InputMd_TelvoSvc",
      "SchTasks /Delete /f /TN \"Pinyin_TelvoUpgrade Task\"",
      "rd /s /q \"D:\\Apps\\Typhra\\2.0.0.5\"",
      "rd /s /q \"D:\\Apps\\Typhra\\1.0.0.1\"",
      "del /f /q \"D:\\Apps\\Typhra\\3.1.0.2\\Pinyin_TelvoUpgrade.dll\"",
      "rd /s /q \"D:\\Apps\\Typhra\\3.1.0.2\\tool\"",
      "SC qc Protect_TelvoExplorer",
      "net stop Protect_TelvoExplorer",
      "SC delete Protect_TelvoExplorer",
      "SchTasks /Delete /f /TN \"Upgrade TelvoExplorer Task\"",
  };
  EXPECT_EQ(world.console.commands(), commands);

  EXPECT_EQ(world.processes.terminated, (std::vector<std::uint32_t>{501, 502}));
  EXPECT_EQ(world.files.tree("D:\\Apps"),
            (TextList{"D:\\Apps", "D:\\Apps\\Glimra", "D:\\Apps\\Pakzo", "D:\\Apps\\Typhra",
                      "D:\\Apps\\Typhra\\3.1.0.2", "D:\\Apps\\Typhra\\.cache", "D:\\Apps\\Swiftor"}));
}

TEST(RunCleaning, SweepMatchesTheCurrentVersionInAnyCaseAndSkipsDotFolders) {
  CleaningWorld world;
  world.set_value(kPinyin, "Path", "D:\\Apps\\Typhra");
  world.set_value(kPinyin, "Version", "3.1.0.2-Beta");
  world.files.add_folder("D:\\Apps\\Typhra\\.old");
  world.files.add_file("D:\\Apps\\Typhra\\3.1.0.2-BETA\\Protect\\p.dat");
  run_cleaning(world.ports);
  EXPECT_EQ(world.log.text, kNotInstalledPic + kNotInstalledPakzo + line("检测到Typhra安装路径: D:\\Apps\\Typhra") +
                                line("检测到Typhra当前版本路径: D:\\Apps\\Typhra\\3.1.0.2-Beta") +
                                line("没有发现Typhra广告服务") +
                                line("D:\\Apps\\Typhra\\3.1.0.2-Beta\\Protect 删除成功") +
                                line("Typhra广告清理完毕") + kBlank + kNotInstalledSwiftor + kEnd);
  EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\.old"));
  EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\3.1.0.2-BETA"));
}

TEST(RunCleaning, NoCurrentVersionFolderSkipsTheSweep) {
  struct Case {
    const char* label;
    Text version;
    Text residue_folder;  // where the residue removal then works
  };
  const Case cases[] = {
      {"empty version", "", "D:\\Apps\\Typhra\\"},
      {"version folder missing", "9.9.9.9", "D:\\Apps\\Typhra\\9.9.9.9"},
      {"version names a file", "notes.txt", "D:\\Apps\\Typhra\\notes.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CleaningWorld world;
    world.set_value(kPinyin, "Path", "D:\\Apps\\Typhra");
    world.set_value(kPinyin, "Version", c.version);
    world.files.add_folder("D:\\Apps\\Typhra\\3.1.0.2\\tool");
    world.files.add_folder("D:\\Apps\\Typhra\\2.0.0.5");
    world.files.add_file("D:\\Apps\\Typhra\\notes.txt");
    world.files.add_folder("D:\\Apps\\Typhra\\Protect");  // a residue in the install folder itself
    run_cleaning(world.ports);
    Text typhra = line("检测到Typhra安装路径: D:\\Apps\\Typhra") +
                  line("检测到Typhra当前版本路径: D:\\Apps\\Typhra\\" + c.version) +
                  line("没有发现Typhra广告服务") + line("Typhra当前版本目录不存在,跳过过时版本删除");
    if (c.version.empty()) {
      typhra += line("D:\\Apps\\Typhra\\Protect 删除成功") + line("Typhra广告清理完毕") + kBlank;
    } else {
      typhra += line("Typhra没有残留广告文件,检查完毕") + kBlank;
    }
    EXPECT_EQ(world.log.text, kNotInstalledPic + kNotInstalledPakzo + typhra + kNotInstalledSwiftor + kEnd);
    EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\3.1.0.2\\tool"));
    EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\2.0.0.5"));
    for (const Text& command : world.console.commands()) {
      EXPECT_EQ(command.find("2.0.0.5"), Text::npos);
      EXPECT_EQ(command.find("3.1.0.2"), Text::npos);
    }
  }
}

TEST(RunCleaning, UnsafeInstallPathSkipsTheWholeProduct) {
  struct Case {
    const char* label;
    const char* key;
    Text path;
    Text version;
    Text found;
  };
  const Case cases[] = {
      {"Windows folder", kPic, "C:\\Windows", "", "检测到Glimra安装路径: C:\\Windows"},
      {"drive root", kPakzo, "C:\\", "", "检测到Pakzo安装路径: C:\\"},
      {"relative path", kExplorer, "Apps\\Swiftor", "", "检测到TelvoSwiftor安装路径: Apps\\Swiftor"},
      {"version leading out", kPinyin, "D:\\Apps\\Typhra", "..\\..\\Windows",
       "检测到Typhra安装路径: D:\\Apps\\Typhra"},
      {"profile folder", kPinyin, "C:\\Users\\me\\", "1.0", "检测到Typhra安装路径: C:\\Users\\me\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CleaningWorld world;
    world.set_value(c.key, "Path", c.path);
    if (c.key == kPinyin) world.set_value(c.key, "Version", c.version);
    for (const char* service : {"ViewPic_TelvoSvc", "PakzoSvc", "InputMd_TelvoSvc", "Protect_TelvoExplorer"}) {
      world.console.add_service(service);
    }
    for (const char* folder : {"C:\\Windows", "C:\\", "D:\\Apps\\Typhra", "C:\\Users\\me"}) {
      world.files.add_folder(Text(folder) + "\\Protect");
      world.files.add_folder(Text(folder) + "\\tool");
      world.files.add_folder(Text(folder) + "\\1.0");
      world.files.add_folder(Text(folder) + "\\Old");
    }
    const TextList before = world.files.tree("C:\\");
    run_cleaning(world.ports);
    const Text skipped = line(c.found) + line("安装路径不安全,已跳过该产品") + kBlank;
    const Text pic = c.key == kPic ? skipped : kNotInstalledPic;
    const Text pakzo = c.key == kPakzo ? skipped : kNotInstalledPakzo;
    const Text typhra = c.key == kPinyin ? skipped : kNotInstalledTyphra;
    const Text swiftor = c.key == kExplorer ? skipped : kNotInstalledSwiftor;
    EXPECT_EQ(world.log.text, pic + pakzo + typhra + swiftor + kEnd);
    EXPECT_TRUE(world.console.records.empty());
    EXPECT_EQ(world.files.tree("C:\\"), before);
    EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\Old"));
  }
}

TEST(RunCleaning, ClickDuringAWaitRunsAWholeNestedPassFirst) {
  CleaningWorld world;
  const Text dll = "D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll";
  world.set_value(kPic, "Path", "D:\\Apps\\Glimra");
  world.files.add_file(dll);
  world.files.lock(dll);
  // The first pass fails at about 100080 and waits a second; the click comes
  // inside that wait, and the file is let go during the nested run's wait.
  world.events.at(100300, [&] { run_cleaning(world.ports); });
  world.events.at(100600, [&] { world.files.unlock(dll); });
  run_cleaning(world.ports);

  const Text found = line("检测到Glimra安装路径: D:\\Apps\\Glimra") + line("没有发现Glimra广告服务");
  const Text rest = line("Glimra广告清理完毕") + kBlank + kNotInstalledPakzo + kNotInstalledTyphra +
                    kNotInstalledSwiftor + kEnd;
  const Text nested = found + line(kInUse) + line("Pic_TelvoUpgrade.dll 删除失败") +
                      line("Pic_TelvoUpgrade.dll 已被删除") + rest;
  EXPECT_EQ(world.log.text, found + line(kInUse) + line("Pic_TelvoUpgrade.dll 删除失败") + nested +
                                line("Could Not Find " + dll) + line("Pic_TelvoUpgrade.dll 已被删除") + rest);
  const Text del = "del /f /q \"" + dll + "\"";
  EXPECT_EQ(world.console.commands(),
            (TextList{"SC qc ViewPic_TelvoSvc", del, "SC qc ViewPic_TelvoSvc", del, del, del}));
  EXPECT_EQ(world.console.records[2].at, 100300u);
}

TEST(RunCleaning, WindowClosedDuringARunStartsNothingMore) {
  CleaningWorld world;
  world.set_value(kPic, "Path", "D:\\Apps\\Glimra");
  world.set_value(kPakzo, "Path", "D:\\Apps\\Pakzo");
  world.set_value(kPinyin, "Path", "D:\\Apps\\Typhra");
  world.set_value(kPinyin, "Version", "1.0");
  world.set_value(kExplorer, "Path", "D:\\Apps\\Swiftor");
  const Text dll = "D:\\Apps\\Glimra\\Pic_TelvoUpgrade.dll";
  world.files.add_file(dll);
  world.files.lock(dll);
  world.files.add_file("D:\\Apps\\Glimra\\Protect\\x.dat");
  world.files.add_file("D:\\Apps\\Pakzo\\PakzoUpdate.exe");
  world.files.add_folder("D:\\Apps\\Typhra\\0.9");
  world.events.at(100500, [&] { world.events.set_quitting(true); });
  run_cleaning(world.ports);
  for (const auto& record : world.console.records) EXPECT_LT(record.at, 100500u) << record.command;
  EXPECT_LT(world.events.tick_count(), 100600u);
  EXPECT_EQ(world.log.text.find("操作全部结束"), Text::npos);
  EXPECT_TRUE(world.files.exists("D:\\Apps\\Pakzo\\PakzoUpdate.exe"));
  EXPECT_TRUE(world.files.exists("D:\\Apps\\Typhra\\0.9"));
}

TEST(ProductTable, FirewallBlockNamesTheArchiversProgram) {
  EXPECT_EQ(firewall_block_command("D:\\Apps\\X\\"),
            "netsh advfirewall firewall add rule name=\"disconnectTelvozip\" dir=in "
            "program=\"D:\\Apps\\X\\Pakzo.exe\" action=block");
}

}  // namespace
}  // namespace tc
