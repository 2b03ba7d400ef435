#include "e2e/driver.h"

#include <algorithm>
#include <cstdio>

namespace tc {
namespace e2e {

const char kTitle[] = "Telvo弹窗广告清除V4.1_Nolbrook";
const char kButtonText[] = "清除TelvoGlimra,Pakzo,Typhra,Swiftor的升级程序和弹窗广告";
const char kInitialLog[] = "QVX";

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;
constexpr int kButtonId = 5;
constexpr int kLogBoxId = 2;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void put_chunk(std::vector<std::uint8_t>& out, const char type[4],
               const std::vector<std::uint8_t>& data) {
  put_be32(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  put_be32(out, crc32(body.data(), body.size()));
}

HWND child_or_class(HWND window, int id, const char* class_name) {
  HWND child = GetDlgItem(window, id);
  if (child == nullptr) child = FindWindowExA(window, nullptr, class_name, nullptr);
  return child;
}

}  // namespace

std::string windows_path(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string build_dir() { return windows_path(TC_BINARY_DIR); }

std::string product_exe() { return build_dir() + "\\TelvoCleaner.exe"; }

std::uint32_t now_ms() { return GetTickCount(); }

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
  std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

bool write_png(const std::string& path, int width, int height,
               const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return false;
  }
  // Scan lines with filter type 0 (none).
  std::vector<std::uint8_t> raw;
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  raw.reserve((row + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(row * y),
               rgb.begin() + static_cast<std::ptrdiff_t>(row * (y + 1)));
  }
  // zlib stream of stored deflate blocks (at most 65535 bytes each).
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n & 0xFF));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
    z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  put_be32(z, adler32(raw.data(), raw.size()));

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  put_be32(header, static_cast<std::uint32_t>(width));
  put_be32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  put_chunk(png, "IHDR", header);
  put_chunk(png, "IDAT", z);
  put_chunk(png, "IEND", {});

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (std::fwrite(png.data(), 1, png.size(), file.get()) != png.size()) return false;
  return std::fclose(file.release()) == 0;
}

std::unique_ptr<App> App::start(const std::string& exe, std::string* error, DWORD timeout_ms) {
  std::string folder = exe.substr(0, exe.find_last_of("\\/") == std::string::npos
                                         ? 0
                                         : exe.find_last_of("\\/"));
  std::string command_line = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    if (error != nullptr) {
      *error = "CreateProcessA failed for " + exe + ": error " + std::to_string(GetLastError());
    }
    return nullptr;
  }
  std::unique_ptr<App> app(new App());
  app->process_ = info.hProcess;
  app->thread_ = info.hThread;
  app->pid_ = info.dwProcessId;
  app->thread_id_ = info.dwThreadId;
  if (!app->find_window(timeout_ms)) {
    if (error != nullptr) {
      *error = app->running() ? "no window titled as the product appeared"
                              : "the program ended before its window appeared";
    }
    TerminateProcess(app->process_, 1);
    WaitForSingleObject(app->process_, 5000);
    return nullptr;
  }
  return app;
}

App::~App() {
  if (process_ != nullptr && running()) {
    close();
    if (!wait_for_exit(10000)) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
  }
  if (thread_ != nullptr) CloseHandle(thread_);
  if (process_ != nullptr) CloseHandle(process_);
}

bool App::find_window(DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    // Several copies may run at once (parallel tests): take ours by process.
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, nullptr, kTitle)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == pid_ && IsWindowVisible(candidate)) break;
    }
    if (candidate != nullptr) {
      window_ = candidate;
      button_ = child_or_class(candidate, kButtonId, "Button");
      log_box_ = child_or_class(candidate, kLogBoxId, "Edit");
      if (button_ != nullptr && log_box_ != nullptr) return true;
    }
    if (!running() || GetTickCount() - start > timeout_ms) return false;
    Sleep(kPollMs);
  }
}

std::string App::window_text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return std::string();
  }
  // The length may be an upper bound for ANSI text: take what is copied.
  std::vector<char> buffer(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
    return std::string();
  }
  return std::string(buffer.data(), std::min<std::size_t>(copied, length));
}

std::string App::log_text() const { return window_text(log_box_); }

bool App::press_button() const { return PostMessageA(button_, BM_CLICK, 0, 0) != 0; }

bool App::type_text(const std::string& text) const {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;  // CR-LF is one Enter
    const auto c = static_cast<unsigned char>(text[i] == '\n' ? '\r' : text[i]);
    if (!PostMessageA(log_box_, WM_CHAR, c, 1)) return false;
  }
  return true;
}

bool App::press_key(HWND control, WORD virtual_key) const {
  const UINT scan = MapVirtualKeyA(virtual_key, 0);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | (1L << 30) | (1L << 31);
  return PostMessageA(control, WM_KEYDOWN, virtual_key, down) &&
         PostMessageA(control, WM_KEYUP, virtual_key, up);
}

HWND App::focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(thread_id_, &info)) return nullptr;
  return info.hwndFocus;
}

bool App::wait_for_log(const std::function<bool(const std::string&)>& done,
                       DWORD timeout_ms) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done(log_text())) return true;
    if (!running() || GetTickCount() - start > timeout_ms) return done(log_text());
    Sleep(kPollMs);
  }
}

bool App::wait_for_text(const std::string& text, DWORD timeout_ms) const {
  return wait_for_log([&](const std::string& log) { return log.find(text) != std::string::npos; },
                      timeout_ms);
}

bool App::close() const { return PostMessageA(window_, WM_CLOSE, 0, 0) != 0; }

bool App::running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool App::wait_for_exit(DWORD timeout_ms, DWORD* exit_code) const {
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return false;
  if (exit_code != nullptr) *exit_code = code;
  return true;
}

RECT App::window_rect() const {
  RECT rect = {};
  GetWindowRect(window_, &rect);
  return rect;
}

RECT App::client_rect_of(HWND control) const {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool App::screenshot(const std::string& png_path) const {
  const RECT rect = window_rect();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  std::vector<std::uint8_t> rgb;
  if (ok) {
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
      rgb[i * 3 + 0] = pixels[i * 4 + 2];
      rgb[i * 3 + 1] = pixels[i * 4 + 1];
      rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok && write_png(png_path, width, height, rgb);
}

}  // namespace e2e
}  // namespace tc
