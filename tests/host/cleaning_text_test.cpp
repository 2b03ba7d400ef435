#include <gtest/gtest.h>

#include "cleaning/install_path_guard.h"
#include "cleaning/name_folding.h"
#include "cleaning/path_helpers.h"
#include "host/cleaning_world.h"

namespace tc {
namespace {

struct TextCase {
  const char* label;
  Text input;
  Text expected;
};

TEST(PathHelpers, FileExtensionAsTheShellFindsIt) {
  const TextCase cases[] = {
      {"plain", "C:\\Apps\\TelvoPicUpdate.exe", ".exe"},
      {"capitals kept", "a\\B.EXE", ".EXE"},
      {"last dot wins", "pack.tar.gz", ".gz"},
      {"dot only in a folder", "C:\\dir.x\\file", ""},
      {"space after the dot", "a.b c", ""},
      {"space before the dot", "a b.c", ".c"},
      {"leading dot", ".hidden", ".hidden"},
      {"trailing dot", "name.", "."},
      {"empty", "", ""},
      {"trail byte 0x5C is no separator", "x.\x81\x5C" "b", ".\x81\x5C" "b"},
      {"double-byte name", "C:\\\xB8\xFC\xD0\xC2.dll", ".dll"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(file_extension(c.input), c.expected);
  }
}

TEST(PathHelpers, FileNameOfTheLastComponent) {
  const TextCase cases[] = {
      {"full path", "C:\\Apps\\Glimra\\TelvoPicUpdate.exe", "TelvoPicUpdate.exe"},
      {"ends in a backslash", "C:\\Apps\\Glimra\\", ""},
      {"bare name", "name.exe", "name.exe"},
      {"drive relative", "C:name.exe", "name.exe"},
      {"drive root", "C:\\", ""},
      {"doubled separator", "C:\\Apps\\\\x.exe", "x.exe"},
      {"forward slash", "C:/Apps/x.exe", "x.exe"},
      {"ends in a trail byte 0x5C", "C:\\d\\\x81\x5C", "\x81\x5C"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(file_name_of(c.input), c.expected);
  }
}

TEST(NameFolding, AsciiLettersOnlyAndDoubleByteCharactersWhole) {
  const TextCase cases[] = {
      {"capitals", "TelvoPicUpdate.EXE", "telvopicupdate.exe"},
      // 0x81 0x41 is one character whose second byte looks like 'A'.
      {"trail byte like a capital", "\x81" "ABC.exe", "\x81" "Abc.exe"},
      {"0x80 starts a pair too", "\x80" "AB", "\x80" "Ab"},
      {"lone lead byte at the end", "AB\xB8", "ab\xB8"},
      {"Chinese name", "\xB8\xFC\xD0\xC2Update.EXE", "\xB8\xFC\xD0\xC2update.exe"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(fold_name(c.input), c.expected);
  }
}

TEST(ToUpperCopy, SmallLettersOfTheCodePageOnly) {
  const TextCase cases[] = {
      {"path", "c:\\apps\\typhra\\2.0.0.5", "C:\\APPS\\TYPHRA\\2.0.0.5"},
      {"trail byte like a small letter", "\x81" "abc", "\x81" "aBC"},
      {"0x80 is a single byte in 936", "\x80" "ab", "\x80" "AB"},
      {"Chinese text", "\xB8\xFC\xD0\xC2v", "\xB8\xFC\xD0\xC2V"},
      {"full-width letters", "ａｚＡ", "ＡＺＡ"},
      {"Greek", "αω", "ΑΩ"},
      {"Cyrillic with yo", "аёя", "АЁЯ"},
      {"small Roman numerals", "ⅰⅹ", "ⅠⅩ"},
      {"pinyin letters have no capital here", "āü", "āü"},
      {"lead byte at the end", "a\xA3", "A\xA3"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(to_upper_copy(c.input), c.expected);
  }
}

TEST(FindLineContaining, CrLfLinesAndLetterCase) {
  struct Case {
    const char* label;
    Text text;
    Text search;
    bool case_sensitive;
    int expected;
  };
  const Case cases[] = {
      {"empty text", "", "BINARY_PATH_NAME", false, 0},
      {"second line", "[SC] ok\r\nBINARY_PATH_NAME : x", "BINARY_PATH_NAME", false, 2},
      {"small letters found", "a\r\n\r\n  binary_path_name: x\r\n", "BINARY_PATH_NAME", false, 3},
      {"small letters, case-sensitive", "binary_path_name", "BINARY_PATH_NAME", true, 0},
      {"lone LF does not split", "a\nBINARY_PATH_NAME", "BINARY_PATH_NAME", false, 1},
      {"lone CR does not split", "a\rb\r\nc", "c", false, 2},
      {"not across a line break", "BINARY_PATH\r\n_NAME", "BINARY_PATH_NAME", false, 0},
      {"missing", "[SC] OpenService FAILED 1060:", "BINARY_PATH_NAME", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(find_line_containing(c.text, c.search, c.case_sensitive), c.expected);
  }
}

TEST(InstallPathGuard, RefusesPathsThatCouldNameTheWrongFolder) {
  CleaningWorld world;
  struct Case {
    const char* label;
    Text path;
    bool safe;
  };
  const Case cases[] = {
      {"ordinary folder", "D:\\Apps\\Glimra", true},
      {"ends in a backslash", "D:\\Apps\\Glimra\\", true},
      {"below Program Files", "C:\\Program Files\\Pakzo", true},
      {"below a profile", "C:\\Users\\me\\AppData\\Roaming\\Typhra", true},
      {"UNC folder", "\\\\server\\share\\Glimra", true},
      {"double-byte name with trail 0x5C", "D:\\\x81\x5C", true},
      {"double-byte name with trail 0x7C", "D:\\Apps\\\x81\x7C", true},
      {"relative", "Apps\\Glimra", false},
      {"rooted without drive", "\\Apps\\Glimra", false},
      {"drive relative", "D:Apps", false},
      {"drive root", "D:\\", false},
      {"drive root, doubled", "D:\\\\", false},
      {"share root", "\\\\server\\share", false},
      {"share root with backslash", "\\\\server\\share\\", false},
      {"double quote", "D:\\Apps\\a\"b", false},
      {"percent sign", "D:\\%SystemRoot%", false},
      {"control byte", "D:\\Apps\\a\tb", false},
      {"dot component", "D:\\Apps\\.\\Glimra", false},
      {"dot-dot component", "D:\\Apps\\..\\..\\Windows", false},
      {"trailing dot names another folder", "C:\\Windows.", false},
      {"wildcard", "D:\\Apps\\*", false},
      {"stream", "D:\\Apps\\a:b", false},
      {"device path", "\\\\?\\C:\\Apps", false},
      {"Windows folder, other case", "c:\\WINDOWS", false},
      {"system folder, doubled backslashes", "C:\\\\Windows\\\\System32\\", false},
      {"SysWOW64", "C:\\Windows\\SysWOW64", false},
      {"Program Files", "C:\\Program Files", false},
      {"Program Files (x86)", "c:\\program files (x86)\\", false},
      {"ProgramData", "C:\\ProgramData", false},
      {"Users", "C:\\Users", false},
      {"own profile", "C:\\Users\\Me", false},
      {"another profile", "C:\\Users\\Public", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(install_path_is_safe(world.ports, c.path), c.safe);
  }
}

TEST(PathHelpers, ComparablePathFoldsSpellings) {
  EXPECT_EQ(comparable_path("C:\\\\Windows\\\\System32\\"), "c:\\windows\\system32");
  EXPECT_EQ(comparable_path("\\\\Server\\\\Share"), "\\\\server\\share");
  EXPECT_EQ(comparable_path("C:\\\x81\x5C"), "c:\\\x81\x5C");  // the trail byte stays
}

}  // namespace
}  // namespace tc
