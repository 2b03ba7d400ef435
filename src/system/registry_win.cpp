#include "system/registry_win.h"

#include <windows.h>

namespace tc {

namespace {

HKEY predefined_key(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::Users: return HKEY_USERS;
    case RootKey::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

// Default access and the process's own registry view, as callers expect.
class Win32RegistryPort : public RegistryPort {
 public:
  RegKey open_key(RootKey root, const Text& sub_key, bool create) override {
    HKEY key = nullptr;
    const HKEY parent = predefined_key(root);
    if (parent == nullptr) return 0;
    const LONG status = create ? RegCreateKeyA(parent, sub_key.c_str(), &key)
                               : RegOpenKeyA(parent, sub_key.c_str(), &key);
    if (status != ERROR_SUCCESS) return 0;
    return reinterpret_cast<RegKey>(key);
  }

  long query_value(RegKey key, const Text& name, std::uint32_t* type, unsigned char* data,
                   std::uint32_t* size) override {
    DWORD value_type = type ? *type : 0;
    DWORD value_size = size ? *size : 0;
    const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr,
                                         type ? &value_type : nullptr, data,
                                         size ? &value_size : nullptr);
    if (type && status == ERROR_SUCCESS) *type = value_type;
    if (size && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)) *size = value_size;
    return status;
  }

  void close_key(RegKey key) override {
    if (key != 0) RegCloseKey(reinterpret_cast<HKEY>(key));
  }
};

}  // namespace

RegistryPort& win32_registry_port() {
  static Win32RegistryPort port;
  return port;
}

}  // namespace tc
