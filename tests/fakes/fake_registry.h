// A registry map behind RegistryPort: keys by root and folded sub-key path,
// values by name with raw bytes and a type. Counts calls so tests can tell
// that no registry call was made.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ports/registry_port.h"

namespace tc {

class FakeRegistry : public RegistryPort {
 public:
  struct Value {
    std::uint32_t type;
    std::vector<unsigned char> data;
  };

  // Makes the key (and nothing above it) and sets one value.
  void set_value(RootKey root, const Text& sub_key, const Text& name, std::uint32_t type,
                 const std::vector<unsigned char>& data);
  void set_text(RootKey root, const Text& sub_key, const Text& name, const Text& text);  // REG_SZ with its zero
  void add_key(RootKey root, const Text& sub_key);

  RegKey open_key(RootKey root, const Text& sub_key, bool create) override;
  long query_value(RegKey key, const Text& name, std::uint32_t* type, unsigned char* data,
                   std::uint32_t* size) override;
  void close_key(RegKey key) override;

  int calls() const { return calls_; }
  int open_keys() const { return static_cast<int>(open_.size()); }

 private:
  using KeyId = std::pair<RootKey, std::string>;
  static std::string fold(const Text& sub_key);

  std::map<KeyId, std::map<std::string, Value>> keys_;
  std::map<RegKey, KeyId> open_;
  RegKey next_handle_ = 0x100;
  int calls_ = 0;
};

}  // namespace tc
