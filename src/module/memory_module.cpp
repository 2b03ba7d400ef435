#include "module/memory_module.h"

#include <cstring>

namespace tc {
namespace {

constexpr std::uint32_t kNtHeadersSize = 248;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kDll = 0x2000;

std::uint16_t get16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t get32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void put32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// A bounded view of the block: every read names its offset and width and is
// refused when it would leave the block.
struct Span {
  unsigned char* data;
  std::uint64_t size;
  bool has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size && count <= size - offset;
  }
  bool read16(std::uint64_t offset, std::uint16_t* v) const {
    if (!has(offset, 2)) return false;
    *v = get16(data + offset);
    return true;
  }
  bool read32(std::uint64_t offset, std::uint32_t* v) const {
    if (!has(offset, 4)) return false;
    *v = get32(data + offset);
    return true;
  }
  // A NUL-terminated text that ends inside the block.
  const char* text(std::uint64_t offset) const {
    if (offset >= size) return nullptr;
    const void* nul = std::memchr(data + offset, 0, static_cast<std::size_t>(size - offset));
    return nul ? reinterpret_cast<const char*>(data + offset) : nullptr;
  }
};

// The headers of a held image as found in its block; false when they are cut
// off or their signatures are wrong.
struct HeldHeaders {
  std::uint32_t nt = 0;
  std::uint16_t characteristics = 0;
  std::uint32_t entry = 0;
};

bool read_nt_offset(const Span& block, std::uint32_t* nt) {
  std::uint32_t lfanew = 0;
  if (!block.read32(60, &lfanew)) return false;
  if (static_cast<std::int32_t>(lfanew) < 0 || !block.has(lfanew, kNtHeadersSize)) return false;
  *nt = lfanew;
  return true;
}

bool read_held_headers(const Span& block, HeldHeaders* h) {
  std::uint16_t magic = 0;
  if (!block.read16(0, &magic) || magic != 0x5A4D) return false;
  if (!read_nt_offset(block, &h->nt)) return false;
  if (get32(block.data + h->nt) != 0x4550) return false;
  h->characteristics = get16(block.data + h->nt + 4 + 18);
  h->entry = get32(block.data + h->nt + 24 + 16);
  return true;
}

struct Section {
  std::uint32_t virtual_size, virtual_address, raw_size, raw_pointer;
};

}  // namespace

bool is_ordinal_text(const Text& text, std::int32_t* value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == text.size()) return false;
  if (text[i] == '0' && (negative || text.size() > i + 1)) return false;  // "-0", "012"
  std::int64_t n = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
    if (n > 2147483648LL) return false;
  }
  if (negative) n = -n;
  if (n > 2147483647LL || n < -2147483647LL - 1) return false;
  if (value) *value = static_cast<std::int32_t>(n);
  return true;
}

bool MemoryModule::load_image(const unsigned char* bytes, std::size_t length,
                              std::uint32_t import_resolver, std::uint32_t resolver_data) {
  if (image_base_ != 0) free_image();
  image_base_ = 0;
  image_size_ = 0;
  std::uint32_t size = 0;
  std::uint32_t base = load_steps(bytes, length, import_resolver, resolver_data, &size);
  if (base != 0) {
    image_base_ = base;
    image_size_ = size;
  }
  return image_base_ != 0;
}

