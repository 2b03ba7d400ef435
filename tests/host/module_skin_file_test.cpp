#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "module/skin_file.h"

namespace {

tc::SkinStyle parse(const std::string& text, bool* ok = nullptr) {
  tc::SkinStyle s;
  std::memset(&s, 0xBD, sizeof s);  // a field left unset shows up
  const bool r = tc::parse_skin_file(reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<uint32_t>(text.size()), &s);
  if (ok) *ok = r;
  return s;
}

tc::SkinStyle defaults() {
  tc::SkinStyle s;
  tc::default_skin_style(&s);
  return s;
}

bool same(const tc::SkinStyle& a, const tc::SkinStyle& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SkinFile, NotASkinFileGivesTheDefaults) {
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"wrong magic", "TSKIN 2\nwindow.background = #000000\n"},
      {"magic not on the first line", "\nTSKIN 1\nwindow.background = #000000\n"},
      {"cut magic", "TSKI"},
      {"binary", std::string("\x00\xff\x10TSKIN 1\n", 11)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    bool ok = true;
    EXPECT_TRUE(same(parse(c.second, &ok), defaults()));
    EXPECT_FALSE(ok);
  }
  tc::SkinStyle s;
  EXPECT_FALSE(tc::parse_skin_file(nullptr, 100, &s));
  EXPECT_TRUE(same(s, defaults()));
}

TEST(SkinFile, ReadsValuesAndKeepsDefaultsForBadOnes) {
  bool ok = false;
  tc::SkinStyle s = parse(
      "  TSKIN 1  \r\n"
      "# comment = #000000\r\n"
      "window.background=#102030\r\n"
      "\tbutton.face =  #aBcDeF \n"
      "button.hover = #12345\n"          // too short: default kept
      "button.pressed = 123456\n"        // no #: default kept
      "button.text = #GG0000\n"          // not hex
      "log.text = #010203\n"
      "log.text = #040506\n"             // the later line wins
      "font.height = 200\n"              // out of range
      "button.radius = 9\n"
      "Log.background = #000000\n"       // keys are case-sensitive
      "no equals sign here\n"
      "font.faces = Noto Sans CJK SC ;  SimHei",  // last line without LF
      &ok);
  EXPECT_TRUE(ok);
  const tc::SkinStyle d = defaults();
  EXPECT_EQ(s.window_background, 0x302010u);
  EXPECT_EQ(s.button_face, 0xEFCDABu);
  EXPECT_EQ(s.button_hover, d.button_hover);
  EXPECT_EQ(s.button_pressed, d.button_pressed);
  EXPECT_EQ(s.button_text, d.button_text);
  EXPECT_EQ(s.log_text, 0x060504u);
  EXPECT_EQ(s.log_background, d.log_background);
  EXPECT_EQ(s.font_height, d.font_height);
  EXPECT_EQ(s.corner_radius, 9);
  ASSERT_EQ(s.face_count, 2u);
  EXPECT_STREQ(s.faces[0], "Noto Sans CJK SC");
  EXPECT_STREQ(s.faces[1], "SimHei");
  EXPECT_STREQ(s.faces[2], "");
}

TEST(SkinFile, FaceListIsTakenWholeOrNotAtAll) {
  const std::pair<const char*, std::string> bad[] = {
      {"empty list", "font.faces = "},
      {"empty entry", "font.faces = A;;B"},
      {"five faces", "font.faces = A;B;C;D;E"},
      {"32-byte name", "font.faces = " + std::string(32, 'x')},
      {"control byte", std::string("font.faces = A\x01") + "B"},
      {"NUL byte", std::string("font.faces = A\0B", 16)},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.first);
    tc::SkinStyle s = parse("TSKIN 1\n" + c.second + "\n");
    EXPECT_TRUE(same(s, defaults()));
  }
  tc::SkinStyle s = parse("TSKIN 1\nfont.faces = " + std::string(31, 'y') + ";A;B;C\n");
  EXPECT_EQ(s.face_count, 4u);
  EXPECT_EQ(std::string(s.faces[0]), std::string(31, 'y'));
}

TEST(SkinFile, ReadsOnlyTheGivenLength) {
  // The value continues past the given length; only "#1020" is inside it.
  const std::string text = "TSKIN 1\nwindow.background = #102030\n";
  tc::SkinStyle s;
  ASSERT_TRUE(tc::parse_skin_file(reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<uint32_t>(text.size() - 3), &s));
  EXPECT_EQ(s.window_background, defaults().window_background);
}

TEST(SkinFile, TheStoredSkinFileSetsEveryValue) {
  std::ifstream f(TC_SOURCE_DIR "/resources/skin-engine/default.tskin", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(text.empty());
  bool ok = false;
  tc::SkinStyle s = parse(text, &ok);
  EXPECT_TRUE(ok);
  // It restates the built-in look, so both paths draw the same window.
  EXPECT_TRUE(same(s, defaults()));
}

}  // namespace
