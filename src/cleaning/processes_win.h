// Processes through the tool-help snapshot and the process functions.
#pragma once
#include "ports/processes.h"

namespace tc {

class Win32Processes : public Processes {
 public:
  bool snapshot(std::uint32_t flags, std::vector<ProcessEntry>& entries) override;
  bool terminate(std::uint32_t pid, std::uint32_t exit_code) override;
  Text image_path(std::uint32_t pid) override;
  std::uint32_t current_pid() override;
};

}  // namespace tc
