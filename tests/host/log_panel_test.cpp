#include "app/log_panel.h"

#include <gtest/gtest.h>

#include "fakes/fake_events.h"
#include "fakes/fake_log_box.h"
#include "fakes/fake_registry.h"
#include "system/registry_access.h"
#include "win/app_line_break_cases.h"

namespace tc {
namespace {

// The log panel touches only the log box and the regex port; the other ports
// fail loudly if it ever reaches for them.
class NoConsole : public Console {
 public:
  Text run_command(const Text&) override {
    ADD_FAILURE() << "append_log ran a command";
    return Text();
  }
};
class NoFiles : public Files {
 public:
  std::uint32_t get_file_attributes(const Text&) override { return fail<std::uint32_t>(); }
  bool set_file_attributes(const Text&, std::uint32_t) override { return fail<bool>(); }
  bool delete_file(const Text&) override { return fail<bool>(); }
  bool remove_directory(const Text&) override { return fail<bool>(); }
  bool path_file_exists(const Text&) override { return fail<bool>(); }
  std::uint32_t path_is_directory(const Text&) override { return fail<std::uint32_t>(); }
  std::unique_ptr<DirSearch> find_first(const Text&) override { return nullptr; }

 private:
  template <typename T>
  T fail() {
    ADD_FAILURE() << "append_log touched a file";
    return T();
  }
};
class NoProcesses : public Processes {
 public:
  bool snapshot(std::uint32_t, std::vector<ProcessEntry>&) override { return false; }
  bool terminate(std::uint32_t, std::uint32_t) override { return false; }
  Text image_path(std::uint32_t) override { return Text(); }
  std::uint32_t current_pid() override { return 1; }
};

// Records the one call append_log makes and answers as told.
class ScriptedRegex : public RegexPort {
 public:
  bool search_replace(const Text& pattern, const Text& subject, const Text& replacement,
                      Text& result) override {
    ++calls;
    last_pattern = pattern;
    last_subject = subject;
    last_replacement = replacement;
    if (!works) return false;
    result = answer;
    return true;
  }
  bool works = true;
  Text answer;
  int calls = 0;
  Text last_pattern, last_subject, last_replacement;
};

class LogPanel : public ::testing::Test {
 protected:
  FakeLogBox box{"QVX"};
  FakeEventPort events;
  NoConsole console;
  NoFiles files;
  NoProcesses processes;
  FakeRegistry registry_port;
  RegistryAccess registry{registry_port};
  Ports ports{box, events, console, files, processes, registry, nullptr};
};

TEST_F(LogPanel, AppendLogCases) {
  struct Case {
    const char* label;
    const char* message;
    bool blank_after;
    bool trim;
    const char* written;  // what lands after "QVX"
    int appends;
  };
  const Case cases[] = {
      {"empty writes nothing", "", false, false, "", 0},
      {"one byte writes nothing", "a", false, false, "", 0},
      {"empty with blank_after writes one line break", "", true, false, "\r\n", 1},
      {"one byte with blank_after writes one line break", "a", true, false, "\r\n", 1},
      {"two bytes make a line", "ab", false, false, "ab\r\n", 1},
      {"blank_after is a second append", "ab", true, false, "ab\r\n\r\n", 2},
      {"own CR-LF at the end shows an empty line", "x\r\n", false, false, "x\r\n\r\n", 1},
      {"leading CR-LF starts with an empty line", "\r\nnew", false, false, "\r\nnew\r\n", 1},
      {"a lone CR-LF without trim is a message", "\r\n", false, false, "\r\n\r\n", 1},
      {"untrimmed spaces stay", "  a  ", false, false, "  a  \r\n", 1},
      {"Chinese text is bytes", "操作全部结束", false, false, "操作全部结束\r\n", 1},
      {"trim joins lines with spaces", "\r\nline one\r\nline two\r\n", false, true,
       "line one line two\r\n", 1},
      {"trim joins across blank lines", "a\r\n\r\nb\r\n\r\n\r\nc", false, true, "a b c\r\n", 1},
      {"trim removes outer spaces, keeps inner ones and tabs", "\r\n  \tx  y\t  \r\n", false,
       true, "\tx  y\t\r\n", 1},
      {"trim keeps a lone CR after a trailing blank line", "done\r\n\r\n", false, true,
       "done\r\r\n", 1},
      {"trim of only line breaks writes nothing", "\r\n\r\n\r\n\r\n", false, true, "", 0},
      {"trim down to one byte writes nothing", "\r\n x \r\n", false, true, "", 0},
      {"trim of only spaces with blank_after", "     ", true, true, "\r\n", 1},
      {"trim of Chinese output", "\r\n[SC] DeleteService 成功\r\n\r\n", true, true,
       "[SC] DeleteService 成功\r\r\n\r\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    box.text = "QVX";
    box.appends = 0;
    append_log(ports, c.message, c.blank_after, c.trim);
    EXPECT_EQ(box.text, Text("QVX") + c.written);
    EXPECT_EQ(box.appends, c.appends);
  }
}

TEST_F(LogPanel, LinesFollowWhatTheBoxHolds) {
  box.text = "QVX typed by hand";
  append_log(ports, "first");
  append_log(ports, "second", true);
  EXPECT_EQ(box.text, "QVX typed by handfirst\r\nsecond\r\n\r\n");
}

TEST(StripLineBreaks, NativeCases) {
  for (const auto& c : line_break_cases::kStripCases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(strip_line_breaks(c.text, nullptr), c.stripped);
  }
}

TEST(StripLineBreaks, UsesTheComponentWhenItWorks) {
  ScriptedRegex regex;
  regex.answer = "from the component";
  EXPECT_EQ(strip_line_breaks("\r\n\r\nmiddle\r\n\r\n", &regex), "from the component");
  EXPECT_EQ(regex.calls, 1);
  EXPECT_EQ(regex.last_pattern, "(?:^\\r|\\n$)");
  EXPECT_EQ(regex.last_subject, "\r\nmiddle\r\n");  // one pair gone at each end
  EXPECT_EQ(regex.last_replacement, "");
}

TEST(StripLineBreaks, FallsBackWhenTheComponentFails) {
  ScriptedRegex regex;
  regex.works = false;
  regex.answer = "must not be used";
  EXPECT_EQ(strip_line_breaks("\r\nx\r\n\r\n", &regex), "x\r");
  EXPECT_EQ(regex.calls, 1);
}

TEST_F(LogPanel, TrimGoesThroughTheRegexPort) {
  ScriptedRegex regex;
  regex.answer = "  a\r\nb  ";
  ports.regex = &regex;
  append_log(ports, "anything", false, true);
  EXPECT_EQ(box.text, "QVXa b\r\n");  // the component's answer, then blanks and CR-LF
  append_log(ports, "untrimmed");
  EXPECT_EQ(regex.calls, 1);
}

}  // namespace
}  // namespace tc
