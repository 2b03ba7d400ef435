#include <gtest/gtest.h>

#include "system/registry_access.h"

namespace tc {
namespace {

struct PathCase {
  const char* label;
  const char* path;
  bool known;
  RootKey root;
  const char* sub_key;
};

TEST(ParseKeyPath, RootNamesAndSubKeys) {
  const PathCase cases[] = {
      {"full upper", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Pakzo", true, RootKey::LocalMachine, "SOFTWARE\\Pakzo"},
      {"lower case root", "hkey_local_machine\\SOFTWARE", true, RootKey::LocalMachine, "SOFTWARE"},
      {"mixed case root", "Hkey_Current_User\\x", true, RootKey::CurrentUser, "x"},
      {"nothing after backslash", "HKEY_USERS\\", true, RootKey::Users, ""},
      {"classes root", "HKEY_CLASSES_ROOT\\.txt", true, RootKey::ClassesRoot, ".txt"},
      {"current config", "HKEY_CURRENT_CONFIG\\a\\b", true, RootKey::CurrentConfig, "a\\b"},
      {"short form", "HKLM\\SOFTWARE", false, RootKey::LocalMachine, ""},
      {"no backslash", "HKEY_LOCAL_MACHINE", false, RootKey::LocalMachine, ""},
      {"empty", "", false, RootKey::LocalMachine, ""},
      {"leading backslash", "\\HKEY_LOCAL_MACHINE\\x", false, RootKey::LocalMachine, ""},
      {"root with trailing blank", "HKEY_USERS \\x", false, RootKey::Users, ""},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.label);
    const auto parsed = parse_key_path(c.path);
    ASSERT_EQ(parsed.has_value(), c.known);
    if (!c.known) continue;
    EXPECT_EQ(parsed->root, c.root);
    EXPECT_EQ(parsed->sub_key, c.sub_key);
  }
}

}  // namespace
}  // namespace tc
