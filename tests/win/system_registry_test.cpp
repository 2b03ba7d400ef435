#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/registry_access.h"
#include "system/registry_win.h"

namespace tc {
namespace {

// A sandbox key under HKCU and HKLM of the prefix, removed afterwards.
class RegistryOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    sub_key_ = "Software\\TcRegistryTest" + std::to_string(GetCurrentProcessId());
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExA(root, sub_key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
                ERROR_SUCCESS);
      RegCloseKey(key);
    }
  }
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeA(root, sub_key_.c_str());
    RegDeleteValueA(HKEY_CURRENT_USER, root_value_name().c_str());
  }

  void set(HKEY root, const char* name, DWORD type, const void* data, std::size_t size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, sub_key_.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  std::string path(const char* root) const { return std::string(root) + "\\" + sub_key_; }
  std::string root_value_name() const { return "TcRootValue" + std::to_string(GetCurrentProcessId()); }

  std::string sub_key_;
  RegistryAccess registry{win32_registry_port()};
};

TEST_F(RegistryOnWine, ReadTextValue) {
  set(HKEY_LOCAL_MACHINE, "Path", REG_SZ, "C:\\Telvo\\Pakzo", 15);
  set(HKEY_LOCAL_MACHINE, "NoZero", REG_SZ, "abc", 3);
  set(HKEY_LOCAL_MACHINE, "Multi", REG_MULTI_SZ, "one\0two\0", 9);
  const DWORD number = 0x00414243;  // bytes 43 42 41 00
  set(HKEY_LOCAL_MACHINE, "Number", REG_DWORD, &number, 4);
  set(HKEY_LOCAL_MACHINE, "Expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
  set(HKEY_LOCAL_MACHINE, "Empty", REG_SZ, "", 0);
  set(HKEY_LOCAL_MACHINE, "Chinese", REG_SZ, "输入法", 7);
  set(HKEY_LOCAL_MACHINE, "", REG_SZ, "default", 8);
  set(HKEY_CURRENT_USER, "Path", REG_SZ, "user", 5);
  struct Case {
    const char* label;
    std::string path;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"REG_SZ", path("HKEY_LOCAL_MACHINE"), "Path", "C:\\Telvo\\Pakzo"},
      {"lower-case root", path("hkey_local_machine"), "Path", "C:\\Telvo\\Pakzo"},
      {"mixed-case root", path("HKey_Local_Machine"), "Path", "C:\\Telvo\\Pakzo"},
      {"the current user's key", path("HKEY_CURRENT_USER"), "Path", "user"},
      {"REG_SZ without a terminating zero comes back whole", path("HKEY_LOCAL_MACHINE"), "NoZero", "abc"},
      {"REG_MULTI_SZ gives its first string", path("HKEY_LOCAL_MACHINE"), "Multi", "one"},
      {"REG_DWORD gives the bytes before its first zero", path("HKEY_LOCAL_MACHINE"), "Number", "CBA"},
      {"REG_EXPAND_SZ is not expanded", path("HKEY_LOCAL_MACHINE"), "Expand", "%TEMP%\\x"},
      {"CP936 text", path("HKEY_LOCAL_MACHINE"), "Chinese", "输入法"},
      {"the default value", path("HKEY_LOCAL_MACHINE"), "", "default"},
      {"missing value", path("HKEY_LOCAL_MACHINE"), "Nothing", ""},
      {"zero-length value", path("HKEY_LOCAL_MACHINE"), "Empty", ""},
      {"missing key", path("HKEY_LOCAL_MACHINE") + "\\Missing", "Path", ""},
      {"short root name", "HKLM\\" + sub_key_, "Path", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(registry.read_text_value(c.path, c.name), c.expected);
  }
}

TEST_F(RegistryOnWine, NothingAfterTheBackslashOpensTheRoot) {
  const std::string name = root_value_name();
  ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("at the root"), 12),
            ERROR_SUCCESS);
  EXPECT_EQ(registry.read_text_value("HKEY_CURRENT_USER\\", name), "at the root");
  EXPECT_EQ(registry.read_text_value("HKEY_CURRENT_USER", name), "");
}

TEST_F(RegistryOnWine, OneMegabyteValueComesBackWhole) {
  std::vector<unsigned char> data(1 << 20);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(1 + i % 253);
  set(HKEY_LOCAL_MACHINE, "Big", REG_BINARY, data.data(), data.size());
  std::string text(1 << 20, 'p');
  set(HKEY_LOCAL_MACHINE, "BigText", REG_SZ, text.c_str(), text.size() + 1);

  std::uint32_t type = REG_SZ;
  EXPECT_TRUE(registry.read_raw_value(path("HKEY_LOCAL_MACHINE"), "Big", &type) == data);
  EXPECT_EQ(type, static_cast<std::uint32_t>(REG_BINARY));
  EXPECT_TRUE(registry.read_text_value(path("HKEY_LOCAL_MACHINE"), "BigText") == text);
}

TEST_F(RegistryOnWine, OpenKeyPathCreatesWhenAsked) {
  const std::string fresh = path("HKEY_CURRENT_USER") + "\\Fresh\\Deeper";
  EXPECT_EQ(registry.open_key_path(fresh), 0u);
  const RegKey created = registry.open_key_path(fresh, true);
  ASSERT_NE(created, 0u);
  win32_registry_port().close_key(created);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (sub_key_ + "\\Fresh\\Deeper").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
}  // namespace tc