std::uint32_t MemoryModule::load_steps(const unsigned char* bytes, std::size_t length,
                                       std::uint32_t import_resolver,
                                       std::uint32_t resolver_data, std::uint32_t* size_out) {
  const std::uint64_t L = bytes ? length : 0;
  if (L < 64) return 0;
  if (get16(bytes) != 0x5A4D) return 0;
  const std::int32_t lfanew = static_cast<std::int32_t>(get32(bytes + 60));
  if (lfanew < 0) return 0;
  const std::uint64_t nt = static_cast<std::uint64_t>(lfanew);
  if (L < nt + kNtHeadersSize) return 0;
  const unsigned char* h = bytes + nt;
  if (get32(h) != 0x4550) return 0;
  const std::uint16_t sections = get16(h + 4 + 2);
  const std::uint16_t characteristics = get16(h + 4 + 18);
  if (!(characteristics & kExecutableImage)) return 0;
  const std::uint64_t headers_end = nt + kNtHeadersSize + std::uint64_t{kSectionHeaderSize} * sections;
  if (L < headers_end) return 0;

  const unsigned char* opt = h + 24;
  const std::uint32_t entry = get32(opt + 16);
  const std::uint32_t preferred = get32(opt + 28);
  const std::uint32_t alignment = get32(opt + 32);
  std::uint64_t image_size = get32(opt + 56);
  const std::uint32_t reloc_rva = get32(opt + 96 + 8 * 5);
  const std::uint32_t reloc_size = get32(opt + 96 + 8 * 5 + 4);
  const std::uint32_t import_rva = get32(opt + 96 + 8 * 1);

  const unsigned char* table = h + kNtHeadersSize;
  for (std::uint32_t i = 0; i < sections; ++i) {
    const unsigned char* s = table + kSectionHeaderSize * i;
    Section sec{get32(s + 8), get32(s + 12), get32(s + 16), get32(s + 20)};
    std::uint64_t end = std::uint64_t{sec.virtual_address} +
                        (sec.virtual_size > sec.raw_size ? sec.virtual_size : sec.raw_size);
    std::uint64_t aligned =
        alignment == 0 ? 0 : (end + alignment - 1) / alignment * std::uint64_t{alignment};
    if (aligned > image_size) image_size = aligned;
  }
  if (image_size == 0) return 0;
  // Refuse before allocating whatever could not be laid out inside the block
  // or read from the buffer.
  if (image_size > 0xFFFFFFFFull) return 0;
  if (headers_end > image_size) return 0;
  for (std::uint32_t i = 0; i < sections; ++i) {
    const unsigned char* s = table + kSectionHeaderSize * i;
    Section sec{get32(s + 8), get32(s + 12), get32(s + 16), get32(s + 20)};
    if (sec.raw_size == 0 || sec.virtual_address == 0) continue;
    if (std::uint64_t{sec.raw_pointer} + sec.raw_size > L) return 0;
    if (std::uint64_t{sec.virtual_address} + sec.raw_size > image_size) return 0;
  }
  if ((characteristics & kDll) && entry != 0 && entry >= image_size) return 0;

  const std::uint32_t size = static_cast<std::uint32_t>(image_size);
  std::uint32_t base = port_->allocate(preferred, size);
  if (base == 0) base = port_->allocate(0, size);
  if (base == 0) return 0;
  Span block{port_->memory(base), size};
  auto fail = [&]() -> std::uint32_t {
    port_->release(base);
    return 0;
  };

  std::memcpy(block.data, bytes, static_cast<std::size_t>(headers_end));
  for (std::uint32_t i = 0; i < sections; ++i) {
    const unsigned char* s = table + kSectionHeaderSize * i;
    Section sec{get32(s + 8), get32(s + 12), get32(s + 16), get32(s + 20)};
    if (sec.raw_size == 0 || sec.virtual_address == 0) continue;
    std::memcpy(block.data + sec.virtual_address, bytes + sec.raw_pointer, sec.raw_size);
  }

  if (reloc_size > 0) {
    const std::uint32_t delta = base - preferred;
    // The walk ends at the directory's end as well as at a zero page address:
    // whatever follows the directory is not relocation data.
    const std::uint64_t dir_end = std::uint64_t{reloc_rva} + reloc_size;
    std::uint64_t d = reloc_rva;
    while (d + 8 <= dir_end) {
      std::uint32_t page = 0, block_size = 0;
      if (!block.read32(d, &page) || !block.read32(d + 4, &block_size)) return fail();
      if (page == 0) break;
      if (block_size < 8) return fail();
      if (!block.has(d, block_size)) return fail();
      const std::uint32_t count = (block_size - 8) / 2;
      for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint16_t e = get16(block.data + d + 8 + 2 * k);
        if ((e >> 12) != 3) continue;
        const std::uint64_t target = std::uint64_t{page} + (e & 0x0FFFu);
        if (!block.has(target, 4)) return fail();
        put32(block.data + target, get32(block.data + target) + delta);
      }
      d += block_size;
    }
  }

  if (import_rva > 0) {
    std::uint64_t d = import_rva;
    for (;;) {
      std::uint32_t name_rva = 0, thunk_rva = 0;
      if (!block.read32(d + 12, &name_rva) || !block.read32(d + 16, &thunk_rva)) return fail();
      if (thunk_rva == 0) break;
      const char* library_name = block.text(name_rva);
      if (!library_name) return fail();
      const std::uint32_t library = port_->load_library(library_name);
      for (std::uint64_t t = thunk_rva;; t += 4) {
        std::uint32_t value = 0;
        if (!block.read32(t, &value)) return fail();
        if (value == 0) break;
        char ordinal_text[8];
        const char* name = nullptr;
        std::uint16_t ordinal = 0;
        const bool by_ordinal = (value & 0x80000000u) != 0;
        if (by_ordinal) {
          ordinal = static_cast<std::uint16_t>(value & 0xFFFFu);
          // Decimal text of the ordinal for the resolver.
          char digits[8];
          int n = 0;
          std::uint32_t o = ordinal;
          do {
            digits[n++] = static_cast<char>('0' + o % 10);
            o /= 10;
          } while (o != 0);
          for (int k = 0; k < n; ++k) ordinal_text[k] = digits[n - 1 - k];
          ordinal_text[n] = 0;
          name = ordinal_text;
        } else {
          name = block.text(std::uint64_t{value} + 2);
          if (!name) return fail();
        }
        std::uint32_t address = 0;
        if (import_resolver != 0)
          address = port_->call_resolver(import_resolver, library_name, name, resolver_data);
        if (address == 0)
          address = by_ordinal ? port_->proc_by_ordinal(library, ordinal)
                               : port_->proc_by_name(library, name);
        if (address == 0) return fail();
        put32(block.data + t, address);
      }
      d += 20;
    }
  }

  // A DLL without an entry point (resource-only) is not entered.
  if ((characteristics & kDll) && entry != 0) {
    if (port_->call(base + entry, 0, 1, 0) == 0) {
      port_->call(base + entry, 0, 0, 0);
      return fail();
    }
  }
  *size_out = size;
  return base;
}

