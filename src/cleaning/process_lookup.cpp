#include "cleaning/process_lookup.h"

#include <vector>

#include "cleaning/name_folding.h"
#include "cleaning/path_helpers.h"

namespace tc {

bool process_is_running(Ports& ports, const Text& name) {
  std::vector<ProcessEntry> entries;
  if (!ports.processes.snapshot(kSnapAll, entries)) return false;
  const Text folded = fold_name(name);
  for (const ProcessEntry& entry : entries) {
    if (fold_name(entry.exe_name) == folded) return true;
  }
  return false;
}

std::uint32_t find_process_id(Ports& ports, const Text& name) {
  std::vector<ProcessEntry> entries;
  if (!ports.processes.snapshot(kSnapProcess, entries)) return 0;
  const Text folded = fold_name(name);
  const std::uint32_t self = ports.processes.current_pid();
  for (const ProcessEntry& entry : entries) {
    if (entry.pid != self && fold_name(entry.exe_name) == folded) return entry.pid;
  }
  return 0;
}

bool terminate_process_by_name(Ports& ports, const Text& name) {
  const std::uint32_t pid = find_process_id(ports, name);
  if (pid == 0) return false;
  return ports.processes.terminate(pid, 0);
}

std::uint32_t find_process_by_image(Ports& ports, const Text& image_path) {
  std::vector<ProcessEntry> entries;
  if (!ports.processes.snapshot(kSnapProcess, entries)) return 0;
  const Text name = fold_name(file_name_of(image_path));
  const Text path = comparable_path(image_path);
  const std::uint32_t self = ports.processes.current_pid();
  for (const ProcessEntry& entry : entries) {
    if (entry.pid == self || fold_name(entry.exe_name) != name) continue;
    if (comparable_path(ports.processes.image_path(entry.pid)) == path) return entry.pid;
  }
  return 0;
}

Text own_image_name(Ports& ports) {
  return fold_name(file_name_of(ports.processes.image_path(ports.processes.current_pid())));
}

}  // namespace tc
