// The driver's own pieces that a scenario cannot see fail: the checksums and
// the PNG file layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "e2e/driver.h"

namespace tc {
namespace e2e {
namespace {

TEST(Driver, Checksums) {
  const char* text = "123456789";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  EXPECT_EQ(crc32(bytes, 9), 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(adler32(bytes, 9), 0x091E01DEu);
  EXPECT_EQ(crc32(bytes, 0), 0u);
  EXPECT_EQ(adler32(bytes, 0), 1u);
}

TEST(Driver, PngLayout) {
  char folder[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string path = std::string(folder) + "tc_driver_test.png";
  // Tall enough for two stored blocks (rows of 301 bytes, 300 rows).
  const int w = 100, h = 300;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(write_png(path, w, h, rgb));
  EXPECT_FALSE(write_png(path + ".bad", w, h, std::vector<std::uint8_t>(5)));

  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> png(1 << 20);
  png.resize(std::fread(png.data(), 1, png.size(), f));
  std::fclose(f);
  DeleteFileA(path.c_str());

  const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), signature, 8), 0);
  auto be32 = [&](std::size_t at) {
    return (std::uint32_t(png[at]) << 24) | (std::uint32_t(png[at + 1]) << 16) |
           (std::uint32_t(png[at + 2]) << 8) | png[at + 3];
  };
  // Walk the chunks: every CRC must hold; the IDAT payload must inflate (as
  // stored blocks) back to the filtered rows with the right Adler-32.
  std::vector<std::string> types;
  std::vector<std::uint8_t> raw;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = be32(at);
    ASSERT_LE(at + 12 + length, png.size());
    const std::string type(reinterpret_cast<const char*>(&png[at + 4]), 4);
    types.push_back(type);
    EXPECT_EQ(crc32(&png[at + 4], length + 4), be32(at + 8 + length)) << type;
    if (type == "IHDR") {
      EXPECT_EQ(be32(at + 8), 100u);
      EXPECT_EQ(be32(at + 12), 300u);
    }
    if (type == "IDAT") {
      std::size_t p = at + 8 + 2;
      for (bool last = false; !last;) {
        last = png[p] & 1;
        const std::size_t n = png[p + 1] | (png[p + 2] << 8);
        EXPECT_EQ(n ^ 0xFFFF, std::size_t(png[p + 3] | (png[p + 4] << 8)));
        raw.insert(raw.end(), png.begin() + p + 5, png.begin() + p + 5 + n);
        p += 5 + n;
      }
      EXPECT_EQ(adler32(raw.data(), raw.size()), be32(p));
    }
    at += 12 + length;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  ASSERT_EQ(raw.size(), static_cast<std::size_t>(h) * (w * 3 + 1));
  EXPECT_EQ(raw[0], 0);                 // filter type of the first row
  EXPECT_EQ(raw[1 + 3 * w + 1], rgb[3 * w]);  // first byte of the second row
}

}  // namespace
}  // namespace e2e
}  // namespace tc
