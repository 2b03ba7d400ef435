#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <glob.h>
#include <iterator>

#include "module/host_module_port.h"
#include "module/memory_module.h"
#include "module_image_writer.h"

using tc::HostModulePort;
using tc::MemoryModule;
using tc_test::Bytes;
using tc_test::ImageWriter;

namespace {

struct Loader : ::testing::Test {
  HostModulePort port;
  MemoryModule module{port};
  Loader() { port.resolve_everything = true; }
  bool load(const Bytes& b, std::uint32_t resolver = 0, std::uint32_t data = 0) {
    return module.load_image(b.data(), b.size(), resolver, data);
  }
  std::uint32_t read32(std::uint32_t rva) {
    return tc_test::get32(port.memory(module.module_handle()) + rva);
  }
};

// Images that must be refused: nothing allocated, or the block released.
TEST_F(Loader, RefusesBrokenImagesWithoutLeavingABlock) {
  struct Case {
    const char* label;
    std::function<Bytes()> make;
  };
  auto mutate = [](std::function<void(ImageWriter&)> change) {
    return [change]() {
      ImageWriter w = tc_test::engine_shaped_image();
      change(w);
      return w.build();
    };
  };
  auto patch = [](std::function<void(Bytes&)> change) {
    return [change]() {
      Bytes b = tc_test::engine_shaped_image().build();
      change(b);
      return b;
    };
  };
  const Case cases[] = {
      {"empty buffer", [] { return Bytes(); }},
      {"63 bytes", [] { Bytes b(63, 0); b[0] = 'M'; b[1] = 'Z'; return b; }},
      {"64 bytes MZ with e_lfanew 0", [] { Bytes b(64, 0); b[0] = 'M'; b[1] = 'Z'; return b; }},
      {"no MZ", patch([](Bytes& b) { b[0] = 'Z'; })},
      {"PE followed by a nonzero byte", patch([](Bytes& b) { b[64 + 3] = 1; })},
      {"no executable bit", mutate([](ImageWriter& w) { w.characteristics = 0x2100; })},
      {"negative e_lfanew", patch([](Bytes& b) { tc_test::put32(b, 60, 0xFFFFFFF0u); })},
      {"e_lfanew far beyond the buffer", patch([](Bytes& b) { tc_test::put32(b, 60, 0x7FFFFFF0u); })},
      {"buffer ends inside the section table", patch([](Bytes& b) { b.resize(64 + 248 + 40 + 10); })},
      {"buffer ends inside raw data", patch([](Bytes& b) { b.resize(b.size() - 4); })},
      {"raw data pointer beyond the buffer",
       patch([](Bytes& b) { tc_test::put32(b, 64 + 248 + 40 + 20, 0x7FFFFF00); })},
      {"SizeOfImage 0 and no sections",
       mutate([](ImageWriter& w) { w.sections.clear(); w.size_of_image = 0; })},
      {"relocation block of 4 bytes",
       mutate([](ImageWriter& w) { w.set32(w.dirs[5][0] + 4, 4); })},
      {"relocation block of 0 bytes",
       mutate([](ImageWriter& w) { w.set32(w.dirs[5][0] + 4, 0); })},
      {"relocation block running past the image",
       mutate([](ImageWriter& w) { w.set32(w.dirs[5][0] + 4, 0x100000); })},
      {"relocation target past the image",
       mutate([](ImageWriter& w) { w.set32(w.dirs[5][0], 0x2FFF); w.set32(w.dirs[5][0] + 8, 0x3FFF); })},
      {"relocation directory past the image",
       mutate([](ImageWriter& w) { w.dirs[5][0] = 0x7FFFFFF0; })},
      {"import descriptor past the image", mutate([](ImageWriter& w) { w.dirs[1][0] = 0x2FFFC; })},
      {"library name past the image",
       mutate([](ImageWriter& w) { w.set32(w.dirs[1][0] + 12, 0xFFFFFF00u); })},
      {"import name past the image",
       mutate([](ImageWriter& w) { w.set32(w.get(w.dirs[1][0] + 16), 0x00FFFFFF); })},
      {"thunk array past the image",
       mutate([](ImageWriter& w) { w.set32(w.dirs[1][0] + 16, 0x7FFFFFF0); })},
      {"entry point outside the image", mutate([](ImageWriter& w) { w.entry = 0x40000; })},
      {"header area larger than the image",
       mutate([](ImageWriter& w) { w.sections.clear(); w.size_of_image = 0x100; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostModulePort p;
    p.resolve_everything = true;
    MemoryModule m(p);
    Bytes b = c.make();
    EXPECT_FALSE(m.load_image(b.data(), b.size()));
    EXPECT_EQ(m.module_handle(), 0u);
    EXPECT_TRUE(p.blocks.empty());
    EXPECT_TRUE(p.calls.empty());
  }
}

TEST_F(Loader, EngineShapedImageLoadsRelocatesBindsAndCallsEntry) {
  ImageWriter w = tc_test::engine_shaped_image();
  port.taken.insert(w.image_base);  // preferred address taken: lands elsewhere
  port.libraries["KERNEL32.dll"] = 0x71000000;
  port.procedures[{0x71000000, "GetTickCount"}] = 0x71001111;
  ASSERT_TRUE(load(w.build()));
  const std::uint32_t base = module.module_handle();
  EXPECT_NE(base, w.image_base);
  EXPECT_EQ(module.image_size(), 0x3000u);
  // The type-3 target moved by the delta; the type-0 entry changed nothing.
  const std::uint32_t slot = ImageWriter::kData + (w.get(w.dirs[5][0] + 8) & 0xFFF);
  EXPECT_EQ(read32(slot), base + 0x1234);
  EXPECT_EQ(read32(ImageWriter::kData), w.get(ImageWriter::kData));
  // Thunks hold the bound addresses; names were read from FirstThunk.
  const std::uint32_t thunks = w.get(w.dirs[1][0] + 16);
  EXPECT_EQ(read32(thunks), 0x71001111u);
  EXPECT_EQ(port.loaded_libraries, (std::vector<std::string>{"KERNEL32.dll", "USER32.dll"}));
  // The first section has no raw data: zeros.
  for (std::uint32_t i = 0; i < 0x1000; i += 4) ASSERT_EQ(read32(0x1000 + i), 0u);
  ASSERT_EQ(port.calls.size(), 1u);
  EXPECT_EQ(port.calls[0].code, base + 0x1010);
  EXPECT_EQ(port.calls[0].v1, 0u);  // module handle 0, not the image base
  EXPECT_EQ(port.calls[0].v2, 1u);
  EXPECT_EQ(port.calls[0].v3, 0u);
  EXPECT_EQ(module.entry_point_address(), base + 0x1010);
  EXPECT_EQ(module.find_export("SkinH_AttachRes"), base + 0x1200);
}

TEST_F(Loader, RelocationsAtThePreferredAddressLeaveTargetsAndStopAtTheDirectoryEnd) {
  ImageWriter w = tc_test::engine_shaped_image();
  // Bytes right after the directory look like a block that would corrupt
  // the image if the walk went on to them.
  const std::uint32_t fake_head = w.here();
  ASSERT_EQ(fake_head, w.dirs[5][0] + w.dirs[5][1]);
  const std::uint32_t slot = fake_head + 12;
  w.add32(ImageWriter::kData);
  w.add32(12);
  w.add32(0x3000 | (slot - ImageWriter::kData));
  ASSERT_EQ(w.add32(0xAAAA0000), slot);
  port.taken.insert(w.image_base);
  ASSERT_TRUE(load(w.build()));
  EXPECT_EQ(read32(slot), 0xAAAA0000u);

  HostModulePort p2;
  p2.resolve_everything = true;
  MemoryModule at_home(p2);
  ImageWriter w2 = tc_test::engine_shaped_image();
  Bytes b2 = w2.build();
  ASSERT_TRUE(at_home.load_image(b2.data(), b2.size()));
  EXPECT_EQ(at_home.module_handle(), w2.image_base);
  const std::uint32_t s2 = ImageWriter::kData + (w2.get(w2.dirs[5][0] + 8) & 0xFFF);
  EXPECT_EQ(tc_test::get32(p2.memory(w2.image_base) + s2), w2.image_base + 0x1234);
}

TEST_F(Loader, ImageSizeIsRaisedToTheLastSectionButNeverLowered) {
  struct Case {
    const char* label;
    std::uint32_t size_of_image, alignment, expected;
  };
  const Case cases[] = {
      {"smaller header value raised", 0x1000, 0x1000, 0x3000},
      {"larger header value kept", 0x8000, 0x1000, 0x8000},
      {"odd alignment rounds up", 0x100, 0x3000, 0x3000},
      {"alignment 0 leaves the header value", 0x2800, 0, 0x2800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostModulePort p;
    p.resolve_everything = true;
    MemoryModule m(p);
    ImageWriter w;
    w.characteristics = 0x0102;
    w.size_of_image = c.size_of_image;
    w.alignment = c.alignment;
    w.sections[1].raw = Bytes(0x100, 0x5A);
    w.sections[1].virtual_size = 0x800;
    Bytes b = w.build();
    ASSERT_TRUE(m.load_image(b.data(), b.size()));
    EXPECT_EQ(m.image_size(), c.expected);
    // The copied headers keep the buffer's SizeOfImage.
    EXPECT_EQ(tc_test::get32(p.memory(m.module_handle()) + 64 + 24 + 56), c.size_of_image);
  }
}

TEST_F(Loader, SectionsWithoutRawDataOrAddressStayZero) {
  ImageWriter w;
  w.characteristics = 0x0102;
  w.sections[1].raw = Bytes(16, 0x11);
  w.sections.push_back({0, 0x100, Bytes(16, 0x22)});           // address 0: not copied
  w.sections.push_back({0x3000, 0x1000, {}});                  // no raw data
  Bytes b = w.build();
  ASSERT_TRUE(load(b));
  const unsigned char* m = port.memory(module.module_handle());
  EXPECT_EQ(m[0x2000], 0x11);
  EXPECT_EQ(m[0x2010], 0);  // beyond the raw data
  for (std::uint32_t i = 0x3000; i < 0x4000; ++i) ASSERT_EQ(m[i], 0) << i;
  // Only the headers up to the section table are copied.
  const std::uint32_t headers_end = 64 + 248 + 40 * 4;
  EXPECT_EQ(m[headers_end], 0);
  EXPECT_EQ(std::memcmp(m, b.data(), headers_end), 0);
  EXPECT_TRUE(port.calls.empty());  // no DLL bit: nothing is called
}

TEST_F(Loader, OrdinalImportGivesTheResolverItsTextAndTheLibraryTheNumber) {
  ImageWriter w;
  w.characteristics = 0x0102;
  w.imports({{"ord.dll", {{"", 7}, {"ByName"}}}});
  port.resolve_everything = false;
  port.libraries["ord.dll"] = 0x72000000;
  port.procedures[{0x72000000, "#7"}] = 0x72000007;
  port.procedures[{0x72000000, "ByName"}] = 0x72000099;
  port.callees[0x5000] = [](const HostModulePort::Call&) { return 0u; };  // let the library decide
  ASSERT_TRUE(load(w.build(), 0x5000, 0xD00D));
  ASSERT_EQ(port.calls.size(), 2u);
  EXPECT_TRUE(port.calls[0].resolver);
  EXPECT_EQ(port.calls[0].library, "ord.dll");
  EXPECT_EQ(port.calls[0].name, "7");
  EXPECT_EQ(port.calls[0].v3, 0xD00Du);
  EXPECT_EQ(port.calls[1].name, "ByName");
  EXPECT_EQ(port.proc_requests[0].second, "#7");
  const std::uint32_t thunks = w.get(w.dirs[1][0] + 16);
  EXPECT_EQ(read32(thunks), 0x72000007u);
  EXPECT_EQ(read32(thunks + 4), 0x72000099u);
}

TEST_F(Loader, ResolverAnswerWinsOverTheLibrary) {
  ImageWriter w;
  w.characteristics = 0x0102;
  w.imports({{"nowhere.dll", {{"Fn"}}}});
  port.resolve_everything = false;
  port.callees[0x5000] = [](const HostModulePort::Call&) { return 0x12345678u; };
  ASSERT_TRUE(load(w.build(), 0x5000));
  EXPECT_EQ(read32(w.get(w.dirs[1][0] + 16)), 0x12345678u);
  EXPECT_TRUE(port.proc_requests.empty());
}

TEST_F(Loader, MissingImportFailsAndLeavesNoBlock) {
  ImageWriter w = tc_test::engine_shaped_image();
  port.resolve_everything = false;
  port.libraries["KERNEL32.dll"] = 0x71000000;
  port.procedures[{0x71000000, "GetTickCount"}] = 1;
  port.procedures[{0x71000000, "Sleep"}] = 2;
  EXPECT_FALSE(load(w.build()));
  EXPECT_TRUE(port.blocks.empty());
  EXPECT_TRUE(port.calls.empty());
  EXPECT_EQ(port.loaded_libraries.size(), 2u);  // the libraries stay loaded
}

TEST_F(Loader, EntryPointRefusingAttachIsDetachedAndTheLoadFails) {
  ImageWriter w = tc_test::engine_shaped_image();
  port.call_result = 0;
  EXPECT_FALSE(load(w.build()));
  ASSERT_EQ(port.calls.size(), 2u);
  EXPECT_EQ(port.calls[1].code, port.calls[0].code);
  EXPECT_EQ(port.calls[1].v1, 0u);
  EXPECT_EQ(port.calls[1].v2, 0u);
  EXPECT_EQ(port.calls[1].v3, 0u);
  EXPECT_TRUE(port.blocks.empty());
}

TEST_F(Loader, DllWithoutEntryPointLoadsWithoutACall) {
  ImageWriter w = tc_test::engine_shaped_image();
  w.entry = 0;
  ASSERT_TRUE(load(w.build()));
  EXPECT_TRUE(port.calls.empty());
  EXPECT_TRUE(module.free_image());
  EXPECT_TRUE(port.calls.empty());
}

TEST_F(Loader, FreeImageDetachesReleasesAndReloadFreesFirst) {
  EXPECT_TRUE(module.free_image());  // empty: nothing to do
  EXPECT_TRUE(port.calls.empty());

  Bytes b = tc_test::engine_shaped_image().build();
  ASSERT_TRUE(load(b));
  const std::uint32_t first = module.module_handle();
  ASSERT_TRUE(load(b));  // the first image is detached and released first
  ASSERT_EQ(port.calls.size(), 3u);
  EXPECT_EQ(port.calls[1].v2, 0u);
  EXPECT_EQ(port.blocks.size(), 1u);
  EXPECT_EQ(module.module_handle(), first);  // its address became free again

  port.release_fails = true;
  EXPECT_FALSE(module.free_image());
  EXPECT_EQ(module.module_handle(), first);
  port.release_fails = false;

  // Headers overwritten in memory: the unload fails, the image stays.
  unsigned char* m = port.memory(first);
  m[0] = 0;
  EXPECT_FALSE(module.free_image());
  m[0] = 'M';
  EXPECT_TRUE(module.free_image());
  EXPECT_EQ(module.module_handle(), 0u);
  EXPECT_EQ(module.entry_point_address(), 0u);
  EXPECT_TRUE(port.blocks.empty());
}

TEST_F(Loader, CopySharesTheImage) {
  ASSERT_TRUE(load(tc_test::engine_shaped_image().build()));
  std::unique_ptr<MemoryModule> twin(module.copy());
  EXPECT_EQ(twin->module_handle(), module.module_handle());
  EXPECT_EQ(twin->find_export("Zeta"), module.find_export("Zeta"));
  twin.reset();  // destroy: the image stays
  EXPECT_EQ(port.blocks.size(), 1u);
  EXPECT_NE(module.find_export("Zeta"), 0u);
}

TEST_F(Loader, FindExport) {
  EXPECT_EQ(module.find_export("Alpha"), 0u);  // empty object

  ImageWriter w;
  w.characteristics = 0x0102;
  // Function 1 is 0: its name must not stop the search for a later match.
  w.exports(5, {0x1100, 0, 0x1300, 0x1400},
            {{"Alpha", 0}, {"Dup", 1}, {"Dup", 2}, {"Out", 9}, {"Last", 3}}, /*scattered=*/true);
  ASSERT_TRUE(load(w.build()));
  const std::uint32_t base = module.module_handle();
  struct Case {
    const char* request;
    std::uint32_t rva;  // 0: not found
  };
  const Case cases[] = {
      {"Alpha", 0x1100}, {"Dup", 0x1300},  {"Last", 0x1400}, {"alpha", 0},
      {"Out", 0},        {"Missing", 0},   {"", 0},          {"5", 0x1100},
      {"7", 0x1300},     {"8", 0x1400},    {"6", 0},         {"4", 0},
      {"9", 0},          {"-3", 0},        {"005", 0},       {"+5", 0},
      {" 5", 0},         {"-0", 0},        {"2147483648", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(module.find_export(c.request), c.rva ? base + c.rva : 0u);
  }

  HostModulePort p;
  MemoryModule no_exports(p);
  ImageWriter bare;
  bare.characteristics = 0x0102;
  Bytes b = bare.build();
  ASSERT_TRUE(no_exports.load_image(b.data(), b.size()));
  EXPECT_EQ(no_exports.find_export("1"), 0u);
  EXPECT_EQ(no_exports.find_export("Alpha"), 0u);
}

TEST_F(Loader, ExportTablesOutsideTheImageFindNothing) {
  struct Case {
    const char* label;
    std::uint32_t field;  // offset in the export directory
    std::uint32_t value;
    bool found;  // the name comes before the walk leaves the image
  };
  const Case cases[] = {
      {"function table", 28, 0x7FFFFFF0, false}, {"name table", 32, 0xFFFFFFF0, false},
      {"ordinal table", 36, 0x2FFFF, false},     {"huge name count", 24, 0x40000000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostModulePort p;
    p.resolve_everything = true;
    MemoryModule m(p);
    ImageWriter w = tc_test::engine_shaped_image();
    w.set32(w.dirs[0][0] + c.field, c.value);
    Bytes b = w.build();
    ASSERT_TRUE(m.load_image(b.data(), b.size()));
    EXPECT_EQ(m.find_export("SkinH_AttachRes") != 0, c.found);
    EXPECT_EQ(m.find_export("NotThere"), 0u);
  }
}

TEST(OrdinalText, FollowsIntegerToTextForm) {
  const std::pair<const char*, bool> cases[] = {
      {"12", true},  {"-3", true},  {"0", true},   {"2147483647", true}, {"-2147483648", true},
      {"012", false}, {"+12", false}, {" 12", false}, {"-0", false},       {"2147483648", false},
      {"-", false},  {"", false},   {"1a", false}, {"12 ", false},       {"SkinH_AttachRes", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(tc::is_ordinal_text(c.first, nullptr), c.second);
  }
}

Bytes read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<std::string> glob_files(const char* pattern) {
  std::vector<std::string> out;
  glob_t g;
  if (glob(pattern, 0, nullptr, &g) == 0)
    for (std::size_t i = 0; i < g.gl_pathc; ++i) out.push_back(g.gl_pathv[i]);
  globfree(&g);
  return out;
}

// Packed and odd executables, and the MinGW runtime DLLs (with TLS
// directories): each maps or is refused, never a crash; a refused one leaves
// no block.
TEST(RealImages, MapOrAreRefusedCleanly) {
  std::vector<std::string> files;
  for (const char* pattern : {"/usr/share/clamav-testfiles/*.exe", "/usr/share/clamav-testfiles/*.dll",
                              "/usr/lib/gcc/i686-w64-mingw32/12-posix/*.dll",
                              "/usr/i686-w64-mingw32/lib/*.dll"})
    for (const auto& f : glob_files(pattern)) files.push_back(f);
  if (files.empty()) GTEST_SKIP() << "no test images installed";
  int loaded = 0, dlls = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    Bytes b = read_file(path);
    HostModulePort p;
    p.resolve_everything = true;
    MemoryModule m(p);
    const bool ok = m.load_image(b.data(), b.size());
    if (!ok) {
      EXPECT_TRUE(p.blocks.empty());
      continue;
    }
    ++loaded;
    if (path.find("mingw32") != std::string::npos) {
      ++dlls;
      // Every MinGW DLL exports DllMain-independent names; at least one resolves.
      EXPECT_NE(m.entry_point_address(), 0u);
    }
    EXPECT_TRUE(m.free_image());
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GE(dlls, 1);
  std::printf("real images: %zu files, %d mapped, %d of them MinGW DLLs\n", files.size(), loaded, dlls);
}

}  // namespace
