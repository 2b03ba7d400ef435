// The main window and the log box appender inside the test process.
#include <gtest/gtest.h>

#include "app/log_box_win.h"
#include "app/log_panel.h"
#include "app/main_window_win.h"

namespace tc {
namespace {

std::string text_of(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

TEST(AppWindow, LayoutScalesWithDpi) {
  struct Case {
    const char* label;
    int dpi;
    DesignRect expected;
  };
  const Case cases[] = {
      {"96 DPI is the design", 96, {50, 50, 625, 504}},
      {"120 DPI", 120, {63, 63, 781, 630}},
      {"144 DPI", 144, {75, 75, 938, 756}},
      {"192 DPI", 192, {100, 100, 1250, 1008}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const DesignRect r = scaled(kWindowRect, c.dpi);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
  }
}

TEST(AppWindow, CreatedEventSeesTheControlsAndTheButtonCallsTheHandler) {
  MainWindow window;
  int created = 0, clicked = 0;
  window.on_created = [&] {
    ++created;
    EXPECT_NE(window.button(), nullptr);
    EXPECT_EQ(text_of(window.log_box()), "QVX");
  };
  window.on_clicked = [&] { ++clicked; };
  ASSERT_TRUE(window.create(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE));
  EXPECT_EQ(created, 1);
  EXPECT_EQ(text_of(window.window()), kWindowTitle);
  EXPECT_EQ(text_of(window.button()), kButtonText);
  SendMessageA(window.button(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicked, 1);
  // Enter with the button focused comes to the window as the button's command.
  EXPECT_EQ(SendMessageA(window.window(), DM_GETDEFID, 0, 0),
            static_cast<LRESULT>(MAKELONG(kButtonId, DC_HASDEFID)));
}

TEST(AppWindow, ClosingPostsQuit) {
  MainWindow window;
  ASSERT_TRUE(window.create(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE));
  PostMessageA(window.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(run_message_loop(window.window()), 0);
  EXPECT_EQ(window.window(), nullptr);
}

TEST(AppLogBox, AppendsAtTheEndWhateverIsSelected) {
  HWND edit = CreateWindowExA(0, "EDIT", "QVX typed", WS_POPUP | ES_MULTILINE | WS_VSCROLL, 0, 0,
                              200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, EM_SETSEL, 0, 3);  // the user selected "QVX"
  Win32LogBox box(edit);
  box.append_text("成功\r\n");
  box.append_text("\r\n");
  EXPECT_EQ(text_of(edit), "QVX typed成功\r\n\r\n");
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0)) << "appends are not undoable";
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end);
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(edit)));  // characters, not bytes
  DestroyWindow(edit);
}

}  // namespace
}  // namespace tc
