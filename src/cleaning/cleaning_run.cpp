#include "cleaning/cleaning_run.h"

#include "app/log_panel.h"
#include "cleaning/command_step.h"
#include "cleaning/folder_tree.h"
#include "cleaning/install_path_guard.h"
#include "cleaning/name_folding.h"
#include "cleaning/product_table.h"
#include "cleaning/residues.h"
#include "cleaning/subfolders.h"
#include "system/registry_access.h"

namespace tc {

namespace {

// Every sub-folder of the install folder but the current version is an old
// version. Without a current version folder that rule would take the one in
// use as well, so the sweep is left out then.
void sweep_outdated_versions(Ports& ports, const Text& install_folder, const Text& version,
                             const Text& version_folder) {
  if (version.empty() || !folder_exists(ports, version_folder)) {
    append_log(ports, "Typhra当前版本目录不存在,跳过过时版本删除");
    return;
  }
  TextList subfolders;
  list_subfolders(ports, install_folder, subfolders);
  const Text current = to_upper_copy(version_folder);
  for (const Text& entry : subfolders) {
    if (ports.events.quitting()) return;
    if (to_upper_copy(entry) == current) continue;
    append_log(ports, "\r\n发现过时TelvoTyphra版本信息,将会进行删除: " + entry);
    remove_folder_tree(ports, entry);
    if (folder_exists(ports, entry)) {
      append_log(ports, "Typhra过期目录: " + entry + " 删除失败,请手动删除", false, true);
    } else {
      append_log(ports, "Typhra过期目录: " + entry + " 删除成功", false, true);
    }
  }
}

void clean_product(Ports& ports, const ProductTarget& product) {
  const Text path = ports.registry.read_text_value(product.key_path, product.path_value);
  const Text version = product.version_value
                           ? ports.registry.read_text_value(product.key_path, product.version_value)
                           : Text();
  if (path.size() < 1) {
    append_log(ports, product.not_installed, true);
    return;
  }
  append_log(ports, product.found_prefix + path);

  const Text install_folder = path + "\\";
  const Text version_folder = install_folder + version;
  // The version is a folder name inside the install folder; one that leads
  // elsewhere is as unsafe as a bad install path.
  if (!install_path_is_safe(ports, path) ||
      (product.version_value && !version.empty() && !install_path_is_safe(ports, version_folder))) {
    append_log(ports, "安装路径不安全,已跳过该产品", true);
    return;
  }
  if (product.version_prefix) append_log(ports, product.version_prefix + version_folder);

  const Text probe = run_cleaning_command(ports, product.probe_command);
  if (find_line_containing(probe, "BINARY_PATH_NAME") >= 1) {
    for (const Text& command : product.service_commands) {
      append_log(ports, run_cleaning_command(ports, command), false, true);
    }
    if (product.firewall_block) {
      append_log(ports, run_cleaning_command(ports, firewall_block_command(install_folder)), false,
                 true);
    }
  } else {
    append_log(ports, product.no_service);
  }

  if (product.sweep) sweep_outdated_versions(ports, install_folder, version, version_folder);
  if (ports.events.quitting()) return;

  const Text& residue_folder = product.residues_in_version_folder ? version_folder : install_folder;
  if (remove_residues(ports, residue_folder, product.residues)) {
    append_log(ports, product.cleaned, true);
  } else {
    append_log(ports, product.no_residue, true);
  }
}

}  // namespace

void run_cleaning(Ports& ports) {
  for (const ProductTarget& product : product_table()) {
    // Once the window is closing nothing more is started.
    if (ports.events.quitting()) return;
    clean_product(ports, product);
  }
  if (ports.events.quitting()) return;
  append_log(ports, "操作全部结束");
}

}  // namespace tc
