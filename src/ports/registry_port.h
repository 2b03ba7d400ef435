// The registry functions that RegistryAccess rests on.
#pragma once
#include <cstdint>

#include "core/text.h"

namespace tc {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

using RegKey = std::uintptr_t;  // 0 is no key

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // RegOpenKeyA / RegCreateKeyA: 0 on failure.
  virtual RegKey open_key(RootKey root, const Text& sub_key, bool create) = 0;
  // RegQueryValueExA: data may be null (size query). Returns the system's
  // error code (0 is success); *size is in and out.
  virtual long query_value(RegKey key, const Text& name, std::uint32_t* type,
                           unsigned char* data, std::uint32_t* size) = 0;
  virtual void close_key(RegKey key) = 0;  // RegCloseKey
};

}  // namespace tc
