#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "system/command_runner_win.h"
#include "system/events_win.h"
#include "system/wait_time.h"

namespace tc {
namespace {

TEST(WaitTime, UnitTable) {
  struct Case {
    const char* label;
    std::int32_t interval;
    std::int64_t unit;
    std::int64_t due;
    std::uint32_t timeout;
  };
  const Case cases[] = {
      {"one millisecond, the runner's step", 1, 0, -10000, 1},
      {"seconds", 3, 1, -30000000, 3000},
      {"minutes", 2, 2, -1200000000, 120000},
      {"hours", 1, 3, -36000000000, 3600000},
      {"any other unit is milliseconds itself", 2, 250, -5000000, 500},
      {"unit 4 is not a table entry", 1, 4, -40000, 4},
      {"zero interval", 0, 1, 0, 0},
      {"negative interval is already due", -5, 0, 50000, 0},
      {"largest interval in hours stays in range", INT32_MAX, 3, INT64_MIN, 0xFFFFFFFEu},
      {"huge unit stays in range", 1000, INT64_MAX, INT64_MIN, 0xFFFFFFFEu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(wait_due_time(c.interval, c.unit), c.due);
    EXPECT_EQ(wait_timeout_ms(c.interval, c.unit), c.timeout);
  }
}

// A window that records when each posted WM_APP reaches it.
class MessageWindow {
 public:
  MessageWindow() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "TcSystemWaitTest";
    RegisterClassA(&window_class);
    window_ = CreateWindowA("TcSystemWaitTest", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                            window_class.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }
  std::vector<DWORD> delays;  // dispatch tick minus the tick in wParam

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP) {
      auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      if (self) self->delays.push_back(GetTickCount() - static_cast<DWORD>(wparam));
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  HWND window_ = nullptr;
};

// Posts count messages to the window, spaced apart, from another thread.
class Poster {
 public:
  Poster(HWND window, int count, DWORD spacing_ms)
      : thread_([=] {
          for (int i = 0; i < count; ++i) {
            Sleep(spacing_ms);
            PostMessageA(window, WM_APP, GetTickCount(), 0);
          }
        }) {}
  ~Poster() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST(WaitWithEvents, LastsAtLeastTheInterval) {
  struct Case {
    const char* label;
    std::int32_t interval;
    std::int64_t unit;
    DWORD at_least;
  };
  const Case cases[] = {
      {"default unit, 1 ms steps", 40, 0, 40},
      {"seconds", 1, 1, 1000},
      {"other unit value is milliseconds", 2, 250, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(wait_with_events(c.interval, c.unit));
    // The timer and the tick count run on different clocks: allow a tick.
    EXPECT_GE(GetTickCount() - start + 2, c.at_least);
  }
}

TEST(WaitWithEvents, DispatchesPostedMessagesWhileWaiting) {
  set_program_quitting(false);
  MessageWindow window;
  {
    Poster poster(window.get(), 5, 100);
    const DWORD start = GetTickCount();
    wait_with_events(1, 1);
    EXPECT_GE(GetTickCount() - start + 2, 1000u);
  }
  EXPECT_EQ(window.delays.size(), 5u);
}

TEST(WaitWithEvents, QueueWaitWithoutTimerLastsAndDispatches) {
  set_program_quitting(false);
  MessageWindow window;
  {
    Poster poster(window.get(), 3, 60);
    const DWORD start = GetTickCount();
    wait_on_message_queue(400);
    EXPECT_GE(GetTickCount() - start, 400u);
  }
  EXPECT_EQ(window.delays.size(), 3u);
}

TEST(WaitWithEvents, RunCommandDispatchesWhileTheCommandRuns) {
  set_program_quitting(false);
  MessageWindow window;
  {
    Poster poster(window.get(), 5, 100);
    EXPECT_EQ(run_command("echo start& \"Z:" TC_BINARY_DIR "/tests/helpers/runner_writer.exe\" sleep 1000"),
              "start\r\n");
  }
  ASSERT_EQ(window.delays.size(), 5u);
}

}  // namespace
}  // namespace tc
