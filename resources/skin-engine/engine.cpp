// TelvoSkin: the program's skin engine. A DLL without a C runtime that the
// program loads from memory; it gets module handle 0, so nothing here depends
// on its own module handle (thread-local hook with hMod 0, no resources).
//
// SkinH_AttachRes skins the calling thread's windows, those that exist and
// those created later: a calm background for top-level windows, push buttons
// painted in the skin's colours (still real BUTTON windows, so keyboard use
// and screen readers keep working), and edit boxes with the log colours and a
// CJK-capable font.
#include <windows.h>

#include "module/skin_file.h"

// The compiler may emit calls to these for struct copies; no CRT provides them.
extern "C" void* memset(void* dst, int value, size_t count) {
  volatile unsigned char* d = static_cast<volatile unsigned char*>(dst);
  while (count--) *d++ = static_cast<unsigned char>(value);
  return dst;
}
extern "C" void* memcpy(void* dst, const void* src, size_t count) {
  volatile unsigned char* d = static_cast<volatile unsigned char*>(dst);
  const unsigned char* s = static_cast<const unsigned char*>(src);
  while (count--) *d++ = *s++;
  return dst;
}

namespace {

enum Kind { kNone = 0, kFrame = 1, kButton = 2, kEdit = 3 };

const char kProcProp[] = "TelvoSkin.Proc";
const char kKindProp[] = "TelvoSkin.Kind";
const char kHotProp[] = "TelvoSkin.Hot";

tc::SkinStyle g_style;
HHOOK g_hook;
DWORD g_thread;
HBRUSH g_window_brush;
HBRUSH g_log_brush;
HFONT g_font;

Kind kind_of(HWND hwnd) {
  return static_cast<Kind>(reinterpret_cast<INT_PTR>(GetPropA(hwnd, kKindProp)));
}

LRESULT CALLBACK skin_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Which look a window gets: top-level windows with a caption, and the push
// buttons and edit boxes directly inside such a window.
Kind classify(HWND hwnd, LONG style, HWND parent) {
  char cls[64];
  if (GetClassNameA(hwnd, cls, sizeof cls) == 0) return kNone;
  if (!(style & WS_CHILD)) {
    if ((style & WS_CAPTION) != WS_CAPTION) return kNone;
    if (cls[0] == '#' && lstrcmpiA(cls, "#32770") != 0) return kNone;  // menus and the like
    return kFrame;
  }
  if (parent == nullptr || kind_of(parent) != kFrame) return kNone;
  if (lstrcmpiA(cls, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ? kButton : kNone;
  }
  if (lstrcmpiA(cls, "Edit") == 0) return kEdit;
  return kNone;
}

void subclass(HWND hwnd, Kind kind) {
  if (kind == kNone || GetPropA(hwnd, kProcProp) != nullptr) return;
  SetPropA(hwnd, kKindProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kind)));
  LONG old = SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(skin_proc));
  if (old == 0) {
    RemovePropA(hwnd, kKindProp);
    return;
  }
  SetPropA(hwnd, kProcProp, reinterpret_cast<HANDLE>(old));
}

void unsubclass(HWND hwnd) {
  HANDLE old = GetPropA(hwnd, kProcProp);
  if (old == nullptr) return;
  SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(old));
  RemovePropA(hwnd, kProcProp);
  RemovePropA(hwnd, kKindProp);
  RemovePropA(hwnd, kHotProp);
}

HFONT make_font() {
  HDC dc = CreateCompatibleDC(nullptr);
  // The skin gives the height at 96 DPI; follow the screen's scale.
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  const int height = MulDiv(g_style.font_height, dpi > 0 ? dpi : 96, 96);
  for (uint32_t i = 0; i < g_style.face_count && i < tc::kSkinMaxFaces; ++i) {
    const char* face = g_style.faces[i];
    HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    if (font == nullptr) continue;
    char got[LF_FACESIZE] = {0};
    if (dc) {
      HGDIOBJ before = SelectObject(dc, font);
      GetTextFaceA(dc, LF_FACESIZE, got);
      SelectObject(dc, before);
    }
    if (lstrcmpiA(got, face) == 0) {
      if (dc) DeleteDC(dc);
      return font;
    }
    DeleteObject(font);
  }
  if (dc) DeleteDC(dc);
  // None of the faces is installed: let the system pick a Chinese font.
  return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, nullptr);
}

void paint_button(HWND hwnd, HDC dc) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, g_window_brush);  // shows around the rounded corners
  const LRESULT state = SendMessageA(hwnd, BM_GETSTATE, 0, 0);
  const bool pressed = (state & BST_PUSHED) != 0;
  const bool focused = GetFocus() == hwnd;
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const bool hot = GetPropA(hwnd, kHotProp) != nullptr;
  const COLORREF face = !enabled ? g_style.button_disabled
                        : pressed ? g_style.button_pressed
                        : hot     ? g_style.button_hover
                                  : g_style.button_face;
  HBRUSH brush = CreateSolidBrush(face);
  HPEN pen = CreatePen(PS_SOLID, focused ? 2 : 1, focused ? g_style.button_focus : face);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  const int d = 2 * g_style.corner_radius;
  RoundRect(dc, rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1, d, d);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);

  char text[256];
  const int n = GetWindowTextA(hwnd, text, sizeof text);
  if (n > 0) {
    HGDIOBJ old_font = SelectObject(dc, g_font ? static_cast<HGDIOBJ>(g_font)
                                               : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_style.button_text);
    if (pressed) OffsetRect(&rc, 1, 1);
    DrawTextA(dc, text, n, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old_font);
  }
}

