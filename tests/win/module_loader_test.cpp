#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "module/host_module_port.h"
#include "module/memory_module.h"
#include "module/skin_attach.h"
#include "module/stored_skin.h"

namespace {

std::uint32_t get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

TEST(StoredEngine, LoadsFromMemoryAndExportsSkinHAttachRes) {
  ASSERT_GT(tc_stored_engine_image_size, 1024u);
  std::unique_ptr<tc::MemoryModule> module(tc::new_program_memory_module());
  EXPECT_EQ(module->find_export("SkinH_AttachRes"), 0u);
  ASSERT_TRUE(tc::skin_startup_hook(*module));
  const std::uint32_t base = module->module_handle();
  ASSERT_NE(base, 0u);
  const std::uint32_t attach = module->find_export("SkinH_AttachRes");
  EXPECT_GT(attach, base);
  EXPECT_LT(attach, base + module->image_size());
  EXPECT_EQ(module->find_export("1"), attach);  // its only ordinal
  EXPECT_EQ(module->find_export("SkinH_AttachRes@24"), 0u);
  // The image is not the system's: no module of that name is loaded.
  EXPECT_EQ(GetModuleHandleA("TelvoSkin.dll"), nullptr);
  EXPECT_TRUE(module->free_image());
}

// Records what attach_skin hands to the engine.
struct AttachRecord {
  int calls = 0;
  std::uint32_t args[6] = {};
  std::string password;
} g_record;

int __stdcall record_attach(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                            std::uint32_t e, std::uint32_t f) {
  ++g_record.calls;
  const std::uint32_t v[6] = {a, b, c, d, e, f};
  for (int i = 0; i < 6; ++i) g_record.args[i] = v[i];
  g_record.password = c ? reinterpret_cast<const char*>(static_cast<std::uintptr_t>(c)) : "";
  return 0x5151;
}

// A module whose export is a local recorder (or absent).
class RecordingModule : public tc::MemoryModule {
 public:
  RecordingModule(tc::ModulePort& p, std::uint32_t address) : MemoryModule(p), address_(address) {}
  std::uint32_t find_export(const tc::Text& name) const override {
    names.push_back(name);
    return address_;
  }
  mutable std::vector<tc::Text> names;

 private:
  std::uint32_t address_;
};

std::uint32_t value_of(const void* p) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}

