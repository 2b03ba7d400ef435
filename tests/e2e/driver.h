// End-to-end driver: starts the real TelvoCleaner.exe, finds its window and
// works it as a user would, from another Windows process (run under Wine).
//
// Typical scenario:
//
//   std::string error;
//   auto app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
//   ASSERT_TRUE(app) << error;
//   app->press_button();                                  // posted: returns at once
//   ASSERT_TRUE(app->wait_for_text("操作全部结束", 60000)) << app->log_text();
//   const std::string transcript = app->log_text();       // CP936 bytes, CR-LF
//   app->close();
//   DWORD code = 0;
//   ASSERT_TRUE(app->wait_for_exit(10000, &code));
//   EXPECT_EQ(code, 0u);
//
// Every text is CP936 bytes (write the Chinese literal in the UTF-8 source:
// the test builds compile with -fexec-charset=GBK). Nothing here throws;
// failures are false, empty texts or null pointers. All waits poll every
// 20 ms up to the given number of milliseconds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tc {
namespace e2e {

// The product's window title, button text and first log box content.
extern const char kTitle[];
extern const char kButtonText[];
extern const char kInitialLog[];

// The built product as a Windows path ("Z:\...\TelvoCleaner.exe"), from the
// build folder TC_BINARY_DIR the test program was compiled with.
std::string product_exe();
// A Unix path under Wine's Z: drive as a Windows path (backslashes).
std::string windows_path(const std::string& unix_path);
// The build folder (Windows path), e.g. for helpers under tests/helpers.
std::string build_dir();

class App {
 public:
  // Starts the program (CreateProcessA, working folder = the exe's folder,
  // environment inherited) and waits up to timeout_ms for its main window:
  // a top-level window titled kTitle that belongs to the new process. Null
  // when it could not start or no window came; *error (when given) says why.
  // A started process that showed no window is terminated.
  static std::unique_ptr<App> start(const std::string& exe, std::string* error = nullptr,
                                    DWORD timeout_ms = 30000);
  // Closes a still running program (WM_CLOSE, 10 s), then terminates it.
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }
  HWND window() const { return window_; }
  HWND button() const { return button_; }   // 按钮5
  HWND log_box() const { return log_box_; }  // 编辑框2

  // The log box's whole text as ANSI bytes (WM_GETTEXT); empty when the
  // window is gone or does not answer within 5 s.
  std::string log_text() const;
  // Any control's text (the window's title, the button's caption).
  static std::string window_text(HWND window);

  // Presses the button without waiting for the run (PostMessage BM_CLICK).
  bool press_button() const;
  // Types the text into the log box at its caret (posted WM_CHAR per byte).
  // CR-LF in the text becomes one Enter. Use ASCII: Wine's edit control
  // turns each byte of a posted double-byte character into "?" on its own.
  bool type_text(const std::string& text) const;
  // Posts a key press (WM_KEYDOWN + WM_KEYUP) to the control, as the message
  // loop would receive it from the keyboard; the loop's dialog navigation
  // handles Tab and Enter.
  bool press_key(HWND control, WORD virtual_key) const;
  // The control that has the keyboard focus in the program's GUI thread.
  HWND focus() const;

  // Waits until the log box contains the text; true when it came in time.
  bool wait_for_text(const std::string& text, DWORD timeout_ms) const;
  // Waits until the predicate holds for the log box text.
  bool wait_for_log(const std::function<bool(const std::string&)>& done,
                    DWORD timeout_ms) const;

  // Asks the window to close (posted WM_CLOSE), as its close box does.
  bool close() const;
  // Waits for the process to end; *exit_code (when given) receives its code.
  bool wait_for_exit(DWORD timeout_ms, DWORD* exit_code = nullptr) const;
  bool running() const;

  // The window's outer rectangle on the screen, a control's rectangle in the
  // window's client area.
  RECT window_rect() const;
  RECT client_rect_of(HWND control) const;

  // Saves what the screen shows of the window as a PNG (24-bit RGB).
  bool screenshot(const std::string& png_path) const;

 private:
  App() = default;
  bool find_window(DWORD timeout_ms);

  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
  DWORD thread_id_ = 0;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  HWND log_box_ = nullptr;
};

// PNG file of 8-bit RGB rows (width * 3 bytes each, top row first), written
// with stored deflate blocks. False when the file cannot be written.
bool write_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
// The checksums the PNG writer uses (exposed for its test).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// Milliseconds since some fixed moment (for measuring the time of a step).
std::uint32_t now_ms();

}  // namespace e2e
}  // namespace tc
