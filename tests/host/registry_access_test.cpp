#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_registry.h"
#include "system/registry_access.h"

namespace tc {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytes(const char* data, std::size_t count) { return Bytes(data, data + count); }

constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

class RegistryAccessTest : public ::testing::Test {
 protected:
  RegistryAccessTest() {
    fake.set_text(RootKey::LocalMachine, "SOFTWARE\\Pakzo", "Path", "C:\\Program Files\\Pakzo");
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "NoZero", kRegSz, bytes("abc", 3));
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "Multi", kRegMultiSz, bytes("one\0two\0\0", 9));
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "Number", kRegDword, bytes("\x43\x42\x00\x41", 4));
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "Expand", kRegExpandSz, bytes("%TEMP%\\x\0", 9));
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "Binary", kRegBinary, bytes("\x01\x02", 2));
    fake.set_value(RootKey::LocalMachine, "SOFTWARE\\T", "Empty", kRegSz, Bytes());
    fake.set_text(RootKey::LocalMachine, "SOFTWARE\\T", "", "default");
    fake.set_text(RootKey::CurrentUser, "", "AtRoot", "root value");
  }
  FakeRegistry fake;
  RegistryAccess registry{fake};
};

TEST_F(RegistryAccessTest, ReadTextValue) {
  struct Case {
    const char* label;
    const char* path;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"REG_SZ without its zero", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pakzo", "Path", "C:\\Program Files\\Pakzo"},
      {"lower-case root", "hkey_local_machine\\SOFTWARE\\Pakzo", "Path", "C:\\Program Files\\Pakzo"},
      {"mixed-case root", "Hkey_Local_Machine\\SOFTWARE\\Pakzo", "Path", "C:\\Program Files\\Pakzo"},
      {"REG_SZ stored without a zero comes back whole", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "NoZero", "abc"},
      {"REG_MULTI_SZ gives its first string", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Multi", "one"},
      {"REG_DWORD gives the bytes before its first zero", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Number", "CB"},
      {"REG_EXPAND_SZ is not expanded", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Expand", "%TEMP%\\x"},
      {"any other type is taken as bytes", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Binary", "\x01\x02"},
      {"empty name reads the default value", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "", "default"},
      {"nothing after the backslash opens the root", "HKEY_CURRENT_USER\\", "AtRoot", "root value"},
      {"missing value", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Nothing", ""},
      {"zero-length value", "HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Empty", ""},
      {"missing key", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing", "Path", ""},
      {"other root, same sub-key", "HKEY_CURRENT_USER\\SOFTWARE\\Pakzo", "Path", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(registry.read_text_value(c.path, c.name), c.expected);
    EXPECT_EQ(fake.open_keys(), 0);
  }
}

TEST_F(RegistryAccessTest, UnknownRootMakesNoRegistryCall) {
  for (const char* path : {"HKLM\\SOFTWARE\\Pakzo", "HKCU\\SOFTWARE", "HKEY_LOCAL_MACHINE", "",
                           "SOFTWARE\\Pakzo", "HKEY_LOCAL_MACHINEX\\SOFTWARE\\Pakzo"}) {
    SCOPED_TRACE(path);
    const int before = fake.calls();
    EXPECT_EQ(registry.read_text_value(path, "Path"), "");
    EXPECT_EQ(registry.open_key_path(path, true), 0u);
    EXPECT_EQ(fake.calls(), before);
  }
}

TEST_F(RegistryAccessTest, ReadRawValueGivesBytesAndRealType) {
  std::uint32_t type = kRegSz;
  EXPECT_EQ(registry.read_raw_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Number", &type),
            bytes("\x43\x42\x00\x41", 4));
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(registry.read_raw_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Multi"), bytes("one\0two\0\0", 9));
  type = 0xdeadbeef;
  EXPECT_TRUE(registry.read_raw_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\T", "Nothing", &type).empty());
  EXPECT_EQ(fake.open_keys(), 0);
}

TEST_F(RegistryAccessTest, OpenKeyPathOpensOrCreates) {
  EXPECT_EQ(registry.open_key_path("HKEY_LOCAL_MACHINE\\SOFTWARE\\New"), 0u);
  const RegKey created = registry.open_key_path("HKEY_LOCAL_MACHINE\\SOFTWARE\\New", true);
  ASSERT_NE(created, 0u);
  fake.close_key(created);
  const RegKey opened = registry.open_key_path("HKEY_LOCAL_MACHINE\\SOFTWARE\\New");
  EXPECT_NE(opened, 0u);
  fake.close_key(opened);
}

// A value that changes between the size query and the data query.
class ChangingRegistry : public FakeRegistry {
 public:
  long delta = 0;
  long query_value(RegKey key, const Text& name, std::uint32_t* type, unsigned char* data,
                   std::uint32_t* size) override {
    const long status = FakeRegistry::query_value(key, name, type, data, size);
    if (data == nullptr && size != nullptr && delta < 0) *size += static_cast<std::uint32_t>(-delta);
    if (data == nullptr && delta > 0) {
      set_value(RootKey::LocalMachine, "K", "V", kRegSz, Bytes(12 + delta, 'g'));
    }
    return status;
  }
};

TEST(RegistryAccessChanges, ValueChangingBetweenQueries) {
  struct Case {
    const char* label;
    long delta;
    std::size_t raw_size;
    const char* text;
  };
  const Case cases[] = {
      {"grew: the data query fails, nothing comes back", 5, 0, ""},
      {"reported larger than it is: only what was written", -6, 12, "hello world!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ChangingRegistry fake;
    fake.delta = c.delta;
    RegistryAccess registry(fake);
    fake.set_value(RootKey::LocalMachine, "K", "V", kRegSz, bytes("hello world!", 12));
    EXPECT_EQ(registry.read_raw_value("HKEY_LOCAL_MACHINE\\K", "V").size(), c.raw_size);
    fake.set_value(RootKey::LocalMachine, "K", "V", kRegSz, bytes("hello world!", 12));
    EXPECT_EQ(registry.read_text_value("HKEY_LOCAL_MACHINE\\K", "V"), c.text);
    EXPECT_EQ(fake.open_keys(), 0);
  }
}

TEST_F(RegistryAccessTest, CopyReadsTheSameRegistry) {
  const std::unique_ptr<RegistryAccess> copy = registry.copy();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->read_text_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Pakzo", "Path"), "C:\\Program Files\\Pakzo");
}

}  // namespace
}  // namespace tc
