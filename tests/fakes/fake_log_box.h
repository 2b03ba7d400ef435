// The log box as a growing byte string.
#pragma once
#include "ports/log_box.h"

namespace tc {

class FakeLogBox : public LogBox {
 public:
  explicit FakeLogBox(Text initial = Text()) : text(std::move(initial)) {}
  void append_text(const Text& appended) override {
    text += appended;
    ++appends;
  }
  Text text;
  int appends = 0;
};

}  // namespace tc
