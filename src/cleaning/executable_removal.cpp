#include "cleaning/executable_removal.h"

#include "app/log_panel.h"
#include "cleaning/command_step.h"
#include "cleaning/name_folding.h"
#include "cleaning/path_helpers.h"
#include "cleaning/process_lookup.h"
#include "system/delay.h"

namespace tc {

namespace {

constexpr int kAttempts = 10;
constexpr std::int32_t kRetryWaitMs = 1000;

bool file_still_found(Ports& ports, const Text& path) {
  auto search = ports.files.find_first(path);
  return search != nullptr;
}

void remove_loudly(Ports& ports, const Text& path, const Text& name, bool running) {
  // The tool never ends itself: its own name gets the plain "del" way.
  const bool kill = running && name != own_image_name(ports) && path_safe_for_command(name);
  const bool may_delete = path_safe_for_command(path);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (kill) {
      append_log(ports, run_cleaning_command(ports, "taskkill /f /t /im \"" + name + "\""), false,
                 true);
    }
    if (may_delete) {
      append_log(ports, run_cleaning_command(ports, "del /f /q \"" + path + "\""), false, true);
    }
    if (!path_exists(ports, path) || ports.events.quitting()) return;
    delay_with_events(ports.events, kRetryWaitMs);
  }
}

void remove_quietly(Ports& ports, const Text& path) {
  // Only a process running this very file holds it; one of the same name
  // started from elsewhere is left alone.
  if (find_process_by_image(ports, path) == 0) {
    force_delete_file(ports, path, 10);
    return;
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::uint32_t pid = find_process_by_image(ports, path);
    if (pid != 0) ports.processes.terminate(pid, 0);
    ports.files.delete_file(path);
    if (!path_exists(ports, path) || ports.events.quitting()) return;
    delay_with_events(ports.events, kRetryWaitMs);
  }
}

}  // namespace

void force_delete_file(Ports& ports, const Text& path, std::uint32_t limit_ms) {
  const std::uint32_t start = ports.events.tick_count();
  while (file_still_found(ports, path)) {
    ports.files.set_file_attributes(path, 0);
    ports.files.delete_file(path);
    if (ports.events.tick_count() - start >= limit_ms) return;
  }
}

bool remove_executable(Ports& ports, const Text& path, bool quiet) {
  const Text name = fold_name(file_name_of(path));
  if (!path_exists(ports, path)) {
    if (!quiet) append_log(ports, path + " 不存在");
    return false;
  }
  if (quiet) {
    remove_quietly(ports, path);
  } else {
    remove_loudly(ports, path, name, process_is_running(ports, name));
  }
  if (path_exists(ports, path)) {
    if (!quiet) append_log(ports, path + " 删除失败");
    return false;
  }
  if (!quiet) append_log(ports, path + " 已被删除");
  return true;
}

}  // namespace tc
