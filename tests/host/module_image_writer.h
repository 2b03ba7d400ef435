// Writes small PE32 images for the loader tests and the fuzz seeds. The
// default image is shaped like the program's engine: a first section without
// raw data, one data section holding exports, imports (by name, no
// OriginalFirstThunk) and one relocation block.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tc_test {

using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
inline std::uint32_t get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct TestSection {
  std::uint32_t virtual_address;
  std::uint32_t virtual_size;
  Bytes raw;
  std::uint32_t raw_pointer = 0;  // 0: placed after the headers by build()
};

struct Thunk {
  std::string name;         // import by name when ordinal is 0
  std::uint16_t ordinal = 0;
};

struct ImageWriter {
  std::int32_t lfanew = 64;
  std::uint16_t characteristics = 0x2102;  // executable, 32-bit, DLL
  std::uint32_t entry = 0;
  std::uint32_t image_base = 0x10000000;
  std::uint32_t alignment = 0x1000;
  std::uint32_t size_of_image = 0x3000;
  std::uint32_t dirs[16][2] = {};
  std::vector<TestSection> sections;
  // The data section (index 1) at 0x2000, grown by the add_* helpers.
  static constexpr std::uint32_t kData = 0x2000;

  ImageWriter() {
    sections.push_back({0x1000, 0x1000, {}});
    sections.push_back({kData, 0x1000, {}});
  }
  Bytes& data() { return sections[1].raw; }
  std::uint32_t here() { return kData + static_cast<std::uint32_t>(data().size()); }
  std::uint32_t add_bytes(const Bytes& b) {
    std::uint32_t at = here();
    data().insert(data().end(), b.begin(), b.end());
    while (data().size() % 4) data().push_back(0);
    return at;
  }
  std::uint32_t add_text(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return add_bytes(b);
  }
  std::uint32_t add32(std::uint32_t v) {
    Bytes b;
    put32(b, 0, v);
    return add_bytes(b);
  }
  void set32(std::uint32_t rva, std::uint32_t v) { put32(data(), rva - kData, v); }
  std::uint32_t get(std::uint32_t rva) { return get32(data().data() + (rva - kData)); }

  // Export directory. names: (name, index into functions). Names are stored
  // back to back in table order unless scattered, which puts a filler text
  // between them.
  void exports(std::uint32_t base, const std::vector<std::uint32_t>& functions,
               const std::vector<std::pair<std::string, std::uint16_t>>& names,
               bool scattered = false) {
    Bytes name_block;
    std::vector<std::uint32_t> name_offsets;
    for (const auto& n : names) {
      if (scattered) name_block.insert(name_block.end(), {'x', 'y', 0});
      name_offsets.push_back(static_cast<std::uint32_t>(name_block.size()));
      name_block.insert(name_block.end(), n.first.begin(), n.first.end());
      name_block.push_back(0);
    }
    std::uint32_t names_at = add_bytes(name_block.empty() ? Bytes{0} : name_block);
    Bytes f, nt, ot;
    for (std::size_t i = 0; i < functions.size(); ++i) put32(f, 4 * i, functions[i]);
    for (std::size_t i = 0; i < names.size(); ++i) {
      put32(nt, 4 * i, names_at + name_offsets[i]);
      put16(ot, 2 * i, names[i].second);
    }
    std::uint32_t f_at = add_bytes(f.empty() ? Bytes{0, 0, 0, 0} : f);
    std::uint32_t n_at = add_bytes(nt.empty() ? Bytes{0, 0, 0, 0} : nt);
    std::uint32_t o_at = add_bytes(ot.empty() ? Bytes{0, 0, 0, 0} : ot);
    Bytes dir(40, 0);
    put32(dir, 16, base);
    put32(dir, 20, static_cast<std::uint32_t>(functions.size()));
    put32(dir, 24, static_cast<std::uint32_t>(names.size()));
    put32(dir, 28, f_at);
    put32(dir, 32, n_at);
    put32(dir, 36, o_at);
    dirs[0][0] = add_bytes(dir);
    dirs[0][1] = 40;
  }

