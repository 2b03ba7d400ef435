// MainWindow (窗口): the one top-level window with the button 按钮5 and the
// log box 编辑框2.
#pragma once
#include <windows.h>

#include <functional>

namespace tc {

// The designed layout at 96 DPI: the window's outer rectangle on the screen,
// the controls' rectangles in its client area.
struct DesignRect {
  int left, top, width, height;
};
constexpr DesignRect kWindowRect = {50, 50, 625, 504};
constexpr DesignRect kButtonRect = {24, 20, 568, 58};
constexpr DesignRect kLogBoxRect = {24, 95, 568, 352};
constexpr int kDesignDpi = 96;

constexpr int kButtonId = 5;
constexpr int kLogBoxId = 2;

// The rectangle scaled from 96 DPI to the given DPI (unchanged at 96).
DesignRect scaled(const DesignRect& rect, int dpi);

extern const char kWindowTitle[];
extern const char kButtonText[];
extern const char kInitialLogText[];

class MainWindow {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // Runs when the window and its controls exist (the created event).
  std::function<void()> on_created;
  // Runs when the button is pressed (click, Enter or Space).
  std::function<void()> on_clicked;

  // Registers the class, creates the window with its controls and shows it;
  // false when the window could not be made.
  bool create(HINSTANCE instance, int show_command);

  HWND window() const { return window_; }
  HWND button() const { return button_; }
  HWND log_box() const { return log_box_; }

 private:
  static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool create_controls();
  void apply_dpi(int dpi);

  HWND window_ = nullptr;
  HWND button_ = nullptr;
  HWND log_box_ = nullptr;
  HWND last_focus_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = kDesignDpi;
};

// Runs the message loop until WM_QUIT; the exit code the program returns.
int run_message_loop(HWND dialog_window);

}  // namespace tc
