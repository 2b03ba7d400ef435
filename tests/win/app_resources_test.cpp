// The built TelvoCleaner.exe read back: its version resource, its manifest,
// its icon, and a PE32 i386 image that imports only system DLLs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace {

std::string product_path() {
  std::string path = "Z:" TC_BINARY_DIR "/TelvoCleaner.exe";
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::wstring wide(const char* cp936) {
  const int n = MultiByteToWideChar(936, 0, cp936, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
  if (n > 1) MultiByteToWideChar(936, 0, cp936, -1, &out[0], n);
  return out;
}

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

struct ModuleCloser {
  void operator()(HMODULE m) const {
    if (m != nullptr) FreeLibrary(m);
  }
};
using DataModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

class AppResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module.reset(LoadLibraryExA(product_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module) << "cannot open " << product_path() << " as data: " << GetLastError();
  }
  // The resource's bytes; empty when it is not there.
  std::vector<unsigned char> resource(LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module.get(), name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module.get(), found);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    if (bytes == nullptr) return {};
    return std::vector<unsigned char>(bytes, bytes + SizeofResource(module.get(), found));
  }
  DataModule module;
};

TEST_F(AppResources, VersionResource) {
  std::vector<unsigned char> block = resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  ASSERT_FALSE(block.empty());
  // version.dll is loaded by name so the tests need no import of their own.
  using Query = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  HMODULE version = LoadLibraryA("version.dll");
  ASSERT_NE(version, nullptr);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueW")));
  ASSERT_NE(query, nullptr);

  void* value = nullptr;
  UINT size = 0;
  ASSERT_TRUE(query(block.data(), L"\\", &value, &size));
  ASSERT_GE(size, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00040001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00040001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  ASSERT_TRUE(query(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
  ASSERT_EQ(size, 4u);
  const auto* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(translation[0], 0x0804);  // Chinese (Simplified, PRC)
  EXPECT_EQ(translation[1], 936);

  struct Entry {
    const wchar_t* name;
    const char* expected;
  };
  const Entry entries[] = {
      {L"FileDescription", "清除Telvo软件的弹窗广告和升级程序"},
      {L"ProductName", "Telvo弹窗广告清除V4.1_Nolbrook"},
      {L"Comments", "Pakzo Glimra 输入法 浏览器"},
      {L"FileVersion", "4.1.1.1"},
      {L"ProductVersion", "4.1.1.1"},
  };
  for (const Entry& e : entries) {
    SCOPED_TRACE(narrow(e.name));
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080403a8\\") + e.name;
    value = nullptr;
    size = 0;
    ASSERT_TRUE(query(block.data(), path.c_str(), &value, &size));
    std::wstring text(static_cast<const wchar_t*>(value));
    EXPECT_TRUE(text == wide(e.expected)) << narrow(text);
  }
  FreeLibrary(version);
}

TEST_F(AppResources, ManifestAndIcon) {
  std::vector<unsigned char> bytes = resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST 1";
  const std::string manifest(bytes.begin(), bytes.end());
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                           "publicKeyToken=\"6595b64144ccf1df\"", "level=\"asInvoker\"",
                           "uiAccess=\"false\"", ">true/pm<", "PerMonitorV2"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
  EXPECT_FALSE(resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)).empty()) << "no icon group";
}

// The file's PE headers and import table, read from its bytes.
TEST(AppImage, Pe32ForI386ImportingOnlySystemDlls) {
  std::FILE* f = std::fopen(product_path().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<unsigned char> image;
  unsigned char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), f)) > 0;) {
    image.insert(image.end(), chunk, chunk + n);
  }
  std::fclose(f);
  ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
  auto at = [&](std::size_t offset, std::size_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, image.data(), sizeof(dos));
  ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
  const std::size_t nt_offset = static_cast<std::size_t>(dos.e_lfanew);
  ASSERT_TRUE(at(nt_offset, sizeof(IMAGE_NT_HEADERS32)));
  IMAGE_NT_HEADERS32 nt;
  std::memcpy(&nt, &image[nt_offset], sizeof(nt));
  ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

  const std::size_t sections_offset = nt_offset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                      nt.FileHeader.SizeOfOptionalHeader;
  std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
  ASSERT_TRUE(at(sections_offset, sections.size() * sizeof(IMAGE_SECTION_HEADER)));
  std::memcpy(sections.data(), &image[sections_offset], sections.size() * sizeof(IMAGE_SECTION_HEADER));
  auto file_offset = [&](DWORD rva) -> std::size_t {
    for (const auto& s : sections) {
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return static_cast<std::size_t>(-1);
  };

  const IMAGE_DATA_DIRECTORY imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(imports.VirtualAddress, 0u);
  const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                        "shlwapi.dll",  "shell32.dll", "ole32.dll",   "oleaut32.dll",
                                        "comctl32.dll", "msvcrt.dll",  "version.dll", "comdlg32.dll"};
  std::set<std::string> imported;
  for (std::size_t d = file_offset(imports.VirtualAddress);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    ASSERT_TRUE(at(d, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    std::memcpy(&descriptor, &image[d], sizeof(descriptor));
    if (descriptor.Name == 0) break;
    const std::size_t name = file_offset(descriptor.Name);
    ASSERT_TRUE(at(name, 1));
    std::string dll(reinterpret_cast<const char*>(&image[name]),
                    strnlen(reinterpret_cast<const char*>(&image[name]), image.size() - name));
    std::transform(dll.begin(), dll.end(), dll.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    imported.insert(dll);
    EXPECT_TRUE(system.count(dll)) << "imports " << dll;
  }
  EXPECT_TRUE(imported.count("kernel32.dll"));
  EXPECT_TRUE(imported.count("user32.dll"));
}

}  // namespace