TEST(AttachSkin, PassesTheSkinItsLengthAndThePassword) {
  tc::HostModulePort port;
  RecordingModule module(port, value_of(reinterpret_cast<const void*>(record_attach)));
  struct Case {
    const char* label;
    const unsigned char* skin;
    std::size_t length;
    tc::Text password;
    std::uint32_t v1, v2, v3;
    std::uint32_t skin_arg, length_arg;
  };
  const unsigned char bytes[3] = {1, 2, 3};
  const Case cases[] = {
      {"stored skin, empty password", tc_stored_skin_file, tc_stored_skin_file_size, "", 0, 0, 0,
       value_of(tc_stored_skin_file), static_cast<std::uint32_t>(tc_stored_skin_file_size)},
      {"empty skin buffer", nullptr, 0, "", 0, 0, 0, 0, 0},
      {"password and values", bytes, 3, "pw", 7, 8, 9, value_of(bytes), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    g_record = AttachRecord();
    EXPECT_EQ(tc::attach_skin(module, c.skin, c.length, c.password, c.v1, c.v2, c.v3), 0x5151u);
    ASSERT_EQ(g_record.calls, 1);
    EXPECT_EQ(g_record.args[0], c.skin_arg);
    EXPECT_EQ(g_record.args[1], c.length_arg);
    EXPECT_EQ(g_record.args[2] == 0, c.password.empty());  // 0, not an empty text
    EXPECT_EQ(g_record.password, c.password);
    EXPECT_EQ(g_record.args[3], c.v1);
    EXPECT_EQ(g_record.args[4], c.v2);
    EXPECT_EQ(g_record.args[5], c.v3);
  }
  EXPECT_EQ(module.names.back(), "SkinH_AttachRes");

  g_record = AttachRecord();
  tc::on_main_window_created(module);
  EXPECT_EQ(g_record.calls, 1);
  EXPECT_EQ(g_record.args[0], value_of(tc_stored_skin_file));
  EXPECT_EQ(g_record.args[2], 0u);
}

TEST(AttachSkin, MakesNoCallWithoutTheExport) {
  tc::HostModulePort port;
  RecordingModule module(port, 0);
  g_record = AttachRecord();
  EXPECT_EQ(tc::attach_skin(module, tc_stored_skin_file, tc_stored_skin_file_size, ""), 0u);
  tc::on_main_window_created(module);
  EXPECT_EQ(g_record.calls, 0);
  // An empty module: the export lookup itself finds nothing.
  std::unique_ptr<tc::MemoryModule> empty(tc::new_program_memory_module());
  EXPECT_EQ(tc::attach_skin(*empty, nullptr, 0, ""), 0u);
}

// Exported names of a mapped image, forwarders left out.
std::vector<std::string> exported_names(const unsigned char* m, std::uint32_t size) {
  std::vector<std::string> names;
  auto in = [&](std::uint64_t off, std::uint64_t n) { return off + n <= size; };
  if (!in(60, 4)) return names;
  const std::uint32_t nt = get32(m + 60);
  if (!in(nt, 248)) return names;
  const std::uint32_t dir = get32(m + nt + 24 + 96), dir_size = get32(m + nt + 24 + 100);
  if (dir_size == 0 || !in(dir, 40)) return names;
  const std::uint32_t functions = get32(m + dir + 20), count = get32(m + dir + 24);
  const std::uint32_t ft = get32(m + dir + 28), nt_ = get32(m + dir + 32), ot = get32(m + dir + 36);
  for (std::uint32_t k = 0; k < count; ++k) {
    if (!in(nt_ + 4ull * k, 4) || !in(ot + 2ull * k, 2)) break;
    const std::uint32_t name = get32(m + nt_ + 4 * k);
    const std::uint16_t index = static_cast<std::uint16_t>(m[ot + 2 * k] | (m[ot + 2 * k + 1] << 8));
    if (index >= functions || !in(ft + 4ull * index, 4) || name >= size) continue;
    const std::uint32_t rva = get32(m + ft + 4 * index);
    if (rva >= dir && rva < dir + dir_size) continue;  // forwarder
    names.emplace_back(reinterpret_cast<const char*>(m + name),
                       strnlen(reinterpret_cast<const char*>(m + name), size - name));
  }
  return names;
}

// Every PE32 DLL that Wine ships: mapped with the portable loader over the
// test port (nothing of it runs), each export's offset from the base must be
// what the system's own loader gives.
TEST(RealDlls, ExportOffsetsMatchTheSystemLoader) {
  const std::string folder = "Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows\\";
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "*.dll").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no Wine DLL folder";
  std::vector<std::string> files;
  do files.push_back(fd.cFileName);
  while (FindNextFileA(find, &fd));
  FindClose(find);

  int dlls = 0, names = 0, mismatches = 0, refused = 0, system_refused = 0;
  for (const std::string& file : files) {
    const std::string path = folder + file;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    tc::HostModulePort port;
    port.resolve_everything = true;
    port.max_block = 256u << 20;
    tc::MemoryModule mapped(port);
    if (!mapped.load_image(bytes.data(), bytes.size())) {
      ++refused;
      ADD_FAILURE() << file << ": refused by the mapping";
      continue;
    }
    HMODULE system = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (system == nullptr) {
      ++system_refused;
      continue;
    }
    ++dlls;
    const std::uint32_t base = mapped.module_handle();
    for (const std::string& name : exported_names(port.memory(base), mapped.image_size())) {
      const FARPROC theirs = GetProcAddress(system, name.c_str());
      if (theirs == nullptr) continue;
      ++names;
      const std::uint32_t ours = mapped.find_export(name);
      const std::uint32_t their_offset = value_of(reinterpret_cast<const void*>(theirs)) - value_of(system);
      if (ours - base != their_offset) {
        if (++mismatches <= 20) ADD_FAILURE() << file << "!" << name << ": " << std::hex << (ours - base) << " vs " << their_offset;
      }
    }
    FreeLibrary(system);
  }
  std::printf("real DLLs: %zu files, %d compared, %d exported names compared, %d mismatches, "
              "%d refused by the mapping, %d not loadable by the system\n",
              files.size(), dlls, names, mismatches, refused, system_refused);
  EXPECT_GT(dlls, 400);
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
