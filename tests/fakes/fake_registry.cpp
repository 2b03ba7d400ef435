#include "fakes/fake_registry.h"

#include <cstring>

namespace tc {

std::string FakeRegistry::fold(const Text& sub_key) {
  std::string folded = sub_key;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

void FakeRegistry::add_key(RootKey root, const Text& sub_key) { keys_[{root, fold(sub_key)}]; }

void FakeRegistry::set_value(RootKey root, const Text& sub_key, const Text& name,
                             std::uint32_t type, const std::vector<unsigned char>& data) {
  keys_[{root, fold(sub_key)}][fold(name)] = Value{type, data};
}

void FakeRegistry::set_text(RootKey root, const Text& sub_key, const Text& name, const Text& text) {
  std::vector<unsigned char> data(text.begin(), text.end());
  data.push_back(0);
  set_value(root, sub_key, name, 1, data);
}

RegKey FakeRegistry::open_key(RootKey root, const Text& sub_key, bool create) {
  ++calls_;
  KeyId id{root, fold(sub_key)};
  if (!sub_key.empty() && keys_.find(id) == keys_.end()) {
    if (!create) return 0;
    keys_[id];
  }
  const RegKey handle = next_handle_++;
  open_[handle] = id;
  return handle;
}

long FakeRegistry::query_value(RegKey key, const Text& name, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) {
  ++calls_;
  const auto open = open_.find(key);
  if (open == open_.end()) return 6;  // ERROR_INVALID_HANDLE
  const auto& values = keys_[open->second];
  const auto found = values.find(fold(name));
  if (found == values.end()) return 2;  // ERROR_FILE_NOT_FOUND
  const Value& value = found->second;
  if (type) *type = value.type;
  const auto needed = static_cast<std::uint32_t>(value.data.size());
  if (data == nullptr) {
    if (size) *size = needed;
    return 0;
  }
  if (size == nullptr || *size < needed) {
    if (size) *size = needed;
    return 234;  // ERROR_MORE_DATA
  }
  if (needed) std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return 0;
}

void FakeRegistry::close_key(RegKey key) {
  ++calls_;
  open_.erase(key);
}

}  // namespace tc
