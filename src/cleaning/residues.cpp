#include "cleaning/residues.h"

#include <algorithm>

#include "app/log_panel.h"
#include "cleaning/command_step.h"
#include "cleaning/executable_removal.h"
#include "cleaning/folder_tree.h"
#include "cleaning/path_helpers.h"
#include "system/delay.h"

namespace tc {

namespace {

constexpr std::uint32_t kRestricted = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory |
                                      kAttrArchive;
constexpr std::size_t kMinimumPasses = 10;
constexpr std::int32_t kRetryWaitMs = 1000;

std::uint32_t restricted_attributes(Ports& ports, const Text& path) {
  const std::uint32_t attributes = ports.files.get_file_attributes(path);
  return attributes == kInvalidFileAttributes ? 0 : attributes & kRestricted;
}

// One pass: "del" for each name until one is gone; true when one was.
bool delete_pass(Ports& ports, const Text& base, TextList& others) {
  for (std::size_t i = 0; i < others.size(); ++i) {
    const Text path = base + others[i];
    if (path_safe_for_command(path)) {
      append_log(ports, run_cleaning_command(ports, "del /f /q \"" + path + "\""), false, true);
    }
    if (!path_exists(ports, path)) {
      append_log(ports, others[i] + " 已被删除");
      others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
    append_log(ports, others[i] + " 删除失败");
  }
  return false;
}

}  // namespace

bool remove_residues(Ports& ports, const Text& folder, const TextList& residues) {
  const Text base = with_backslash(folder);
  TextList folders;
  TextList files;
  for (const Text& name : residues) {
    const std::uint32_t attributes = restricted_attributes(ports, base + name);
    if (attributes == kAttrDirectory) {
      folders.push_back(name);
    } else if (attributes == kAttrArchive) {
      files.push_back(name);
    }
  }
  if (folders.empty() && files.empty()) return false;

  TextList others;
  for (const Text& name : files) {
    if (ports.events.quitting()) return true;  // the window is closing
    if (file_extension(name) == ".exe") {
      remove_executable(ports, base + name, false);
    } else {
      others.push_back(name);
    }
  }

  const std::size_t passes = std::max(others.size(), kMinimumPasses);
  for (std::size_t pass = 0; pass < passes && !others.empty(); ++pass) {
    delete_pass(ports, base, others);
    if (others.empty() || ports.events.quitting()) break;
    delay_with_events(ports.events, kRetryWaitMs);
  }

  for (const Text& name : folders) {
    if (ports.events.quitting()) break;
    remove_folder_tree(ports, base + name);
  }
  return true;
}

}  // namespace tc
