// Loads a 32-bit DLL image from a byte buffer into memory that the program
// allocates itself, and finds its exports. The mapping is portable; the block,
// the libraries and the calls into the image go through ModulePort.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/text.h"

namespace tc {

// What the mapping needs from the system. Addresses are 32-bit values as the
// image sees them; memory() turns a block address into bytes the mapping can
// read and write.
class ModulePort {
 public:
  virtual ~ModulePort() = default;
  // A zero-filled block of size bytes at address (0: wherever the system
  // chooses). Gives the block's address, 0 when refused.
  virtual std::uint32_t allocate(std::uint32_t address, std::uint32_t size) = 0;
  virtual bool release(std::uint32_t base) = 0;
  // The bytes of the block that starts at base.
  virtual unsigned char* memory(std::uint32_t base) = 0;
  // Library handle, 0 when it cannot be loaded.
  virtual std::uint32_t load_library(const char* name) = 0;
  virtual std::uint32_t proc_by_name(std::uint32_t library, const char* name) = 0;
  virtual std::uint32_t proc_by_ordinal(std::uint32_t library, std::uint16_t ordinal) = 0;
  // Calls code with three stack values (the rest of the ten slots are 0).
  virtual std::uint32_t call(std::uint32_t code, std::uint32_t v1, std::uint32_t v2,
                             std::uint32_t v3) = 0;
  // Calls an import resolver: (library name, function name or ordinal text,
  // data). The texts live only for the call.
  virtual std::uint32_t call_resolver(std::uint32_t code, const char* library,
                                      const char* name, std::uint32_t data) = 0;
};

class MemoryModule {
 public:
  explicit MemoryModule(ModulePort& port) : port_(&port) {}
  // destroy: the image stays in memory until the process ends.
  virtual ~MemoryModule() {}

  // A new object holding the same image; nothing counts owners.
  virtual MemoryModule* copy() const { return new MemoryModule(*this); }
  // True when an image is held after the call. Any held image is freed first.
  virtual bool load_image(const unsigned char* bytes, std::size_t length,
                          std::uint32_t import_resolver = 0, std::uint32_t resolver_data = 0);
  // True when no image is held after the call.
  virtual bool free_image();
  // Address of an export by name or by decimal ordinal text; 0 when absent.
  virtual std::uint32_t find_export(const Text& name) const;
  virtual std::uint32_t entry_point_address() const;
  virtual std::uint32_t module_handle() const { return image_base_; }

  // The size of the block that starts at module_handle().
  std::uint32_t image_size() const { return image_size_; }

 protected:
  MemoryModule(const MemoryModule&) = default;
  MemoryModule& operator=(const MemoryModule&) = default;

 private:
  std::uint32_t load_steps(const unsigned char* bytes, std::size_t length,
                           std::uint32_t import_resolver, std::uint32_t resolver_data,
                           std::uint32_t* size);

  ModulePort* port_;
  std::uint32_t image_base_ = 0;
  std::uint32_t image_size_ = 0;
};

// True when text is exactly the decimal form of a 32-bit signed integer as
// integer-to-text conversion writes it ("12", "-3"; not "012", "+12", "-0").
bool is_ordinal_text(const Text& text, std::int32_t* value);

}  // namespace tc
