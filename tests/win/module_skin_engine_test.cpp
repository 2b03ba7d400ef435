// Our skin engine at work on real windows: loaded from memory as the program
// does, attached to a window with a push button and a log box.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "module/stored_skin.h"

namespace {

int g_clicks = 0;

LRESULT CALLBACK frame_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) ++g_clicks;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

constexpr COLORREF rgb(int r, int g, int b) { return RGB(r, g, b); }

struct SkinnedWindow : ::testing::Test {
  std::unique_ptr<tc::MemoryModule> module{tc::new_program_memory_module()};
  HWND frame = nullptr, button = nullptr, log = nullptr;

  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = frame_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TcSkinTestFrame";
    RegisterClassA(&wc);
    frame = CreateWindowExA(0, "TcSkinTestFrame", "skin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    button = CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                             120, 32, frame, reinterpret_cast<HMENU>(5), wc.hInstance, nullptr);
    log = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE |
                          ES_READONLY, 10, 50, 300, 150, frame, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(frame && button && log);
    ASSERT_TRUE(tc::skin_startup_hook(*module));
  }
  void TearDown() override {
    if (frame) DestroyWindow(frame);
  }
  void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  std::uint32_t attach(const std::string& skin) {
    return tc::attach_skin(*module, reinterpret_cast<const unsigned char*>(skin.data()), skin.size(), "");
  }
  // The colour a window paints at (x, y) when asked to print its client area.
  COLORREF printed_pixel(HWND hwnd, UINT msg, int x, int y) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageA(hwnd, msg, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF c = GetPixel(dc, x, y < 0 ? rc.bottom / 2 : y);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return c;
  }
  COLORREF log_colours(COLORREF* text) {
    HDC dc = GetDC(log);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(frame, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(log)));
    *text = GetTextColor(dc);
    ReleaseDC(log, dc);
    LOGBRUSH lb = {};
    GetObjectA(brush, sizeof lb, &lb);
    return lb.lbColor;
  }
};

TEST_F(SkinnedWindow, StoredSkinGivesTheCalmLookAndKeepsARealButton) {
  const LONG plain_button = GetWindowLongA(button, GWL_WNDPROC);
  const COLORREF plain_face = printed_pixel(button, WM_PRINTCLIENT, 12, -1);
  tc::on_main_window_created(*module);
  pump();
  EXPECT_NE(GetWindowLongA(button, GWL_WNDPROC), plain_button);

  EXPECT_EQ(printed_pixel(frame, WM_ERASEBKGND, 200, 250), rgb(0xF3, 0xF5, 0xF8));
  EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 12, -1), rgb(0x3A, 0x7B, 0xD5));
  EXPECT_NE(plain_face, rgb(0x3A, 0x7B, 0xD5));
  COLORREF text = 0;
  EXPECT_EQ(log_colours(&text), rgb(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(text, rgb(0x2B, 0x2F, 0x36));

  // States: pressed, hover, focus ring.
  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 12, -1), rgb(0x2A, 0x5F, 0xAE));
  SendMessageA(button, BM_SETSTATE, FALSE, 0);
  SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 12, -1), rgb(0x4C, 0x8D, 0xE6));
  SendMessageA(button, WM_MOUSELEAVE, 0, 0);
  SetFocus(button);
  if (GetFocus() == button) {
    EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 1, -1), rgb(0x1A, 0x3E, 0x7A));
  }
  EnableWindow(button, FALSE);
  EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 12, -1), rgb(0xA9, 0xB8, 0xCC));
  EnableWindow(button, TRUE);

  // Still a button: a click reaches the parent as BN_CLICKED.
  g_clicks = 0;
  SendMessageA(button, BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(g_clicks, 1);

  // The log box and the button got the CJK-capable font, scaled to the screen.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  for (HWND w : {log, button}) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    const std::string face = lf.lfFaceName;
    EXPECT_TRUE(face == "Microsoft YaHei" || face == "WenQuanYi Micro Hei" || face == "SimSun" ||
                lf.lfCharSet == GB2312_CHARSET)
        << face;
    EXPECT_EQ(lf.lfHeight, -MulDiv(15, dpi, 96));
  }
}

TEST_F(SkinnedWindow, WindowsCreatedLaterAreSkinnedAndTheFileIsRead) {
  ASSERT_EQ(attach("TSKIN 1\nwindow.background = #102030\nbutton.face = #00FF00\n"
                   "log.background = #000080\n"), 1u);
  EXPECT_EQ(printed_pixel(frame, WM_ERASEBKGND, 200, 250), rgb(0x10, 0x20, 0x30));
  HWND later = CreateWindowExA(0, "BUTTON", "Later", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                               150, 10, 120, 32, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(printed_pixel(later, WM_PRINTCLIENT, 12, -1), rgb(0, 0xFF, 0));
  // A check box is not a push button: it keeps its own painting.
  HWND check = CreateWindowExA(0, "BUTTON", "Box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 150,
                               200, 120, 20, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(printed_pixel(check, WM_PRINTCLIENT, 2, -1), rgb(0, 0xFF, 0));
  COLORREF text = 0;
  EXPECT_EQ(log_colours(&text), rgb(0, 0, 0x80));
  // A second top-level window made after the attach gets the look too.
  HWND other = CreateWindowExA(0, "TcSkinTestFrame", "other", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(printed_pixel(other, WM_ERASEBKGND, 20, 20), rgb(0x10, 0x20, 0x30));
  DestroyWindow(other);
}

TEST_F(SkinnedWindow, MalformedOrEmptySkinFallsBackToTheBuiltInLook) {
  const std::string cases[] = {std::string(), std::string("\xff\xfe\x00garbage", 10),
                               std::string("TSKIN 1\nwindow.background = #1020"),
                               std::string(5000, '\n')};
  for (const std::string& skin : cases) {
    SCOPED_TRACE(skin.size());
    EXPECT_EQ(attach(skin), 1u);
    EXPECT_EQ(printed_pixel(frame, WM_ERASEBKGND, 200, 250), rgb(0xF3, 0xF5, 0xF8));
    EXPECT_EQ(printed_pixel(button, WM_PRINTCLIENT, 12, -1), rgb(0x3A, 0x7B, 0xD5));
  }
  // A null skin address with a length: nothing is read.
  EXPECT_EQ(tc::attach_skin(*module, nullptr, 100, ""), 1u);
}

TEST_F(SkinnedWindow, FreeingTheEngineGivesTheWindowsBackTheirOwnProcedures) {
  const LONG plain_button = GetWindowLongA(button, GWL_WNDPROC);
  const LONG plain_frame = GetWindowLongA(frame, GWL_WNDPROC);
  tc::on_main_window_created(*module);
  ASSERT_NE(GetWindowLongA(button, GWL_WNDPROC), plain_button);
  ASSERT_TRUE(module->free_image());
  EXPECT_EQ(GetWindowLongA(button, GWL_WNDPROC), plain_button);
  EXPECT_EQ(GetWindowLongA(frame, GWL_WNDPROC), plain_frame);
  // And later windows are not hooked any more (the code is gone).
  HWND later = CreateWindowExA(0, "BUTTON", "Later", WS_CHILD | BS_PUSHBUTTON, 150, 10, 120, 32,
                               frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(later, nullptr);
  pump();
}

}  // namespace
