// libFuzzer target: the portable mapping and export lookup over the host port.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "module/host_module_port.h"
#include "module/memory_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tc::HostModulePort port;
  port.resolve_everything = true;
  port.max_block = 16u << 20;
  // Odd sizes also see their preferred address taken, so relocations move.
  if (size % 2) port.taken.insert(size >= 64 ? (data[52] | data[53] << 8 | data[54] << 16 | static_cast<std::uint32_t>(data[55]) << 24) : 0);
  tc::MemoryModule module(port);
  if (!module.load_image(data, size)) {
    if (!port.blocks.empty()) std::abort();  // a refused image leaves no block
    return 0;
  }
  const std::uint32_t base = module.module_handle();
  const char* names[] = {"SkinH_AttachRes", "DllMain", "1", "2", "0", "-1", "65536", "a", ""};
  for (const char* name : names) {
    const std::uint32_t address = module.find_export(name);
    (void)address;
  }
  // A name taken from the input's tail.
  if (size > 8) module.find_export(std::string(reinterpret_cast<const char*>(data + size - 8), 8));
  (void)module.entry_point_address();
  // The image may have written over its own headers (sections or relocations
  // at the header area): then the unload is refused and the image stays.
  if (module.free_image() && !port.blocks.empty()) std::abort();
  (void)base;
  return 0;
}
