// The cleaning run's waits with the real program: a residue another program
// holds open, a click during a wait, and the window closed during a run.
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/cleaning_scenario_e2e.h"

namespace {

using clean_e2e::exists;
using clean_e2e::Prefix;
using clean_e2e::Transcript;
using Lines = std::vector<std::string>;

const std::string kPic = "C:\\Program Files\\TelvoPic";

// The picture viewer with one other file held open by another program.
void seed_held_dll(Prefix& prefix) {
  prefix.set_value(Prefix::kProducts[0], "Path", kPic);
  Prefix::file(kPic + "\\TelvoPic.ini");
  Prefix::file(kPic + "\\Pic_TelvoUpgrade.dll");
}

// Every pass of "del" tries the one file and fails: ten passes.
void held_dll_lines(Transcript& expected, const std::string& del_output) {
  expected.line("检测到Glimra安装路径: " + kPic).line("没有发现Glimra广告服务");
  for (int pass = 0; pass < 10; ++pass) expected.output(del_output).line("Pic_TelvoUpgrade.dll 删除失败");
}

void rest_not_installed(Transcript& expected) {
  expected.line("未检测到系统存在安装Pakzo", true)
      .line("未检测到系统存在安装Typhra", true)
      .line("未检测到系统存在安装Swiftor", true)
      .line("操作全部结束");
}

TEST(CleaningWaits, HeldFilesStayAfterTenAttemptsEach) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  seed_held_dll(prefix);
  const std::string held_inside = kPic + "\\Protect\\sub\\held.dat";
  Prefix::file(held_inside);
  clean_e2e::Holder dll(kPic + "\\Pic_TelvoUpgrade.dll");
  clean_e2e::Holder inside(held_inside);
  ASSERT_TRUE(clean_e2e::Holder::held(kPic + "\\Pic_TelvoUpgrade.dll"));
  ASSERT_TRUE(clean_e2e::Holder::held(held_inside));

  // The interpreter's own complaints, asked for while nothing can change.
  const std::string del_output =
      clean_e2e::interpreter_output("del /f /q \"" + kPic + "\\Pic_TelvoUpgrade.dll\"");
  const std::string rd_output = clean_e2e::interpreter_output("rd /s /q \"" + kPic + "\\Protect\"");
  ASSERT_TRUE(exists(held_inside));

  std::unique_ptr<tc::e2e::App> app;
  const std::string log = clean_e2e::run_once(app);

  Transcript expected;
  held_dll_lines(expected, del_output);
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (rd_output.size() > 1) expected.line("正在删除目录: " + kPic + "\\Protect").output(rd_output);
  }
  expected.line(kPic + "\\Protect 删除失败").line("Glimra广告清理完毕", true);
  rest_not_installed(expected);
  EXPECT_EQ(log, expected.text());
  EXPECT_EQ(prefix.recorded(), Lines{"SC qc ViewPic_TelvoSvc"});
  EXPECT_TRUE(exists(kPic + "\\Pic_TelvoUpgrade.dll"));
  EXPECT_TRUE(exists(held_inside));
  EXPECT_TRUE(exists(kPic + "\\TelvoPic.ini"));
}

TEST(CleaningWaits, ClickDuringAWaitRunsAWholeNestedPass) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  seed_held_dll(prefix);
  clean_e2e::Holder dll(kPic + "\\Pic_TelvoUpgrade.dll");
  ASSERT_TRUE(clean_e2e::Holder::held(kPic + "\\Pic_TelvoUpgrade.dll"));
  const std::string del_output =
      clean_e2e::interpreter_output("del /f /q \"" + kPic + "\\Pic_TelvoUpgrade.dll\"");

  std::string error;
  auto app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
  ASSERT_TRUE(app) << error;
  app->press_button();
  // The second click lands in the wait after the first failed pass.
  ASSERT_TRUE(app->wait_for_text("Pic_TelvoUpgrade.dll 删除失败", 30000)) << app->log_text();
  app->press_button();
  ASSERT_TRUE(app->wait_for_log(
      [](const std::string& log) {
        const std::size_t first = log.find("操作全部结束");
        return first != std::string::npos && log.find("操作全部结束", first + 1) != std::string::npos;
      },
      120000))
      << app->log_text();
  Sleep(100);

  Transcript expected;
  expected.line("检测到Glimra安装路径: " + kPic)
      .line("没有发现Glimra广告服务")
      .output(del_output)
      .line("Pic_TelvoUpgrade.dll 删除失败");
  held_dll_lines(expected, del_output);  // the nested run, whole
  expected.line("Glimra广告清理完毕", true);
  rest_not_installed(expected);
  for (int pass = 1; pass < 10; ++pass)  // the interrupted run goes on
    expected.output(del_output).line("Pic_TelvoUpgrade.dll 删除失败");
  expected.line("Glimra广告清理完毕", true);
  rest_not_installed(expected);
  EXPECT_EQ(app->log_text(), expected.text());
  EXPECT_EQ(prefix.recorded(), (Lines{"SC qc ViewPic_TelvoSvc", "SC qc ViewPic_TelvoSvc"}));
}

TEST(CleaningWaits, ClosingDuringARunEndsItWithoutFurtherCommands) {
  CLEANING_E2E_ONLY();
  Prefix prefix;
  std::string error;

  // An idle close, for comparison.
  DWORD idle_ms = 0;
  {
    auto idle = tc::e2e::App::start(tc::e2e::product_exe(), &error);
    ASSERT_TRUE(idle) << error;
    const DWORD start = tc::e2e::now_ms();
    idle->close();
    ASSERT_TRUE(idle->wait_for_exit(20000));
    idle_ms = tc::e2e::now_ms() - start;
  }

  seed_held_dll(prefix);
  clean_e2e::Holder dll(kPic + "\\Pic_TelvoUpgrade.dll");
  ASSERT_TRUE(clean_e2e::Holder::held(kPic + "\\Pic_TelvoUpgrade.dll"));
  // An archiver with a service: its commands would be recorded if the run went on.
  prefix.set_value(Prefix::kProducts[1], "Path", "C:\\Program Files\\Pakzo");
  Prefix::folder("C:\\Program Files\\Pakzo");
  Prefix::service("PakzoSvc", "x");

  auto app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
  ASSERT_TRUE(app) << error;
  app->press_button();
  ASSERT_TRUE(app->wait_for_text("Pic_TelvoUpgrade.dll 删除失败", 30000)) << app->log_text();
  const DWORD start = tc::e2e::now_ms();
  app->close();
  DWORD code = 1;
  ASSERT_TRUE(app->wait_for_exit(20000, &code));
  const DWORD busy_ms = tc::e2e::now_ms() - start;
  EXPECT_LE(busy_ms, idle_ms + 1000) << "idle close " << idle_ms << " ms";
  std::printf("close: idle %lu ms, during a run %lu ms\n", idle_ms, busy_ms);
  EXPECT_EQ(code, 0u);
  Sleep(500);
  EXPECT_EQ(prefix.recorded(), Lines{"SC qc ViewPic_TelvoSvc"});
  EXPECT_TRUE(exists(Prefix::marker("services\\PakzoSvc")));
}

}  // namespace