  // Import descriptors with OriginalFirstThunk 0; gives each library's thunk
  // array address.
  std::vector<std::uint32_t> imports(
      const std::vector<std::pair<std::string, std::vector<Thunk>>>& libraries) {
    std::vector<std::uint32_t> thunks_at;
    Bytes descriptors((libraries.size() + 1) * 20, 0);
    for (std::size_t l = 0; l < libraries.size(); ++l) {
      std::uint32_t name_at = add_text(libraries[l].first);
      std::vector<std::uint32_t> values;
      for (const Thunk& t : libraries[l].second) {
        if (t.ordinal) {
          values.push_back(0x80000000u | t.ordinal);
        } else {
          Bytes hint_name{0, 0};
          hint_name.insert(hint_name.end(), t.name.begin(), t.name.end());
          hint_name.push_back(0);
          values.push_back(add_bytes(hint_name));
        }
      }
      Bytes array;
      for (std::size_t i = 0; i < values.size(); ++i) put32(array, 4 * i, values[i]);
      put32(array, 4 * values.size(), 0);
      std::uint32_t array_at = add_bytes(array);
      thunks_at.push_back(array_at);
      put32(descriptors, 20 * l + 12, name_at);
      put32(descriptors, 20 * l + 16, array_at);
    }
    dirs[1][0] = add_bytes(descriptors);
    dirs[1][1] = static_cast<std::uint32_t>(descriptors.size());
    return thunks_at;
  }

  // Relocation blocks (page, entries); the directory size covers them.
  void relocations(const std::vector<std::pair<std::uint32_t, std::vector<std::uint16_t>>>& blocks) {
    Bytes b;
    for (const auto& blk : blocks) {
      std::size_t at = b.size();
      put32(b, at, blk.first);
      put32(b, at + 4, static_cast<std::uint32_t>(8 + 2 * blk.second.size()));
      for (std::size_t i = 0; i < blk.second.size(); ++i) put16(b, at + 8 + 2 * i, blk.second[i]);
    }
    dirs[5][0] = add_bytes(b);
    dirs[5][1] = static_cast<std::uint32_t>(b.size());
  }

  Bytes build() const {
    const std::uint32_t nt = static_cast<std::uint32_t>(lfanew);
    std::uint32_t headers_end = nt + 248 + 40 * static_cast<std::uint32_t>(sections.size());
    std::uint32_t raw_at = (headers_end + 0x1FF) & ~0x1FFu;
    Bytes b(raw_at, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 60, static_cast<std::uint32_t>(lfanew));
    put32(b, nt, 0x4550);
    put16(b, nt + 4, 0x14C);
    put16(b, nt + 6, static_cast<std::uint32_t>(sections.size()));
    put16(b, nt + 20, 224);
    put16(b, nt + 22, characteristics);
    const std::uint32_t opt = nt + 24;
    put16(b, opt, 0x10B);
    put32(b, opt + 16, entry);
    put32(b, opt + 28, image_base);
    put32(b, opt + 32, alignment);
    put32(b, opt + 36, 0x200);
    put32(b, opt + 56, size_of_image);
    put32(b, opt + 60, raw_at);
    put32(b, opt + 92, 16);
    for (int i = 0; i < 16; ++i) {
      put32(b, opt + 96 + 8 * i, dirs[i][0]);
      put32(b, opt + 100 + 8 * i, dirs[i][1]);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const TestSection& s = sections[i];
      const std::uint32_t h = nt + 248 + 40 * static_cast<std::uint32_t>(i);
      std::uint32_t pointer = s.raw.empty() ? 0 : (s.raw_pointer ? s.raw_pointer : raw_at);
      put32(b, h + 8, s.virtual_size);
      put32(b, h + 12, s.virtual_address);
      put32(b, h + 16, static_cast<std::uint32_t>(s.raw.size()));
      put32(b, h + 20, pointer);
      put32(b, h + 36, 0xE0000060u);
      if (!s.raw.empty()) {
        if (b.size() < pointer + s.raw.size()) b.resize(pointer + s.raw.size());
        std::copy(s.raw.begin(), s.raw.end(), b.begin() + pointer);
        if (!s.raw_pointer) raw_at = static_cast<std::uint32_t>(b.size());
      }
    }
    return b;
  }
};

// The engine-shaped image: exports SkinH_AttachRes among others (names back
// to back), imports by name from two libraries, one relocation block with one
// type-3 and one type-0 entry, an entry point in the first section.
inline ImageWriter engine_shaped_image() {
  ImageWriter w;
  w.entry = 0x1010;
  w.exports(1, {0x1100, 0x1200, 0x1300},
            {{"Alpha", 0}, {"SkinH_AttachRes", 1}, {"Zeta", 2}});
  w.imports({{"KERNEL32.dll", {{"GetTickCount"}, {"Sleep"}}}, {"USER32.dll", {{"MessageBoxA"}}}});
  const std::uint32_t slot = w.add32(w.image_base + 0x1234);
  w.relocations({{ImageWriter::kData, {static_cast<std::uint16_t>(0x3000 | (slot - ImageWriter::kData)), 0x0000}}});
  return w;
}

}  // namespace tc_test
