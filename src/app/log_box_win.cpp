#include "app/log_box_win.h"

namespace tc {

void Win32LogBox::append_text(const Text& text) {
  const int length = GetWindowTextLengthA(edit_);
  SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
  SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace tc
