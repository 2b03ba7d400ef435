// A thousand log lines and a thousand commands in one process leave the
// handle, GDI and USER object counts and the private bytes where they were.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/log_panel.h"
#include "soak/object_counts.h"
#include "support/program_fixture.h"
#include "system/command_runner_win.h"

namespace {

using soak::count_objects;
using soak::describe;
using soak::ObjectCounts;

void expect_back_to(const ObjectCounts& start, const ObjectCounts& now, const char* when) {
  std::printf("%s: %s (at the start: %s)\n", when, describe(now).c_str(), describe(start).c_str());
  EXPECT_TRUE(soak::back_to_start(start, now)) << when << ": " << describe(start) << " -> " << describe(now);
}

// The counts must see a leak, or the soak tests below could not fail.
TEST(ObjectCounts, SeeFiveObjectsOfEachKindLeftOpen) {
  const ObjectCounts start = count_objects();
  std::vector<HANDLE> events;
  std::vector<HBRUSH> brushes;
  std::vector<HMENU> menus;
  for (int i = 0; i < 5; ++i) {
    events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    menus.push_back(CreatePopupMenu());
  }
  const std::size_t megabytes = 4 * 1024 * 1024;
  void* block = VirtualAlloc(nullptr, megabytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(block, nullptr);
  const ObjectCounts leaking = count_objects();
  EXPECT_EQ(leaking.handles - start.handles, 5) << describe(start) << " -> " << describe(leaking);
  EXPECT_EQ(leaking.gdi - start.gdi, 5) << describe(start) << " -> " << describe(leaking);
  EXPECT_EQ(leaking.user - start.user, 5) << describe(start) << " -> " << describe(leaking);
  EXPECT_GE(leaking.private_bytes, start.private_bytes + megabytes)
      << describe(start) << " -> " << describe(leaking);

  VirtualFree(block, 0, MEM_RELEASE);
  for (HANDLE h : events) CloseHandle(h);
  for (HBRUSH h : brushes) DeleteObject(h);
  for (HMENU h : menus) DestroyMenu(h);
  const ObjectCounts released = count_objects();
  EXPECT_EQ(released.handles, start.handles);
  EXPECT_EQ(released.gdi, start.gdi);
  EXPECT_EQ(released.user, start.user);
}

TEST(Soak, AThousandTrimmedLogLinesLeaveNothingBehind) {
  tc_test::ProgramFixture program;
  ASSERT_TRUE(program.created());
  tc::Ports& ports = program.ports();
  // The first line creates what stays for the process's life (COM, the
  // component's class factory, the font the skin picks).
  tc::append_log(ports, "\r\nwarm-up\r\n", false, true);
  tc_test::ProgramFixture::settle();
  const ObjectCounts start = count_objects();
  for (int i = 1; i <= 1000; ++i) {
    tc::append_log(ports, "\r\n[SC] DeleteService line " + std::to_string(i) + "\r\n", false, true);
    if (i % 50 == 0) tc_test::ProgramFixture::settle();  // painted as it grows
    if (i == 500) expect_back_to(start, count_objects(), "after 500 lines");
  }
  tc_test::ProgramFixture::settle();
  expect_back_to(start, count_objects(), "after 1000 lines");
  EXPECT_NE(program.log_text().find("[SC] DeleteService line 1000\r\n"), std::string::npos);
}

TEST(Soak, AThousandCommandsLeaveNothingBehind) {
  tc_test::ProgramFixture program;
  ASSERT_TRUE(program.created());
  ASSERT_EQ(tc::run_command("echo warm-up"), "warm-up\r\n");
  const ObjectCounts start = count_objects();
  int answered = 0;
  for (int i = 1; i <= 1000; ++i) {
    const std::string word = "soak" + std::to_string(i);
    if (tc::run_command("echo " + word) == word + "\r\n") ++answered;
    if (i == 500) expect_back_to(start, count_objects(), "after 500 commands");
  }
  EXPECT_EQ(answered, 1000);
  tc_test::ProgramFixture::settle();
  expect_back_to(start, count_objects(), "after 1000 commands");
}

}  // namespace
