#include <gtest/gtest.h>

#include "fakes/fake_events.h"
#include "system/delay.h"

namespace tc {
namespace {

TEST(DelayWithEvents, WaitsTheCountOnTheVirtualClock) {
  struct Case {
    const char* label;
    std::uint32_t start;
    std::int32_t ms;
    std::uint32_t min_elapsed;
  };
  const Case cases[] = {
      {"one second", 5000, 1000, 1001},
      {"one millisecond", 5000, 1, 2},
      {"across the 49.7-day wrap", 0xFFFFFF00u, 1000, 1001},
      {"ending exactly at the wrap", 0xFFFFFC17u, 1000, 1001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeEventPort events(c.start);
    delay_with_events(events, c.ms);
    const std::uint32_t elapsed = events.tick_count() - c.start;
    EXPECT_GE(elapsed, c.min_elapsed);
    EXPECT_LE(elapsed, c.min_elapsed + 4);  // one loop of four pumps at most
  }
}

TEST(DelayWithEvents, ZeroOrLessReturnsAtOnce) {
  for (std::int32_t ms : {0, -1, -1000}) {
    FakeEventPort events;
    delay_with_events(events, ms);
    EXPECT_EQ(events.pumps(), 0u) << ms;
  }
}

TEST(DelayWithEvents, DispatchesDueEventsAndStopsWhenQuitting) {
  FakeEventPort events(100);
  int clicks = 0;
  events.at(300, [&] { ++clicks; });
  events.at(600, [&] { events.set_quitting(true); });
  delay_with_events(events, 1000);
  EXPECT_EQ(clicks, 1);
  EXPECT_LT(events.tick_count() - 100, 510u);  // returned soon after the quit
}

TEST(DelayWithEvents, SleepsWhileNothingArrivesAndWakesForWhatDoes) {
  FakeEventPort events(100);
  delay_with_events(events, 1000);
  EXPECT_LE(events.pumps(), 8u);  // a spinning wait would pump about a thousand times

  FakeEventPort clicked(100);
  std::uint32_t handled_at = 0;
  clicked.at(400, [&] { handled_at = clicked.tick_count(); });
  delay_with_events(clicked, 1000);
  EXPECT_GE(handled_at, 400u);
  EXPECT_LE(handled_at, 402u);  // dispatched when it came, not at the end
  EXPECT_GE(clicked.tick_count() - 100, 1001u);
}

}  // namespace
}  // namespace tc
