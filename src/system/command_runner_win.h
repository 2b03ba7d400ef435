// Console commands run hidden through the command interpreter, with the
// window kept alive while they run.
#pragma once
#include <cstdint>

#include "core/text.h"
#include "ports/console.h"

namespace tc {

// Runs "cmd.exe /c " + command (on the NT platform; "command.com /c "
// elsewhere) hidden, and returns everything it wrote to standard output and
// standard error, raw. Empty when it wrote nothing, could not be started, or
// the program is quitting.
Text run_command(const Text& command);

// Processes the window's messages when keyboard or mouse input is waiting.
void pump_if_input_pending();

// Waits interval steps of the unit (0 ms, 1 s, 2 min, 3 h, other: that many
// ms) on a waitable timer, dispatching window messages meanwhile. Always true.
bool wait_with_events(std::int32_t interval, std::int64_t unit = 0);

// The wait used when no waitable timer can be made: the message queue with a
// time-out, dispatching what arrives, until the milliseconds have passed.
void wait_on_message_queue(std::uint32_t milliseconds);

class Win32Console : public Console {
 public:
  Text run_command(const Text& command) override { return tc::run_command(command); }
};

}  // namespace tc
