// A process table behind Processes: pid, image name and image path, in
// start order. A running image holds its file open in the FakeFiles given.
#pragma once
#include <cstdint>
#include <set>
#include <vector>

#include "ports/processes.h"

namespace tc {

class FakeFiles;

class FakeProcesses : public Processes {
 public:
  struct Process {
    std::uint32_t pid;
    Text exe_name;
    Text image_path;
  };

  explicit FakeProcesses(FakeFiles* files = nullptr) : files_(files) {}

  // Starts a process (its image file is locked while it runs).
  void start(std::uint32_t pid, const Text& image_path);
  // The tool itself: a running process like any other, and current_pid().
  void start_self(std::uint32_t pid, const Text& image_path);
  bool running(std::uint32_t pid) const;
  // Ends every process whose image name folds to the name (taskkill /im);
  // returns their pids.
  std::vector<std::uint32_t> kill_by_name(const Text& name);

  bool snapshot(std::uint32_t flags, std::vector<ProcessEntry>& entries) override;
  bool terminate(std::uint32_t pid, std::uint32_t exit_code) override;
  Text image_path(std::uint32_t pid) override;
  std::uint32_t current_pid() override { return self_; }

  const std::vector<Process>& table() const { return table_; }
  bool snapshot_fails = false;
  std::set<std::uint32_t> protected_pids;     // terminate is refused
  std::vector<std::uint32_t> terminated;      // every pid ended, in order
  std::vector<std::uint32_t> snapshot_flags;  // the flags of every snapshot

 private:
  void end(std::size_t index);
  FakeFiles* files_;
  std::vector<Process> table_;
  std::uint32_t self_ = 0;
};

}  // namespace tc
