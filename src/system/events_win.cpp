#include "system/events_win.h"

namespace tc {

namespace {
bool g_quitting = false;
HWND g_dialog_window = nullptr;
}  // namespace

bool program_quitting() { return g_quitting; }

void set_program_quitting(bool quitting) { g_quitting = quitting; }

void set_dialog_window(HWND window) { g_dialog_window = window; }

void dispatch_message(MSG& message) {
  if (g_dialog_window != nullptr && IsDialogMessageA(g_dialog_window, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void process_events() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) {
      g_quitting = true;
      return;
    }
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
    dispatch_message(message);
  }
}

}  // namespace tc