bool MemoryModule::free_image() {
  if (image_base_ == 0) return true;
  Span block{port_->memory(image_base_), image_size_};
  HeldHeaders h;
  if (!read_held_headers(block, &h)) return false;
  if ((h.characteristics & kDll) && h.entry != 0) port_->call(image_base_ + h.entry, 0, 0, 0);
  if (!port_->release(image_base_)) return false;
  image_base_ = 0;
  image_size_ = 0;
  return true;
}

std::uint32_t MemoryModule::entry_point_address() const {
  if (image_base_ == 0) return 0;
  Span block{port_->memory(image_base_), image_size_};
  std::uint32_t nt = 0;
  if (!read_nt_offset(block, &nt)) return 0;
  return image_base_ + get32(block.data + nt + 24 + 16);
}

std::uint32_t MemoryModule::find_export(const Text& name) const {
  if (image_base_ == 0) return 0;
  Span block{port_->memory(image_base_), image_size_};
  HeldHeaders h;
  if (!read_held_headers(block, &h)) return 0;
  const unsigned char* opt = block.data + h.nt + 24;
  const std::uint32_t dir_rva = get32(opt + 96);
  const std::uint32_t dir_size = get32(opt + 96 + 4);
  if (dir_size == 0) return 0;
  if (!block.has(dir_rva, 40)) return 0;
  const unsigned char* dir = block.data + dir_rva;
  const std::uint32_t ordinal_base = get32(dir + 16);
  const std::uint32_t functions = get32(dir + 20);
  const std::uint32_t names = get32(dir + 24);
  const std::uint32_t function_table = get32(dir + 28);
  const std::uint32_t name_table = get32(dir + 32);
  const std::uint32_t ordinal_table = get32(dir + 36);

  auto function_at = [&](std::uint64_t index) -> std::uint32_t {
    std::uint32_t entry = 0;
    if (!block.read32(function_table + 4 * index, &entry)) return 0;
    return entry == 0 ? 0 : image_base_ + entry;
  };

  std::int32_t ordinal = 0;
  if (is_ordinal_text(name, &ordinal)) {
    const std::int64_t index = std::int64_t{ordinal} - std::int64_t{ordinal_base};
    if (index < 0 || index >= std::int64_t{functions}) return 0;
    return function_at(static_cast<std::uint64_t>(index));
  }

  // Each name is read through its own entry of the name table, so the lookup
  // does not depend on the names being stored back to back.
  for (std::uint64_t k = 0; k < names; ++k) {
    std::uint32_t name_rva = 0;
    std::uint16_t index = 0;
    if (!block.read32(name_table + 4 * k, &name_rva)) return 0;
    if (!block.read16(ordinal_table + 2 * k, &index)) return 0;
    if (index >= functions) continue;
    const char* text = block.text(name_rva);
    if (!text) continue;
    if (std::strlen(text) != name.size() || std::memcmp(text, name.data(), name.size()) != 0)
      continue;
    const std::uint32_t address = function_at(index);
    if (address != 0) return address;
  }
  return 0;
}

}  // namespace tc
