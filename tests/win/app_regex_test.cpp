#include <gtest/gtest.h>

#include <string>

#include "app/log_panel.h"
#include "app/regex_object_win.h"
#include "win/app_line_break_cases.h"

namespace tc {
namespace {

// True when COM is initialised on this thread (CoInitialize then answers
// S_FALSE); leaves the count as it found it.
bool com_initialised() {
  const HRESULT hr = CoInitialize(nullptr);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE;
}

// Passes calls to the real component and counts the ones it answered.
class CountingRegex : public RegexPort {
 public:
  bool search_replace(const Text& pattern, const Text& subject, const Text& replacement,
                      Text& result) override {
    const bool ok = real.search_replace(pattern, subject, replacement, result);
    (ok ? answered : failed)++;
    return ok;
  }
  Win32Regex real;
  int answered = 0;
  int failed = 0;
};

std::string visible(const Text& text) {
  std::string out;
  for (char c : text) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

TEST(AppRegex, ComponentAndFallbackAgreeOnTheTable) {
  CountingRegex regex;
  for (const auto& c : line_break_cases::kStripCases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(strip_line_breaks(c.text, &regex), c.stripped);
    EXPECT_EQ(strip_line_breaks(c.text, nullptr), c.stripped);
  }
  EXPECT_EQ(regex.failed, 0) << "VBScript.RegExp did not answer";
  EXPECT_GT(regex.answered, 0);
}

// Every text of up to six bytes over CR, LF and a letter: the fallback must
// give the component's bytes exactly.
TEST(AppRegex, FallbackMatchesTheComponentExhaustively) {
  CountingRegex regex;
  const char alphabet[] = {'\r', '\n', 'a'};
  int compared = 0;
  for (int length = 0; length <= 6; ++length) {
    int combinations = 1;
    for (int i = 0; i < length; ++i) combinations *= 3;
    for (int n = 0; n < combinations; ++n) {
      Text text;
      for (int i = 0, k = n; i < length; ++i, k /= 3) text.push_back(alphabet[k % 3]);
      const Text component = strip_line_breaks(text, &regex);
      const Text native = strip_line_breaks(text, nullptr);
      ASSERT_EQ(visible(component), visible(native)) << "text " << visible(text);
      ++compared;
    }
  }
  EXPECT_EQ(regex.failed, 0);
  EXPECT_EQ(regex.answered, compared);
}

TEST(AppRegex, SearchOperations) {
  RegexObject re;
  ASSERT_TRUE(re.search("(\\w+)@(\\w+)", "mail bob@host and amy@place"));
  EXPECT_EQ(re.get_pattern(), "(\\w+)@(\\w+)");
  EXPECT_EQ(re.match_count(), 2);
  int position = 0xbd;
  EXPECT_EQ(re.match_text(2, &position), "amy@place");
  EXPECT_EQ(position, 18);
  EXPECT_EQ(re.submatch_count(), 2);
  position = 0xbd;
  EXPECT_EQ(re.submatch_text(1, 2, &position), "host");
  EXPECT_EQ(position, 9);
  EXPECT_EQ(re.submatch_text(2, 1), "amy");
  EXPECT_EQ(re.replace("$2"), "mail host and place");

  struct Bad {
    const char* label;
    int match;
    int group;
  };
  for (const Bad& b : {Bad{"match 0", 0, 1}, Bad{"match past the end", 3, 1},
                       Bad{"group 0", 1, 0}, Bad{"group past the end", 1, 3}}) {
    SCOPED_TRACE(b.label);
    position = 0xbd;
    EXPECT_EQ(re.submatch_text(b.match, b.group, &position), "");
    EXPECT_EQ(position, -1);
  }
  position = 0xbd;
  EXPECT_EQ(re.match_text(3, &position), "");
  EXPECT_EQ(position, -1);
}

TEST(AppRegex, SearchOptions) {
  struct Case {
    const char* label;
    const char* pattern;
    const char* subject;
    bool case_sensitive, multi_line, global, quotes;
    int matches;
    const char* replaced;  // every match replaced by "#"
  };
  const Case cases[] = {
      {"defaults ignore case", "abc", "ABC abc", false, true, true, false, 2, "# #"},
      {"case-sensitive", "abc", "ABC abc", true, true, true, false, 1, "ABC #"},
      {"not global: the first match only", "a", "aaa", false, true, false, false, 1, "#aa"},
      {"multi-line anchors after LF", "^b", "a\nb", false, true, true, false, 1, "a\n#"},
      {"single-line anchors", "^b", "a\nb", false, false, true, false, 0, "a\nb"},
      {"quote placeholder", "#引号(\\w+)#引号", "say \"hi\" twice", false, true, true, true, 1,
       "say # twice"},
      {"placeholder left alone without the option", "#引号", "x#引号y", false, true, true, false,
       1, "x#y"},
      {"Chinese subject", "中文", "这是中文，不是英文", false, true, true, false, 1,
       "这是#，不是英文"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RegexObject re;
    ASSERT_TRUE(re.search(c.pattern, c.subject, c.case_sensitive, c.multi_line, c.global, c.quotes));
    EXPECT_EQ(re.match_count(), c.matches);
    EXPECT_EQ(re.replace("#"), c.replaced);
  }
  RegexObject re;
  ASSERT_TRUE(re.search("#引号", "", false, true, true, true));
  EXPECT_EQ(re.get_pattern(), "\"");
}

TEST(AppRegex, PositionsCountBytes) {
  RegexObject re;
  ASSERT_TRUE(re.search("a(b)c", "中文abc中文abc"));
  int position = 0xbd;
  EXPECT_EQ(re.match_text(2, &position), "abc");
  EXPECT_EQ(position, 11);
  EXPECT_EQ(re.submatch_text(2, 1, &position), "b");
  EXPECT_EQ(position, 12);
}

TEST(AppRegex, FailuresAreResults) {
  RegexObject fresh;
  EXPECT_EQ(fresh.get_pattern(), "");
  EXPECT_EQ(fresh.match_count(), 0);
  EXPECT_EQ(fresh.match_text(1), "");
  EXPECT_EQ(fresh.submatch_count(), 0);
  Text result = "untouched";
  EXPECT_FALSE(fresh.try_replace("x", result));
  EXPECT_EQ(result, "untouched");

  RegexObject bad;
  EXPECT_FALSE(bad.search("(unclosed", "text"));
  EXPECT_EQ(bad.match_count(), 0);

  Win32Regex port;
  EXPECT_FALSE(port.search_replace("[", "text", "", result));
}

TEST(AppRegex, CopySharesTheMatchesAndKeepsItsSubject) {
  std::unique_ptr<RegexObject> copy;
  {
    RegexObject re;
    ASSERT_TRUE(re.search("o", "foo boo"));
    copy = re.copy();
  }
  EXPECT_EQ(copy->match_count(), 4);
  EXPECT_EQ(copy->get_pattern(), "o");
  EXPECT_EQ(copy->replace("0"), "f00 b00");
}

TEST(AppRegex, ComIsBalanced) {
  ASSERT_FALSE(com_initialised());
  {
    RegexObject re;
    EXPECT_TRUE(com_initialised());
    ASSERT_TRUE(re.search("x", "xyz"));
    auto copy = re.copy();
    EXPECT_EQ(copy->replace(""), "yz");
  }
  EXPECT_FALSE(com_initialised());
  Win32Regex port;
  Text result;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(port.search_replace("a", "banana", "o", result));
  EXPECT_EQ(result, "bonono");
  EXPECT_FALSE(com_initialised());
  EXPECT_FALSE(port.search_replace("(", "x", "", result));
  EXPECT_FALSE(com_initialised());
}

}  // namespace
}  // namespace tc
