// The Win32 message queue behind EventPort.
#pragma once
#include <windows.h>

#include "ports/events.h"

namespace tc {

// Dispatches every message waiting in the thread's queue; stops in front of
// WM_QUIT (left for the main loop) and from then on reports quitting.
void process_events();

// True once WM_QUIT has been seen in the queue (the window was closed).
bool program_quitting();

// Sets or clears the quitting state (tests start each case afresh).
void set_program_quitting(bool quitting);

// The window whose keyboard navigation (Tab, Enter, Space) the pumps honour.
void set_dialog_window(HWND window);

// Translates and dispatches one retrieved message as the main loop does.
void dispatch_message(MSG& message);

class Win32EventPort : public EventPort {
 public:
  void process_events() override { tc::process_events(); }
  std::uint32_t tick_count() override { return GetTickCount(); }
  bool quitting() override { return program_quitting(); }
  void wait_for_message(std::uint32_t milliseconds) override {
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
};

}  // namespace tc
