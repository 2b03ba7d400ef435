#include "cleaning/folder_tree.h"

#include "app/log_panel.h"
#include "cleaning/command_step.h"
#include "cleaning/executable_removal.h"
#include "system/delay.h"

namespace tc {

namespace {

constexpr int kAttempts = 10;
constexpr std::int32_t kRetryWaitMs = 1000;

bool is_directory(const FindEntry& entry) { return (entry.attributes & kAttrDirectory) != 0; }
bool is_reparse_point(std::uint32_t attributes) {
  return attributes != kInvalidFileAttributes && (attributes & kAttrReparsePoint) != 0;
}
bool is_dot_entry(const Text& name) { return name == "." || name == ".."; }

// Every folder link inside the tree, not looking behind any of them.
void collect_links(Ports& ports, const Text& folder, TextList& links) {
  const Text base = with_backslash(folder);
  auto search = ports.files.find_first(base + "*.*");
  if (!search) return;
  FindEntry entry;
  while (search->next(entry)) {
    if (!is_directory(entry) || is_dot_entry(entry.name)) continue;
    if (is_reparse_point(entry.attributes)) {
      links.push_back(base + entry.name);
    } else {
      collect_links(ports, base + entry.name, links);
    }
    ports.events.process_events();
    if (ports.events.quitting()) return;
  }
}

// "rd /s" follows links on some systems and would empty their targets, so
// every link goes first, as a link. False when one of them stays.
bool unlink_links_inside(Ports& ports, const Text& folder) {
  TextList links;
  collect_links(ports, folder, links);
  bool all_gone = true;
  for (const Text& link : links) {
    ports.files.remove_directory(link);
    if (ports.files.get_file_attributes(link) != kInvalidFileAttributes) all_gone = false;
  }
  return all_gone;
}

}  // namespace

bool folder_exists(Ports& ports, const Text& path) {
  return ports.files.path_is_directory(path) == kAttrDirectory;
}

void collect_files(Ports& ports, const Text& folder, const Text& pattern, TextList& files) {
  const Text base = with_backslash(folder);
  if (auto search = ports.files.find_first(base + pattern)) {
    FindEntry entry;
    while (search->next(entry)) {
      if (is_directory(entry)) continue;
      files.push_back(base + entry.name);
      ports.events.process_events();
    }
  }
  if (auto search = ports.files.find_first(base + "*.*")) {
    FindEntry entry;
    while (search->next(entry)) {
      if (!is_directory(entry) || is_dot_entry(entry.name)) continue;
      if (is_reparse_point(entry.attributes)) continue;
      collect_files(ports, base + entry.name, pattern, files);
      ports.events.process_events();
      if (ports.events.quitting()) return;  // the window is closing: no long walks
    }
  }
}

bool remove_folder_tree(Ports& ports, const Text& folder) {
  if (!folder_exists(ports, folder)) {
    append_log(ports, folder + "不存在");
    return false;
  }
  // A folder that is itself a link goes as a link; its target stays untouched.
  const bool link_only = is_reparse_point(ports.files.get_file_attributes(folder));
  if (!link_only) {
    TextList executables;
    collect_files(ports, folder, "*.exe", executables);
    for (const Text& executable : executables) remove_executable(ports, executable, true);
  }
  const bool may_run_rd = path_safe_for_command(folder);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (link_only) {
      ports.files.remove_directory(folder);
    } else if (unlink_links_inside(ports, folder) && may_run_rd) {
      const Text output = run_cleaning_command(ports, "rd /s /q \"" + folder + "\"");
      if (output.size() > 1) {
        append_log(ports, "正在删除目录: " + folder);
        append_log(ports, output, false, true);
      }
    }
    if (!folder_exists(ports, folder)) {
      append_log(ports, folder + " 删除成功");
      break;
    }
    if (ports.events.quitting()) break;
    delay_with_events(ports.events, kRetryWaitMs);
  }
  if (folder_exists(ports, folder)) {
    append_log(ports, folder + " 删除失败");
    return false;
  }
  return true;
}

}  // namespace tc
