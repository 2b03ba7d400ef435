// Console commands run hidden through the command interpreter.
#pragma once
#include "core/text.h"

namespace tc {

class Console {
 public:
  virtual ~Console() = default;
  // Everything the command wrote to standard output and standard error, raw;
  // empty when it wrote nothing or could not be started.
  virtual Text run_command(const Text& command) = 0;
};

}  // namespace tc
