// The log box 编辑框2: a multi-line edit control appended to at its end.
#pragma once
#include <windows.h>

#include "ports/log_box.h"

namespace tc {

class Win32LogBox : public LogBox {
 public:
  explicit Win32LogBox(HWND edit) : edit_(edit) {}
  // Puts the caret at the end, scrolls it into view and inserts the bytes
  // there, whatever the user had selected; not undoable.
  void append_text(const Text& text) override;

 private:
  HWND edit_;
};

}  // namespace tc
