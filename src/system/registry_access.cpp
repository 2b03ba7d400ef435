#include "system/registry_access.h"

#include <cctype>

namespace tc {

namespace {

struct RootName {
  const char* name;
  RootKey root;
};

// Compared in this order; only the full names are known.
constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKEY_USERS", RootKey::Users},
    {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
};

Text ascii_upper(Text text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::optional<KeyPath> parse_key_path(const Text& key_path) {
  const std::size_t slash = key_path.find('\\');
  if (slash == Text::npos) return std::nullopt;
  const Text root = ascii_upper(key_path.substr(0, slash));
  for (const RootName& known : kRootNames) {
    if (root == known.name) return KeyPath{known.root, key_path.substr(slash + 1)};
  }
  return std::nullopt;
}

RegKey RegistryAccess::open_key_path(const Text& key_path, bool create) {
  const std::optional<KeyPath> parsed = parse_key_path(key_path);
  if (!parsed) return 0;
  return port_->open_key(parsed->root, parsed->sub_key, create);
}

std::vector<unsigned char> RegistryAccess::read_raw_value(const Text& key_path,
                                                          const Text& value_name,
                                                          std::uint32_t* type) {
  const RegKey key = open_key_path(key_path, false);
  if (key == 0) return {};
  std::uint32_t size = 0;
  port_->query_value(key, value_name, type, nullptr, &size);
  std::vector<unsigned char> data(size, 0);
  std::uint32_t data_size = size;
  const long status =
      port_->query_value(key, value_name, type, data.empty() ? nullptr : data.data(), &data_size);
  port_->close_key(key);
  if (status != 0) return {};
  // A value that shrank between the two queries keeps only what was written.
  if (data_size < data.size()) data.resize(data_size);
  return data;
}

Text RegistryAccess::read_text_value(const Text& key_path, const Text& value_name) {
  std::uint32_t type = 1;  // REG_SZ
  const std::vector<unsigned char> data = read_raw_value(key_path, value_name, &type);
  return text_from_bytes(reinterpret_cast<const char*>(data.data()), data.size());
}

}  // namespace tc
