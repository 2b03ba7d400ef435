// A ModulePort over plain memory: blocks are byte vectors placed at chosen
// 32-bit addresses, libraries and procedures come from tables, and every call
// into the image is recorded instead of run. Serves the host tests, the fuzz
// target and the comparison of the mapping with the system's own loader.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "module/memory_module.h"

namespace tc {

class HostModulePort : public ModulePort {
 public:
  struct Call {
    std::uint32_t code;
    std::uint32_t v1, v2, v3;
    bool resolver;            // an import resolver call: texts below
    std::string library, name;
  };

  // Addresses where allocation is refused (as if already taken).
  std::set<std::uint32_t> taken;
  // Where allocations without a requested address go.
  std::uint32_t next_free = 0x20000000;
  // Larger blocks are refused, as a system would refuse a huge image.
  std::uint32_t max_block = 64u << 20;
  // Known libraries (name → handle); with resolve_everything every library
  // loads and every procedure gives a made-up nonzero address.
  std::map<std::string, std::uint32_t> libraries;
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> procedures;
  bool resolve_everything = false;
  // What a call into code gives (default: call_result).
  std::map<std::uint32_t, std::function<std::uint32_t(const Call&)>> callees;
  std::uint32_t call_result = 1;
  bool release_fails = false;

  std::vector<Call> calls;
  std::vector<std::string> loaded_libraries;
  std::vector<std::pair<std::uint32_t, std::string>> proc_requests;  // ordinals as "#7"
  std::map<std::uint32_t, std::vector<unsigned char>> blocks;

  std::uint32_t allocate(std::uint32_t address, std::uint32_t size) override;
  bool release(std::uint32_t base) override;
  unsigned char* memory(std::uint32_t base) override;
  std::uint32_t load_library(const char* name) override;
  std::uint32_t proc_by_name(std::uint32_t library, const char* name) override;
  std::uint32_t proc_by_ordinal(std::uint32_t library, std::uint16_t ordinal) override;
  std::uint32_t call(std::uint32_t code, std::uint32_t v1, std::uint32_t v2,
                     std::uint32_t v3) override;
  std::uint32_t call_resolver(std::uint32_t code, const char* library, const char* name,
                              std::uint32_t data) override;

 private:
  std::uint32_t dispatch(const Call& c);
  bool overlaps(std::uint64_t address, std::uint64_t size) const;
};

}  // namespace tc
