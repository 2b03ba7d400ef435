// The real TelvoCleaner.exe cleaning a prefix: the whole log, the commands the
// stand-ins recorded in order, and the files and processes afterwards.
#include <string>
#include <vector>

#include "e2e/cleaning_scenario_e2e.h"

namespace {

using clean_e2e::exists;
using clean_e2e::Prefix;
using clean_e2e::Transcript;
using Lines = std::vector<std::string>;

using clean_e2e::demo::kExplorer;
using clean_e2e::demo::kPakzo;
using clean_e2e::demo::kPic;
using clean_e2e::demo::kPinyin;

TEST(CleaningRun, NothingInstalledWritesFourLinesAndRunsNoCommand) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  std::unique_ptr<tc::e2e::App> app;
  const std::string log = clean_e2e::run_once(app);

  Transcript expected;
  expected.line("未检测到系统存在安装Glimra", true)
      .line("未检测到系统存在安装Pakzo", true)
      .line("未检测到系统存在安装Typhra", true)
      .line("未检测到系统存在安装Swiftor", true)
      .line("操作全部结束");
  EXPECT_EQ(log, expected.text());
  EXPECT_EQ(prefix.recorded(), Lines{});
}

TEST(CleaningRun, AllFourInstalledAreCleanedCompletely) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  const clean_e2e::AllFour installed = clean_e2e::install_all_four(prefix);
  ASSERT_NE(installed.updater, 0u);
  ASSERT_NE(installed.protect_program, 0u);
  ASSERT_EQ(installed.outdated.size(), 2u);
  const DWORD updater = installed.updater;
  const std::vector<std::string>& outdated = installed.outdated;
  const std::string current = kPinyin + "\\7.2.0.1";

  std::unique_ptr<tc::e2e::App> app;
  const std::string log = clean_e2e::run_once(app);

  using namespace standin;
  Transcript expected;
  expected.line("检测到Glimra安装路径: " + kPic)
      .output(net_stopped("ViewPic_TelvoSvc"))
      .output(sc_deleted())
      .output(task_deleted("Pic_TelvoUpgrade Task"))
      .output(killed(updater))
      .line(kPic + "\\TelvoPicUpdate.exe 已被删除")
      .line(kPic + "\\Pic_TelvoUpgrade.exe 已被删除")
      .line(kPic + "\\TelvoPicHomePage.exe 已被删除")
      .line("Pic_TelvoUpgrade.dll 已被删除")
      .line(kPic + "\\Protect 删除成功")
      .line(kPic + "\\tool 删除成功")
      .line("Glimra广告清理完毕", true);
  const std::string pakzo = kPakzo + "\\";  // the install folder: one more backslash
  expected.line("检测到Pakzo安装路径: " + kPakzo)
      .output(net_stopped("PakzoSvc"))
      .output(sc_deleted())
      .output(task_deleted("Pakzo_TelvoUpgrade Task"))
      .output(rule_deleted())
      .output(rule_missing())
      .output(rule_added())
      .line(pakzo + "PakzoUpdate.exe 已被删除")
      .line(pakzo + "Pakzo_TelvoUpgrade.exe 已被删除")
      .line(pakzo + "PakzoHomePage.exe 已被删除")
      .line("Pakzo_TelvoUpgrade.dll 已被删除")
      .line(pakzo + "Protect 删除成功")
      .line(pakzo + "tool 删除成功")
      .line("Pakzo广告清理完毕", true);
  expected.line("检测到Typhra安装路径: " + kPinyin)
      .line("检测到Typhra当前版本路径: " + current)
      .output(net_stopped("InputMd_TelvoSvc"))
      .output(sc_deleted())
      .output(task_deleted("Pinyin_TelvoUpgrade Task"));
  for (const std::string& folder : outdated) {
    expected.line("\r\n发现过时TelvoTyphra版本信息,将会进行删除: " + folder)
        .line(folder + " 删除成功")
        .line("Typhra过期目录: " + folder + " 删除成功");
  }
  expected.line(current + "\\Pinyin_TelvoSvc.exe 已被删除")
      .line(current + "\\TelvoPinyinUpdate.exe 已被删除")
      .line(current + "\\Pinyin_TelvoUpgrade.exe 已被删除")
      .line("Pinyin_TelvoUpgrade.dll 已被删除")
      .line(current + "\\Protect 删除成功")
      .line(current + "\\tool 删除成功")
      .line("Typhra广告清理完毕", true);
  expected.line("检测到TelvoSwiftor安装路径: " + kExplorer)
      .output(net_stopped("Protect_TelvoExplorer"))
      .output(sc_deleted())
      .output(task_deleted("Upgrade TelvoExplorer Task"))
      .line(kExplorer + "\\Upgrade_TelvoExplorer.exe 已被删除")
      .line(kExplorer + "\\TelvoSafeCenterInstaller.exe 已被删除")
      .line("Upgrade_TelvoExplorer.dll 已被删除")
      .line(kExplorer + "\\Resource 删除成功")
      .line(kExplorer + "\\Protect 删除成功")
      .line(kExplorer + "\\Assistant 删除成功")
      .line("TelvoSwiftor广告清理完毕", true)
      .line("操作全部结束");
  EXPECT_EQ(log, expected.text());

  const Lines commands{
      "SC qc ViewPic_TelvoSvc",
      "net stop ViewPic_TelvoSvc",
      "SC delete ViewPic_TelvoSvc",
      "SchTasks /Delete /f /TN \"Pic_TelvoUpgrade Task\"",
      "taskkill /f /t /im \"telvopicupdate.exe\"",
      "SC qc PakzoSvc",
      "net stop PakzoSvc",
      "SC delete PakzoSvc",
      "SchTasks /Delete /f /TN \"Pakzo_TelvoUpgrade Task\"",
      "netsh advfirewall firewall delete rule name=\"Pakzo_TelvoDLAgent_Rule\"",
      "netsh advfirewall firewall delete rule name=\"disconnectTelvozip\"",
      "netsh advfirewall firewall add rule name=\"disconnectTelvozip\" dir=in "
      "program=\"C:\\Program Files\\Pakzo\\\\Pakzo.exe\" action=block",
      "SC qc InputMd_TelvoSvc",
      "net stop InputMd_TelvoSvc",
      "SC delete InputMd_TelvoSvc",
      "SchTasks /Delete /f /TN \"Pinyin_TelvoUpgrade Task\"",
      "SC qc Protect_TelvoExplorer",
      "net stop Protect_TelvoExplorer",
      "SC delete Protect_TelvoExplorer",
      "SchTasks /Delete /f /TN \"Upgrade TelvoExplorer Task\"",
  };
  EXPECT_EQ(prefix.recorded(), commands);

  // What the products need stays; everything listed is gone.
  for (const std::string& kept :
       {kPic + "\\TelvoPic.exe", kPic + "\\TelvoPic.ini", kPakzo + "Pakzo.exe",
        kPinyin + "\\TelvoPinyin.ime", kPinyin + "\\.cache\\index.dat", current + "\\TelvoPinyin.dll",
        kExplorer + "\\TelvoExplorer.exe"}) {
    EXPECT_TRUE(exists(kept)) << kept;
  }
  for (const std::string& gone :
       {kPic + "\\TelvoPicUpdate.exe", kPic + "\\Pic_TelvoUpgrade.dll", kPic + "\\Protect",
        kPic + "\\tool", kPakzo + "PakzoUpdate.exe", kPakzo + "Protect", kPakzo + "tool",
        outdated[0], outdated[1], current + "\\Pinyin_TelvoSvc.exe", current + "\\Protect",
        kExplorer + "\\Upgrade_TelvoExplorer.dll", kExplorer + "\\Protect",
        kExplorer + "\\Assistant", kExplorer + "\\Resource"}) {
    EXPECT_FALSE(exists(gone)) << gone;
  }
  EXPECT_TRUE(prefix.ended(0, 0));  // the updater
  EXPECT_TRUE(prefix.ended(1, 0));  // the program inside Protect
  for (const char* service : {"ViewPic_TelvoSvc", "PakzoSvc", "InputMd_TelvoSvc", "Protect_TelvoExplorer"})
    EXPECT_FALSE(exists(Prefix::marker(std::string("services\\") + service))) << service;
  EXPECT_EQ(clean_e2e::file_lines(Prefix::marker("rules\\disconnectTelvozip")).size(), 1u);
  EXPECT_FALSE(exists(Prefix::marker("rules\\Pakzo_TelvoDLAgent_Rule")));

  app->close();
  DWORD code = 1;
  EXPECT_TRUE(app->wait_for_exit(15000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(CleaningRun, UnsafePathsAndLinksLeaveEverythingOutsideInPlace) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  // The picture viewer "installed" in Program Files itself, the archiver at a
  // path the interpreter would expand.
  prefix.set_value(Prefix::kProducts[0], "Path", Prefix::pf());
  Prefix::exe(Prefix::pf() + "\\TelvoPicUpdate.exe");
  Prefix::file(Prefix::pf() + "\\tool\\keep.dat");
  Prefix::service("ViewPic_TelvoSvc", "x");
  prefix.set_value(Prefix::kProducts[1], "Path", "C:\\Apps\\%TEMP%");
  Prefix::exe("C:\\Apps\\%TEMP%\\PakzoUpdate.exe");
  // The input method names a version folder that does not exist.
  prefix.set_value(Prefix::kProducts[2], "Path", kPinyin);
  prefix.set_value(Prefix::kProducts[2], "Version", "9.9.9.9");
  Prefix::file(kPinyin + "\\7.2.0.1\\TelvoPinyin.dll");
  // The browser's Protect folder holds a link to a decoy folder elsewhere.
  prefix.set_value(Prefix::kProducts[3], "Path", kExplorer);
  Prefix::exe("C:\\decoy\\Updater.exe");
  Prefix::file("C:\\decoy\\data.txt");
  Prefix::file(kExplorer + "\\Protect\\p.dat");
  ASSERT_TRUE(Prefix::unix_symlink("C:\\decoy", kExplorer + "\\Protect\\link"));
  ASSERT_NE(GetFileAttributesA((kExplorer + "\\Protect\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            0u);

  std::unique_ptr<tc::e2e::App> app;
  const std::string log = clean_e2e::run_once(app, 60000);

  // The link cannot be removed as a link here (Wine refuses to remove it as a
  // folder), so "rd" never runs on the tree and the folder stays.
  Transcript expected;
  expected.line("检测到Glimra安装路径: " + Prefix::pf())
      .line("安装路径不安全,已跳过该产品", true)
      .line("检测到Pakzo安装路径: C:\\Apps\\%TEMP%")
      .line("安装路径不安全,已跳过该产品", true)
      .line("检测到Typhra安装路径: " + kPinyin)
      .line("检测到Typhra当前版本路径: " + kPinyin + "\\9.9.9.9")
      .line("没有发现Typhra广告服务")
      .line("Typhra当前版本目录不存在,跳过过时版本删除")
      .line("Typhra没有残留广告文件,检查完毕", true)
      .line("检测到TelvoSwiftor安装路径: " + kExplorer)
      .line("没有发现加Telvo速浏览器广告服务")
      .line(kExplorer + "\\Protect 删除失败")
      .line("TelvoSwiftor广告清理完毕", true)
      .line("操作全部结束");
  EXPECT_EQ(log, expected.text());
  EXPECT_EQ(prefix.recorded(), (Lines{"SC qc InputMd_TelvoSvc", "SC qc Protect_TelvoExplorer"}));

  for (const std::string& kept :
       {Prefix::pf() + "\\TelvoPicUpdate.exe", Prefix::pf() + "\\tool\\keep.dat",
        std::string("C:\\Apps\\%TEMP%\\PakzoUpdate.exe"), kPinyin + "\\7.2.0.1\\TelvoPinyin.dll",
        std::string("C:\\decoy\\Updater.exe"), std::string("C:\\decoy\\data.txt")}) {
    EXPECT_TRUE(exists(kept)) << kept;
  }
  EXPECT_TRUE(exists(Prefix::marker("services\\ViewPic_TelvoSvc")));
  // Clean up what is ours in Program Files.
  DeleteFileA((Prefix::pf() + "\\TelvoPicUpdate.exe").c_str());
  DeleteFileA((Prefix::pf() + "\\tool\\keep.dat").c_str());
  RemoveDirectoryA((Prefix::pf() + "\\tool").c_str());
}

}  // namespace
