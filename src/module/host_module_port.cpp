#include "module/host_module_port.h"

namespace tc {

bool HostModulePort::overlaps(std::uint64_t address, std::uint64_t size) const {
  for (const auto& b : blocks) {
    const std::uint64_t start = b.first, end = start + b.second.size();
    if (address < end && start < address + size) return true;
  }
  return false;
}

std::uint32_t HostModulePort::allocate(std::uint32_t address, std::uint32_t size) {
  if (size == 0 || size > max_block) return 0;
  const std::uint64_t rounded = (std::uint64_t{size} + 0xFFFF) & ~std::uint64_t{0xFFFF};
  if (address != 0) {
    // Like the system: a block starts on a 64 KB boundary and must not be taken.
    if ((address & 0xFFFF) != 0 || taken.count(address)) return 0;
    if (std::uint64_t{address} + rounded > 0x100000000ull || overlaps(address, rounded)) return 0;
  } else {
    std::uint64_t a = next_free;
    while (overlaps(a, rounded) || taken.count(static_cast<std::uint32_t>(a))) a += 0x10000;
    if (a + rounded > 0x100000000ull) return 0;
    address = static_cast<std::uint32_t>(a);
    next_free = static_cast<std::uint32_t>(a + rounded);
  }
  blocks[address].assign(size, 0);
  return address;
}

bool HostModulePort::release(std::uint32_t base) {
  if (release_fails) return false;
  return blocks.erase(base) == 1;
}

unsigned char* HostModulePort::memory(std::uint32_t base) {
  auto it = blocks.find(base);
  return it == blocks.end() ? nullptr : it->second.data();
}

std::uint32_t HostModulePort::load_library(const char* name) {
  loaded_libraries.push_back(name);
  auto it = libraries.find(name);
  if (it != libraries.end()) return it->second;
  if (!resolve_everything) return 0;
  const std::uint32_t handle = 0x70000000u + 0x10000u * static_cast<std::uint32_t>(libraries.size());
  libraries[name] = handle;
  return handle;
}

std::uint32_t HostModulePort::proc_by_name(std::uint32_t library, const char* name) {
  proc_requests.emplace_back(library, name);
  auto it = procedures.find({library, name});
  if (it != procedures.end()) return it->second;
  return resolve_everything ? library + 0x1000u + static_cast<std::uint32_t>(proc_requests.size())
                            : 0;
}

std::uint32_t HostModulePort::proc_by_ordinal(std::uint32_t library, std::uint16_t ordinal) {
  const std::string key = "#" + std::to_string(ordinal);
  proc_requests.emplace_back(library, key);
  auto it = procedures.find({library, key});
  if (it != procedures.end()) return it->second;
  return resolve_everything ? library + 0x1000u + ordinal : 0;
}

std::uint32_t HostModulePort::dispatch(const Call& c) {
  calls.push_back(c);
  auto it = callees.find(c.code);
  return it == callees.end() ? call_result : it->second(c);
}

std::uint32_t HostModulePort::call(std::uint32_t code, std::uint32_t v1, std::uint32_t v2,
                                   std::uint32_t v3) {
  return dispatch(Call{code, v1, v2, v3, false, std::string(), std::string()});
}

std::uint32_t HostModulePort::call_resolver(std::uint32_t code, const char* library,
                                            const char* name, std::uint32_t data) {
  return dispatch(Call{code, 0, 0, data, true, library, name});
}

}  // namespace tc
