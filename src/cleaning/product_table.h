// The four products the cleaning run works through, in run order.
#pragma once
#include <array>

#include "core/text.h"

namespace tc {

struct ProductTarget {
  const char* key_path;
  const char* path_value;
  const char* version_value;  // null: no current version folder
  const char* probe_command;
  TextList service_commands;  // run only when the service exists
  bool firewall_block;        // the archiver's block rule follows, built from the install folder
  TextList residues;          // ResidueList: six names
  bool residues_in_version_folder;
  bool sweep;                 // the outdated version sweep
  const char* found_prefix;
  const char* version_prefix;
  const char* no_service;
  const char* cleaned;
  const char* no_residue;
  const char* not_installed;
};

const std::array<ProductTarget, 4>& product_table();

// The archiver's last service command, for its install folder (which ends in
// a backslash).
Text firewall_block_command(const Text& install_folder);

}  // namespace tc
