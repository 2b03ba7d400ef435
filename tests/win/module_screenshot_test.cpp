// The product with its skin engine and, built without the engine image, in
// the standard look: both windows are saved as pictures in the build folder
// and their button and background colours compared.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/driver.h"

namespace {

COLORREF screen_pixel(HWND window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

struct Look {
  COLORREF button, background;
};

Look open_and_save(const std::string& exe, const std::string& picture) {
  std::string error;
  auto app = tc::e2e::App::start(exe, &error);
  EXPECT_TRUE(app) << error;
  if (!app) return {CLR_INVALID, CLR_INVALID};
  // Let the window paint, then look at it as the user would.
  for (int i = 0; i < 25; ++i) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(20);
  }
  RedrawWindow(app->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  EXPECT_TRUE(app->screenshot(picture)) << picture;
  const RECT b = app->client_rect_of(app->button());
  Look look{screen_pixel(app->window(), b.left + 12, (b.top + b.bottom) / 2),
            screen_pixel(app->window(), b.left - 6, b.top + 4)};
  app->close();
  app->wait_for_exit(10000);
  return look;
}

TEST(ProductLook, SkinnedAndStandardScreenshots) {
  CreateDirectoryA((tc::e2e::build_dir() + "\\screenshots").c_str(), nullptr);
  const std::string skinned_png = tc::e2e::build_dir() + "\\screenshots\\skinned.png";
  const std::string standard_png = tc::e2e::build_dir() + "\\screenshots\\standard.png";
  const Look skinned = open_and_save(tc::e2e::product_exe(), skinned_png);
  const Look standard =
      open_and_save(tc::e2e::build_dir() + "\\plain\\TelvoCleaner.exe", standard_png);
  EXPECT_EQ(skinned.button, RGB(0x3A, 0x7B, 0xD5));
  EXPECT_EQ(skinned.background, RGB(0xF3, 0xF5, 0xF8));
  EXPECT_NE(standard.button, RGB(0x3A, 0x7B, 0xD5));
  EXPECT_EQ(standard.background, GetSysColor(COLOR_BTNFACE));
  std::printf("screenshots: %s and %s\n", skinned_png.c_str(), standard_png.c_str());
}

}  // namespace
