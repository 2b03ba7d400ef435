#include "fakes/fake_processes.h"

#include "fakes/fake_files.h"

namespace tc {

namespace {

Text fold(const Text& text) {
  Text folded = text;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (byte >= 0x80) {
      ++i;
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return folded;
}

Text base_name(const Text& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == Text::npos ? path : path.substr(cut + 1);
}

}  // namespace

void FakeProcesses::start(std::uint32_t pid, const Text& image_path) {
  table_.push_back(Process{pid, base_name(image_path), image_path});
  if (files_) files_->lock(image_path);
}

void FakeProcesses::start_self(std::uint32_t pid, const Text& image_path) {
  start(pid, image_path);
  self_ = pid;
}

bool FakeProcesses::running(std::uint32_t pid) const {
  for (const Process& p : table_) {
    if (p.pid == pid) return true;
  }
  return false;
}

void FakeProcesses::end(std::size_t index) {
  const Process ended = table_[index];
  table_.erase(table_.begin() + static_cast<std::ptrdiff_t>(index));
  terminated.push_back(ended.pid);
  if (files_) files_->unlock(ended.image_path);
}

std::vector<std::uint32_t> FakeProcesses::kill_by_name(const Text& name) {
  std::vector<std::uint32_t> killed;
  for (std::size_t i = 0; i < table_.size();) {
    if (fold(table_[i].exe_name) == fold(name) && protected_pids.count(table_[i].pid) == 0) {
      killed.push_back(table_[i].pid);
      end(i);
    } else {
      ++i;
    }
  }
  return killed;
}

bool FakeProcesses::snapshot(std::uint32_t flags, std::vector<ProcessEntry>& entries) {
  snapshot_flags.push_back(flags);
  entries.clear();
  if (snapshot_fails) return false;
  for (const Process& p : table_) entries.push_back(ProcessEntry{p.pid, p.exe_name});
  return true;
}

bool FakeProcesses::terminate(std::uint32_t pid, std::uint32_t) {
  if (protected_pids.count(pid)) return false;
  for (std::size_t i = 0; i < table_.size(); ++i) {
    if (table_[i].pid == pid) {
      end(i);
      return true;
    }
  }
  return false;
}

Text FakeProcesses::image_path(std::uint32_t pid) {
  for (const Process& p : table_) {
    if (p.pid == pid) return p.image_path;
  }
  return Text();
}

}  // namespace tc
