// Private bytes as Windows counts them: the committed private pages of a
// process, summed from a walk of its address space. Wine 8 answers
// GetProcessMemoryInfo with PrivateUsage 0, so soak tests and benchmarks
// measure with this instead. For another process each query is a round trip
// into it (a whole walk takes tens of milliseconds under Wine).
#pragma once
#include <windows.h>

#include <cstddef>

namespace tc_test {

inline std::size_t committed_private_bytes(HANDLE process) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  std::size_t total = 0;
  auto* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region;
  while (address < static_cast<const char*>(system.lpMaximumApplicationAddress) &&
         VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  }
  return total;
}

}  // namespace tc_test
