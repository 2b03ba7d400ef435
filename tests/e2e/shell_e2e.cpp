// The application shell seen from outside: the window as designed, the log
// box's first content, typing, the keyboard and closing.
#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace tc {
namespace e2e {
namespace {

const char kRunEnd[] = "操作全部结束";

int screen_dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    app = App::start(product_exe(), &error);
    ASSERT_TRUE(app) << error;
  }
  std::unique_ptr<App> app;
};

TEST_F(Shell, OpensAsDesigned) {
  EXPECT_EQ(app->log_text(), "QVX");
  EXPECT_EQ(App::window_text(app->window()), kTitle);
  EXPECT_EQ(App::window_text(app->button()), kButtonText);
  EXPECT_EQ(app->focus(), app->button());

  const LONG edit_style = GetWindowLongA(app->log_box(), GWL_STYLE);
  EXPECT_TRUE(edit_style & ES_MULTILINE);
  EXPECT_TRUE(edit_style & WS_VSCROLL);
  EXPECT_FALSE(edit_style & ES_READONLY);
  EXPECT_TRUE(IsWindowEnabled(app->button()));

  if (screen_dpi() != 96) GTEST_SKIP() << "the designed geometry is given at 96 DPI";
  struct Case {
    const char* label;
    RECT actual;
    RECT designed;
  };
  const Case cases[] = {
      {"window, outer, on the screen", app->window_rect(), {50, 50, 50 + 625, 50 + 504}},
      {"button in the client area", app->client_rect_of(app->button()), {24, 20, 24 + 568, 20 + 58}},
      {"log box in the client area", app->client_rect_of(app->log_box()),
       {24, 95, 24 + 568, 95 + 352}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.actual.left, c.designed.left);
    EXPECT_EQ(c.actual.top, c.designed.top);
    EXPECT_EQ(c.actual.right, c.designed.right);
    EXPECT_EQ(c.actual.bottom, c.designed.bottom);
  }
}

TEST_F(Shell, TypedTextStaysAndTheRunFollowsIt) {
  // The caret is put at the end as a user clicking there would.
  SendMessageA(app->log_box(), EM_SETSEL, 3, 3);
  ASSERT_TRUE(app->type_text(" typed by hand\r\nmore"));
  const std::string typed = "QVX typed by hand\r\nmore";
  ASSERT_TRUE(app->wait_for_log([&](const std::string& log) { return log == typed; }, 5000))
      << ::testing::PrintToString(app->log_text());

  // Whatever the user selected, lines land at the end.
  SendMessageA(app->log_box(), EM_SETSEL, 0, 2);
  ASSERT_TRUE(app->press_button());
  ASSERT_TRUE(app->wait_for_text(kRunEnd, 60000)) << app->log_text();
  const std::string log = app->log_text();
  ASSERT_GT(log.size(), typed.size());
  EXPECT_EQ(log.substr(0, typed.size()), typed);
  EXPECT_NE(log[typed.size()], '\r') << "the first line follows on the same line";
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(Shell, KeyboardMovesBetweenControlsAndPressesTheButton) {
  ASSERT_EQ(app->focus(), app->button());
  struct Step {
    const char* label;
    HWND from;
    WORD key;
    HWND to;
  };
  const Step steps[] = {
      {"Tab from the button to the log box", app->button(), VK_TAB, app->log_box()},
      {"Tab from the log box back to the button", app->log_box(), VK_TAB, app->button()},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.label);
    ASSERT_TRUE(app->press_key(s.from, s.key));
    const DWORD start = now_ms();
    while (app->focus() != s.to && now_ms() - start < 5000) Sleep(20);
    EXPECT_EQ(app->focus(), s.to);
  }
  ASSERT_TRUE(app->press_key(app->button(), VK_RETURN));
  ASSERT_TRUE(app->wait_for_log([](const std::string& log) { return count_of(log, kRunEnd) == 1; },
                                60000))
      << "Enter on the button starts a run";
  ASSERT_TRUE(app->press_key(app->button(), VK_SPACE));
  EXPECT_TRUE(app->wait_for_log([](const std::string& log) { return count_of(log, kRunEnd) == 2; },
                                60000))
      << "Space on the button starts a run";
}

TEST_F(Shell, ClosingEndsTheProcessWithZero) {
  ASSERT_TRUE(app->close());
  DWORD code = 0xdeadbeef;
  ASSERT_TRUE(app->wait_for_exit(15000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace e2e
}  // namespace tc
