// Closing the window while a run waits inside its message pumping: the run
// notices that the program is quitting, and the process ends with 0 about as
// fast as when the idle window is closed.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

namespace tc {
namespace e2e {
namespace {

const char kProductKey[] = "SOFTWARE\\TelvoPic";

// One installed product whose residue file the test holds open without
// sharing, so the program's deletions keep failing and it keeps retrying a
// second apart, pumping messages all the while.
class CloseDuringRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    folder = std::string(temp) + "tc_close_during_run";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string residue = folder + "\\Pic_TelvoUpgrade.dll";
    locked = CreateFileA(residue.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
    DeleteFileA((folder + "\\Pic_TelvoUpgrade.dll").c_str());
    RemoveDirectoryA(folder.c_str());
  }

  // Milliseconds from WM_CLOSE to the end of the process; -1 on failure.
  static long time_to_exit(App& app, DWORD* code) {
    const std::uint32_t start = now_ms();
    if (!app.close() || !app.wait_for_exit(20000, code)) return -1;
    return static_cast<long>(now_ms() - start);
  }

  std::string folder;
  HANDLE locked = INVALID_HANDLE_VALUE;
};

TEST_F(CloseDuringRun, EndsWithZeroNoLaterThanAnIdleClose) {
  std::string error;
  DWORD idle_code = 0xdeadbeef;
  long idle_ms;
  {
    auto idle = App::start(product_exe(), &error);
    ASSERT_TRUE(idle) << error;
    idle_ms = time_to_exit(*idle, &idle_code);
  }
  ASSERT_GE(idle_ms, 0);
  EXPECT_EQ(idle_code, 0u);

  auto busy = App::start(product_exe(), &error);
  ASSERT_TRUE(busy) << error;
  ASSERT_TRUE(busy->press_button());
  ASSERT_TRUE(busy->wait_for_text(folder, 30000)) << busy->log_text();
  // Well inside the deletion retries by now (ten attempts a second apart).
  Sleep(1500);
  const std::string before_close = busy->log_text();
  ASSERT_EQ(before_close.find("操作全部结束"), std::string::npos) << "the run ended too soon";
  DWORD busy_code = 0xdeadbeef;
  const long busy_ms = time_to_exit(*busy, &busy_code);
  ASSERT_GE(busy_ms, 0) << "the process did not end after its window was closed";
  EXPECT_EQ(busy_code, 0u);
  EXPECT_LE(busy_ms, idle_ms + 1000) << "idle close " << idle_ms << " ms, busy close " << busy_ms
                                     << " ms";
  std::printf("close: idle %ld ms, during a run %ld ms\n", idle_ms, busy_ms);
}

}  // namespace
}  // namespace e2e
}  // namespace tc
