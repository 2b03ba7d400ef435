// An in-memory file tree behind Files: case-insensitive paths, attributes,
// files held open (they resist deletion and keep their folders), folder links
// (junctions) that searches and paths pass through, and the known folders.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "ports/files.h"

namespace tc {

class FakeEventPort;

class FakeFiles : public Files {
 public:
  // With a clock, every delete_file call costs op_cost_ms of virtual time
  // (so a loop that retries until a time limit ends).
  explicit FakeFiles(FakeEventPort* clock = nullptr);
  ~FakeFiles() override;

  // Folders above the path are made as plain folders when missing.
  void add_folder(const Text& path, std::uint32_t attributes = kAttrDirectory);
  void add_file(const Text& path, std::uint32_t attributes = kAttrArchive);
  // A folder link (reported as directory + reparse point) to the target.
  void add_link(const Text& path, const Text& target);
  // Held open without delete sharing: delete fails, rd leaves it and its
  // folders, removing a locked link fails. Locks count.
  void lock(const Text& path);
  void unlock(const Text& path);
  void set_known_folder(KnownFolder which, const Text& path) { known_[which] = path; }

  bool exists(const Text& path) const;  // the entry itself, links not followed
  // Every path at and below the folder (folder links not followed), in tree order.
  TextList tree(const Text& folder) const;

  // What the interpreter's del /f and rd /s do; both report what they could
  // not remove as lines of text.
  enum class DelResult { Deleted, NotFound, Denied };
  DelResult del_file(const Text& path);
  bool remove_tree(const Text& path, bool follow_links, TextList& left);

  // Files
  std::uint32_t get_file_attributes(const Text& path) override;
  bool set_file_attributes(const Text& path, std::uint32_t attributes) override;
  bool delete_file(const Text& path) override;
  bool remove_directory(const Text& path) override;
  bool path_file_exists(const Text& path) override;
  std::uint32_t path_is_directory(const Text& path) override;
  std::unique_ptr<DirSearch> find_first(const Text& pattern) override;
  Text known_folder(KnownFolder which) override;

  bool sorted_search = false;  // directory searches by name instead of creation order
  std::uint32_t op_cost_ms = 1;
  int delete_calls = 0;
  int searches = 0;

 private:
  struct Node;
  Node* resolve(const Text& path, bool follow_last) const;
  Node* make_path(const Text& path);
  Node* add_node(const Text& path, std::uint32_t attributes);
  void erase(Node* node);
  bool remove_node_tree(Node* node, const Text& path, bool follow_links, int depth, TextList& left);
  static bool held(const Node* node);
  void list(const Node* node, const Text& path, TextList& out) const;

  FakeEventPort* clock_;
  std::unique_ptr<Node> root_;
  std::map<KnownFolder, Text> known_;
};

// Case-insensitive wildcard match of a file name against a pattern with * and ?
// ("*.*" matches every name, as the system's search does).
bool fake_wildcard_match(const Text& pattern, const Text& name);

}  // namespace tc
