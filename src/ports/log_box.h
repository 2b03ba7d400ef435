// The log box as the portable code sees it: one append at the end.
#pragma once
#include "core/text.h"

namespace tc {

class LogBox {
 public:
  virtual ~LogBox() = default;
  // Appends the bytes at the end of the box and scrolls to them.
  virtual void append_text(const Text& text) = 0;
};

}  // namespace tc