void redraw(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT frame_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, g_window_brush);
      return 1;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (kind_of(reinterpret_cast<HWND>(lp)) == kEdit) {
        SetTextColor(dc, g_style.log_text);
        SetBkColor(dc, g_style.log_background);
        return reinterpret_cast<LRESULT>(g_log_brush);
      }
      if (msg == WM_CTLCOLOREDIT) break;
      SetBkColor(dc, g_style.window_background);
      return reinterpret_cast<LRESULT>(g_window_brush);
    }
    default:
      break;
  }
  return CallWindowProcA(old, hwnd, msg, wp, lp);
}

LRESULT button_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) paint_button(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      paint_button(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (GetPropA(hwnd, kHotProp) == nullptr) {
        SetPropA(hwnd, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      RemovePropA(hwnd, kHotProp);
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_SETFONT:
      if (g_font) wp = reinterpret_cast<WPARAM>(g_font);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE: {
      // The standard button may paint itself on a state change; paint over it.
      const LRESULT r = CallWindowProcA(old, hwnd, msg, wp, lp);
      if (IsWindow(hwnd)) redraw(hwnd);
      return r;
    }
    default:
      break;
  }
  return CallWindowProcA(old, hwnd, msg, wp, lp);
}

LRESULT CALLBACK skin_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProp));
  const Kind kind = kind_of(hwnd);
  if (old == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    unsubclass(hwnd);
    return CallWindowProcA(old, hwnd, msg, wp, lp);
  }
  if (msg == WM_CREATE && kind != kFrame) {
    const LRESULT r = CallWindowProcA(old, hwnd, msg, wp, lp);
    if (r != -1 && g_font) CallWindowProcA(old, hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), 0);
    return r;
  }
  if (kind == kFrame) return frame_message(hwnd, msg, wp, lp, old);
  if (kind == kButton) return button_message(hwnd, msg, wp, lp, old);
  if (msg == WM_SETFONT && g_font) wp = reinterpret_cast<WPARAM>(g_font);
  return CallWindowProcA(old, hwnd, msg, wp, lp);
}

LRESULT CALLBACK cbt_proc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
    if (cs != nullptr && cs->hwndParent != HWND_MESSAGE)
      subclass(hwnd, classify(hwnd, cs->style, cs->hwndParent));
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

// An existing window: subclass it, or give an already skinned one the new font.
void skin_existing(HWND hwnd) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  HWND parent = (style & WS_CHILD) ? GetParent(hwnd) : nullptr;
  Kind kind = kind_of(hwnd);
  if (kind == kNone) {
    kind = classify(hwnd, style, parent);
    subclass(hwnd, kind);
  }
  if ((kind == kButton || kind == kEdit) && g_font)
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
}

BOOL CALLBACK skin_child(HWND hwnd, LPARAM) {
  skin_existing(hwnd);
  return TRUE;
}

BOOL CALLBACK skin_top(HWND hwnd, LPARAM) {
  skin_existing(hwnd);
  if (kind_of(hwnd) == kFrame) {
    EnumChildWindows(hwnd, skin_child, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  return TRUE;
}

BOOL CALLBACK unskin_child(HWND hwnd, LPARAM) {
  unsubclass(hwnd);
  return TRUE;
}

BOOL CALLBACK unskin_top(HWND hwnd, LPARAM) {
  EnumChildWindows(hwnd, unskin_child, 0);
  unsubclass(hwnd);
  return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH && g_hook != nullptr) {
    // The code is about to go away: no window may keep pointing at it.
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    EnumThreadWindows(g_thread, unskin_top, 0);
  }
  return TRUE;
}

extern "C" int WINAPI SkinH_AttachRes(const unsigned char* skin,
                                                           int length, const char* password,
                                                           int value1, int value2, int value3) {
  (void)password;
  (void)value1;
  (void)value2;
  (void)value3;
  tc::parse_skin_file(length > 0 ? skin : nullptr, length > 0 ? static_cast<uint32_t>(length) : 0,
                      &g_style);

  HBRUSH old_window = g_window_brush, old_log = g_log_brush;
  HFONT old_font = g_font;
  g_window_brush = CreateSolidBrush(g_style.window_background);
  g_log_brush = CreateSolidBrush(g_style.log_background);
  g_font = make_font();

  if (g_hook == nullptr) {
    g_thread = GetCurrentThreadId();
    g_hook = SetWindowsHookExA(WH_CBT, cbt_proc, nullptr, g_thread);
  }
  if (g_hook != nullptr) EnumThreadWindows(g_thread, skin_top, 0);
  // Only now nothing selects the previous objects any more.
  if (old_window) DeleteObject(old_window);
  if (old_log) DeleteObject(old_log);
  if (old_font) DeleteObject(old_font);
  return g_hook != nullptr ? 1 : 0;
}
