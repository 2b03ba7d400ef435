// Processes: the system's snapshot and termination.
#pragma once
#include <cstdint>
#include <vector>

#include "core/text.h"

namespace tc {

constexpr std::uint32_t kSnapAll = 0x0F;      // TH32CS_SNAPALL
constexpr std::uint32_t kSnapProcess = 0x02;  // TH32CS_SNAPPROCESS

struct ProcessEntry {
  std::uint32_t pid;  // th32ProcessID
  Text exe_name;      // szExeFile: the image name without folder
};

class Processes {
 public:
  virtual ~Processes() = default;
  // CreateToolhelp32Snapshot with the flags and its process walk, in system
  // order; false when no snapshot could be taken.
  virtual bool snapshot(std::uint32_t flags, std::vector<ProcessEntry>& entries) = 0;
  // OpenProcess(PROCESS_TERMINATE) + TerminateProcess(code) + close; true when
  // TerminateProcess reported success.
  virtual bool terminate(std::uint32_t pid, std::uint32_t exit_code) = 0;
  // Full path of the process's image file; empty when it cannot be read.
  virtual Text image_path(std::uint32_t pid) = 0;
  // The calling process (the tool never ends itself).
  virtual std::uint32_t current_pid() = 0;
};

}  // namespace tc
