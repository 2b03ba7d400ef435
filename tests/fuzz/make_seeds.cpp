// Writes the synthetic seed images of the loader fuzz target into a folder.
#include <cstdio>
#include <string>

#include "module_image_writer.h"

namespace {
void write(const std::string& dir, const char* name, const tc_test::Bytes& b) {
  std::FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
  if (!f) return;
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string dir = argv[1];
  using tc_test::ImageWriter;
  write(dir, "engine_shaped.dll", tc_test::engine_shaped_image().build());
  {
    ImageWriter w;
    w.exports(5, {0x1100, 0, 0x1300}, {{"A", 0}, {"B", 1}, {"B", 2}}, true);
    w.imports({{"ord.dll", {{"", 7}, {"X"}}}});
    write(dir, "scattered_exports_ordinal_import.dll", w.build());
  }
  {
    ImageWriter w;
    w.characteristics = 0x0102;
    const std::uint32_t a = w.add32(0x10001000), b = w.add32(0x10002000);
    w.relocations({{ImageWriter::kData, {static_cast<std::uint16_t>(0x3000 | (a - 0x2000))}},
                   {ImageWriter::kData, {static_cast<std::uint16_t>(0x3000 | (b - 0x2000)), 0}}});
    write(dir, "exe_two_reloc_blocks.exe", w.build());
  }
  {
    ImageWriter w;
    w.lfanew = 0xC;
    w.entry = 0x1000;
    write(dir, "lfanew_0c.dll", w.build());
  }
  return 0;
}
