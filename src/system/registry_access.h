// Registry access by whole key paths ("HKEY_LOCAL_MACHINE\SOFTWARE\Pakzo").
// No state: every operation opens its key and closes it before it returns.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/text.h"
#include "ports/registry_port.h"

namespace tc {

// The root and sub-key of a key path; nothing when the root name is not one
// of the five full names (compared after upper-casing).
struct KeyPath {
  RootKey root;
  Text sub_key;
};
std::optional<KeyPath> parse_key_path(const Text& key_path);

class RegistryAccess {
 public:
  explicit RegistryAccess(RegistryPort& port) : port_(&port) {}
  virtual ~RegistryAccess() = default;  // the destroy hook: nothing to release

  std::unique_ptr<RegistryAccess> copy() const { return std::make_unique<RegistryAccess>(*port_); }

  // An open key, or 0. The caller closes it.
  virtual RegKey open_key_path(const Text& key_path, bool create = false);
  // The value's bytes (empty on any failure); *type receives the real type.
  virtual std::vector<unsigned char> read_raw_value(const Text& key_path, const Text& value_name,
                                                    std::uint32_t* type = nullptr);
  // The value's bytes up to the first zero byte, whatever its type.
  virtual Text read_text_value(const Text& key_path, const Text& value_name);

  RegistryPort& port() { return *port_; }

 private:
  RegistryPort* port_;
};

}  // namespace tc
