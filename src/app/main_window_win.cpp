#include "app/main_window_win.h"

#include "system/events_win.h"

namespace tc {

const char kWindowTitle[] = "Telvo弹窗广告清除V4.1_Nolbrook";
const char kButtonText[] = "清除TelvoGlimra,Pakzo,Typhra,Swiftor的升级程序和弹窗广告";
const char kInitialLogText[] = "QVX";

namespace {

const char kClassName[] = "TelvoCleanerMainWindow";

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int screen_dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

// The message font of the system, sized for the DPI.
HFONT make_font(int dpi) {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  LOGFONTA font = {};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font = metrics.lfMessageFont;
    const int system_dpi = screen_dpi();
    if (system_dpi != dpi) font.lfHeight = MulDiv(font.lfHeight, dpi, system_dpi);
  } else {
    font.lfHeight = -MulDiv(9, dpi, 72);
    font.lfCharSet = DEFAULT_CHARSET;
  }
  return CreateFontIndirectA(&font);
}

void move_to(HWND window, const DesignRect& rect) {
  MoveWindow(window, rect.left, rect.top, rect.width, rect.height, TRUE);
}

}  // namespace

DesignRect scaled(const DesignRect& rect, int dpi) {
  return {MulDiv(rect.left, dpi, kDesignDpi), MulDiv(rect.top, dpi, kDesignDpi),
          MulDiv(rect.width, dpi, kDesignDpi), MulDiv(rect.height, dpi, kDesignDpi)};
}

MainWindow::~MainWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool MainWindow::create(HINSTANCE instance, int show_command) {
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &MainWindow::window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExA(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  dpi_ = screen_dpi();
  const DesignRect outer = scaled(kWindowRect, dpi_);
  HWND window = CreateWindowExA(0, kClassName, kWindowTitle, kWindowStyle, outer.left, outer.top,
                                outer.width, outer.height, nullptr, nullptr, instance, this);
  if (window == nullptr) return false;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  SetFocus(button_);
  return true;
}

bool MainWindow::create_controls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
  const DesignRect b = scaled(kButtonRect, dpi_);
  button_ = CreateWindowExA(0, "BUTTON", kButtonText,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, b.left, b.top,
                            b.width, b.height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance,
                            nullptr);
  const DesignRect e = scaled(kLogBoxRect, dpi_);
  log_box_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", kInitialLogText,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_WANTRETURN,
                             e.left, e.top, e.width, e.height, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLogBoxId)), instance,
                             nullptr);
  if (button_ == nullptr || log_box_ == nullptr) return false;
  // The box holds the whole run's transcript, well past the 32 KB default.
  SendMessageA(log_box_, EM_SETLIMITTEXT, 0, 0);
  font_ = make_font(dpi_);
  if (font_ != nullptr) {
    SendMessageA(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageA(log_box_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  last_focus_ = button_;
  return true;
}

void MainWindow::apply_dpi(int dpi) {
  dpi_ = dpi;
  move_to(button_, scaled(kButtonRect, dpi));
  move_to(log_box_, scaled(kLogBoxRect, dpi));
  HFONT font = make_font(dpi);
  if (font != nullptr) {
    SendMessageA(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageA(log_box_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
  }
}

LRESULT CALLBACK MainWindow::window_proc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  return self->handle(message, wparam, lparam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      if (!create_controls()) return -1;
      if (on_created) on_created();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) {
        if (on_clicked) on_clicked();
        return 0;
      }
      break;
    // The window is no dialog, so it answers the keyboard navigation that
    // IsDialogMessage asks of it itself.
    case DM_GETDEFID:
      return MAKELRESULT(kButtonId, DC_HASDEFID);
    case WM_NEXTDLGCTL: {
      HWND next = LOWORD(lparam) ? reinterpret_cast<HWND>(wparam)
                                 : GetNextDlgTabItem(window_, GetFocus(), wparam != 0);
      if (next != nullptr) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) last_focus_ = focus;
      } else if (last_focus_ != nullptr) {
        SetFocus(last_focus_);
      }
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      apply_dpi(HIWORD(wparam));
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND window = window_;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      button_ = nullptr;
      log_box_ = nullptr;
      return DefWindowProcA(window, message, wparam, lparam);
    }
    default:
      break;
  }
  return DefWindowProcA(window_, message, wparam, lparam);
}

int run_message_loop(HWND dialog_window) {
  set_dialog_window(dialog_window);
  MSG message;
  int result;
  while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0) dispatch_message(message);
  set_dialog_window(nullptr);
  // Closing the window is the only way out: the program ends with 0.
  return 0;
}

}  // namespace tc
