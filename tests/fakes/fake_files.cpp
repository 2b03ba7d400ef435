#include "fakes/fake_files.h"

#include <algorithm>

#include "fakes/fake_events.h"

namespace tc {

struct FakeFiles::Node {
  Text name;
  std::uint32_t attributes = kAttrDirectory;
  Text link_target;  // non-empty for a folder link
  int locks = 0;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;

  bool directory() const { return (attributes & kAttrDirectory) != 0; }
  bool link() const { return !link_target.empty(); }
};

namespace {

Text fold(const Text& text) {
  Text folded = text;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Components of a path; runs of backslashes count as one, as the system's
// path normalisation has it.
TextList split(const Text& path) {
  TextList parts;
  Text part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool match_from(const Text& pattern, std::size_t p, const Text& name, std::size_t n) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      for (std::size_t k = n; k <= name.size(); ++k) {
        if (match_from(pattern, p + 1, name, k)) return true;
      }
      return false;
    }
    if (n >= name.size()) return false;
    if (pattern[p] != '?' && pattern[p] != name[n]) return false;
    ++p;
    ++n;
  }
  return n == name.size();
}

class FakeSearch : public DirSearch {
 public:
  explicit FakeSearch(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
  bool next(FindEntry& entry) override {
    if (at_ >= entries_.size()) return false;
    entry = entries_[at_++];
    return true;
  }

 private:
  std::vector<FindEntry> entries_;
  std::size_t at_ = 0;
};

}  // namespace

bool fake_wildcard_match(const Text& pattern, const Text& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return match_from(fold(pattern), 0, fold(name), 0);
}

FakeFiles::FakeFiles(FakeEventPort* clock) : clock_(clock) {}
FakeFiles::~FakeFiles() = default;

FakeFiles::Node* FakeFiles::resolve(const Text& path, bool follow_last) const {
  if (!root_) return nullptr;
  const TextList parts = split(path);
  if (parts.empty()) return nullptr;
  Node* node = root_.get();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    for (int hops = 0; node->link() && hops < 8; ++hops) {
      node = resolve(node->link_target, false);
      if (!node) return nullptr;
    }
    if (!node->directory()) return nullptr;
    const Text wanted = fold(parts[i]);
    Node* found = nullptr;
    for (const auto& child : node->children) {
      if (fold(child->name) == wanted) found = child.get();
    }
    if (!found) return nullptr;
    node = found;
  }
  if (follow_last) {
    for (int hops = 0; node && node->link() && hops < 8; ++hops) node = resolve(node->link_target, false);
  }
  // "C:\dir\file\" names no file.
  if (node && !path.empty() && path.back() == '\\' && !node->directory()) return nullptr;
  return node;
}

FakeFiles::Node* FakeFiles::make_path(const Text& path) {
  if (!root_) root_ = std::make_unique<Node>();
  Node* node = root_.get();
  for (const Text& part : split(path)) {
    Node* found = nullptr;
    for (const auto& child : node->children) {
      if (fold(child->name) == fold(part)) found = child.get();
    }
    if (!found) {
      auto child = std::make_unique<Node>();
      child->name = part;
      child->parent = node;
      found = child.get();
      node->children.push_back(std::move(child));
    }
    node = found;
  }
  return node;
}

FakeFiles::Node* FakeFiles::add_node(const Text& path, std::uint32_t attributes) {
  Node* node = make_path(path);
  node->attributes = attributes;
  return node;
}

void FakeFiles::add_folder(const Text& path, std::uint32_t attributes) {
  add_node(path, attributes | kAttrDirectory);
}

void FakeFiles::add_file(const Text& path, std::uint32_t attributes) {
  add_node(path, attributes & ~kAttrDirectory);
}

void FakeFiles::add_link(const Text& path, const Text& target) {
  Node* node = add_node(path, kAttrDirectory | kAttrReparsePoint);
  node->link_target = target;
}

void FakeFiles::lock(const Text& path) {
  if (Node* node = resolve(path, false)) ++node->locks;
}

void FakeFiles::unlock(const Text& path) {
  Node* node = resolve(path, false);
  if (node && node->locks > 0) --node->locks;
}

bool FakeFiles::exists(const Text& path) const { return resolve(path, false) != nullptr; }

void FakeFiles::list(const Node* node, const Text& path, TextList& out) const {
  out.push_back(path);
  if (node->link()) return;
  for (const auto& child : node->children) list(child.get(), path + "\\" + child->name, out);
}

TextList FakeFiles::tree(const Text& folder) const {
  TextList out;
  if (const Node* node = resolve(folder, false)) {
    Text path = folder;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    list(node, path, out);
  }
  return out;
}

void FakeFiles::erase(Node* node) {
  Node* parent = node->parent;
  auto& siblings = parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [node](const std::unique_ptr<Node>& c) { return c.get() == node; }),
                 siblings.end());
}

bool FakeFiles::held(const Node* node) { return node->locks > 0; }

