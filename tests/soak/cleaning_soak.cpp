// Fifty whole cleaning runs in one process, each over a freshly seeded demo
// installation: every run writes the same transcript, and the process holds
// no more handles, GDI or USER objects or private bytes after the fiftieth
// than after the first.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/cleaning_scenario_e2e.h"
#include "soak/object_counts.h"
#include "support/program_fixture.h"

namespace {

using soak::count_objects;
using soak::describe;
using soak::ObjectCounts;

constexpr int kRuns = 50;

int count_of(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Soak, FiftyCleaningRunsWriteOneTranscriptAndLeaveNothingBehind) {
  CLEANING_E2E_ONLY();
  tc_test::ProgramFixture program;
  ASSERT_TRUE(program.created());
  std::string first;
  ObjectCounts start;
  for (int run = 1; run <= kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    std::string transcript;
    {
      clean_e2e::Prefix prefix;  // a prefix without products, the stand-ins in place
      const clean_e2e::AllFour installed = clean_e2e::install_all_four(prefix);
      ASSERT_NE(installed.updater, 0u);
      ASSERT_EQ(installed.outdated.size(), 2u);
      program.clear_log();
      program.click();
      transcript = program.log_text();
      // The one text that differs from run to run: the ended updater's ID.
      const std::string pid = "PID 为 " + std::to_string(installed.updater) + " ";
      const std::size_t at = transcript.find(pid);
      ASSERT_NE(at, std::string::npos) << transcript;
      transcript.replace(at, pid.size(), "PID 为 <updater> ");
    }  // the seeded products and their helpers are gone again
    tc_test::ProgramFixture::settle();
    if (run == 1) {
      first = transcript;
      ASSERT_EQ(count_of(first, "广告清理完毕\r\n"), 4) << first;
      ASSERT_EQ(count_of(first, "操作全部结束"), 1) << first;
      start = count_objects();  // what the first run left for the process's life
      continue;
    }
    ASSERT_EQ(transcript, first);
    if (run % 10 == 0) {
      const ObjectCounts now = count_objects();
      EXPECT_TRUE(soak::back_to_start(start, now)) << describe(start) << " -> " << describe(now);
      std::printf("after run %d: %s (after run 1: %s)\n", run, describe(now).c_str(), describe(start).c_str());
    }
  }
}

}  // namespace
