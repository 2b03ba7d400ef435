#include "cleaning/command_step.h"

namespace tc {

// Both bytes lie below the trail-byte range of code page 936, so a plain byte
// search cannot hit the second half of a double-byte character.
bool path_safe_for_command(const Text& path) { return path.find_first_of("\"%") == Text::npos; }

Text run_cleaning_command(Ports& ports, const Text& command) {
  if (ports.events.quitting()) return Text();
  return ports.console.run_command(command);
}

}  // namespace tc