std::uint32_t FakeFiles::get_file_attributes(const Text& path) {
  const Node* node = resolve(path, false);
  return node ? node->attributes : kInvalidFileAttributes;
}

bool FakeFiles::set_file_attributes(const Text& path, std::uint32_t attributes) {
  Node* node = resolve(path, false);
  if (!node) return false;
  const std::uint32_t kept = node->attributes & (kAttrDirectory | kAttrReparsePoint);
  const std::uint32_t settable = attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  node->attributes = kept | settable;
  if (node->attributes == 0) node->attributes = kAttrNormal;
  return true;
}

bool FakeFiles::delete_file(const Text& path) {
  ++delete_calls;
  if (clock_) clock_->advance(op_cost_ms);
  Node* node = resolve(path, false);
  if (!node || node->directory() || held(node) || (node->attributes & kAttrReadOnly)) return false;
  erase(node);
  return true;
}

bool FakeFiles::remove_directory(const Text& path) {
  Node* node = resolve(path, false);
  if (!node || !node->directory() || !node->parent || held(node)) return false;
  if (!node->link() && !node->children.empty()) return false;
  erase(node);  // a link goes alone; its target is not touched
  return true;
}

bool FakeFiles::path_file_exists(const Text& path) { return resolve(path, false) != nullptr; }

std::uint32_t FakeFiles::path_is_directory(const Text& path) {
  const Node* node = resolve(path, false);
  return node && node->directory() ? kAttrDirectory : 0;
}

std::unique_ptr<DirSearch> FakeFiles::find_first(const Text& pattern) {
  ++searches;
  const std::size_t cut = pattern.rfind('\\');
  const Text folder = cut == Text::npos ? Text() : pattern.substr(0, cut);
  const Text name_pattern = cut == Text::npos ? pattern : pattern.substr(cut + 1);
  if (name_pattern.find_first_of("*?") == Text::npos) {
    const Node* node = resolve(pattern, false);
    if (!node) return nullptr;
    return std::make_unique<FakeSearch>(std::vector<FindEntry>{{node->name, node->attributes}});
  }
  const Node* dir = resolve(folder, true);
  if (!dir || !dir->directory()) return nullptr;
  std::vector<FindEntry> entries;
  const bool drive_root = dir->parent == root_.get();
  if (!drive_root && fake_wildcard_match(name_pattern, ".")) {
    entries.push_back({".", kAttrDirectory});
    entries.push_back({"..", kAttrDirectory});
  }
  std::vector<const Node*> children;
  for (const auto& child : dir->children) children.push_back(child.get());
  if (sorted_search) {
    std::stable_sort(children.begin(), children.end(),
                     [](const Node* a, const Node* b) { return fold(a->name) < fold(b->name); });
  }
  for (const Node* child : children) {
    if (fake_wildcard_match(name_pattern, child->name)) entries.push_back({child->name, child->attributes});
  }
  if (entries.empty()) return nullptr;
  return std::make_unique<FakeSearch>(std::move(entries));
}

Text FakeFiles::known_folder(KnownFolder which) {
  const auto found = known_.find(which);
  return found == known_.end() ? Text() : found->second;
}

FakeFiles::DelResult FakeFiles::del_file(const Text& path) {
  Node* node = resolve(path, false);
  // del passes over hidden and system files as if they were not there.
  if (!node || node->directory() || (node->attributes & (kAttrHidden | kAttrSystem))) {
    return DelResult::NotFound;
  }
  if (held(node)) return DelResult::Denied;
  erase(node);  // /f: read-only files go too
  return DelResult::Deleted;
}

bool FakeFiles::remove_node_tree(Node* node, const Text& path, bool follow_links, int depth,
                                 TextList& left) {
  if (depth > 16) return false;
  bool all = true;
  if (node->link()) {
    // Following a link empties its target, as a careless rd /s does.
    if (follow_links) {
      if (Node* target = resolve(node->link_target, false)) {
        std::vector<Node*> inside;
        for (const auto& child : target->children) inside.push_back(child.get());
        for (Node* child : inside) {
          if (!remove_node_tree(child, node->link_target + "\\" + child->name, true, depth + 1, left)) {
            all = false;
          }
        }
      }
    }
  } else if (node->directory()) {
    std::vector<Node*> inside;
    for (const auto& child : node->children) inside.push_back(child.get());
    for (Node* child : inside) {
      if (!remove_node_tree(child, path + "\\" + child->name, follow_links, depth + 1, left)) all = false;
    }
  }
  if (!all || held(node)) {
    if (held(node)) left.push_back(path);
    return false;
  }
  erase(node);
  return true;
}

bool FakeFiles::remove_tree(const Text& path, bool follow_links, TextList& left) {
  Node* node = resolve(path, false);
  if (!node || !node->directory() || !node->parent) return false;
  Text clean = path;
  while (!clean.empty() && clean.back() == '\\') clean.pop_back();
  return remove_node_tree(node, clean, follow_links, 0, left);
}

}  // namespace tc
