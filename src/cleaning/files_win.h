// Files and folders through the Win32 file and shell path functions.
#pragma once
#include "ports/files.h"

namespace tc {

class Win32Files : public Files {
 public:
  std::uint32_t get_file_attributes(const Text& path) override;
  bool set_file_attributes(const Text& path, std::uint32_t attributes) override;
  bool delete_file(const Text& path) override;
  bool remove_directory(const Text& path) override;
  bool path_file_exists(const Text& path) override;
  std::uint32_t path_is_directory(const Text& path) override;
  std::unique_ptr<DirSearch> find_first(const Text& pattern) override;
  Text known_folder(KnownFolder which) override;
};

}  // namespace tc
