// Footprint of the built program: its file size, the DLLs its import tables
// name (each should be a DLL of the system folder), and the memory the
// running program uses during a whole cleaning run, sampled from outside.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "e2e/driver.h"
#include "support/committed_memory.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<unsigned char> read_file(const std::string& path) {
  std::vector<unsigned char> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  unsigned char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), f)) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  std::fclose(f);
  return bytes;
}

// The DLL names of a PE32 image's import and delay-import tables, lower case,
// in table order ("delay:" marks the second kind). *error says what was wrong
// with a malformed image.
std::vector<std::string> imported_dlls(const std::vector<unsigned char>& image, std::string* error) {
  std::vector<std::string> dlls;
  auto fail = [&](const char* why) {
    *error = why;
    return std::vector<std::string>();
  };
  auto fits = [&](std::size_t offset, std::size_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  IMAGE_DOS_HEADER dos;
  if (!fits(0, sizeof(dos))) return fail("shorter than a DOS header");
  std::memcpy(&dos, image.data(), sizeof(dos));
  const std::size_t nt_offset = static_cast<std::size_t>(dos.e_lfanew);
  IMAGE_NT_HEADERS32 nt;
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || !fits(nt_offset, sizeof(nt))) {
    return fail("no PE header");
  }
  std::memcpy(&nt, &image[nt_offset], sizeof(nt));
  if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    return fail("not a PE32 image");
  }
  const std::size_t sections_offset = nt_offset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                      nt.FileHeader.SizeOfOptionalHeader;
  std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
  if (!fits(sections_offset, sections.size() * sizeof(IMAGE_SECTION_HEADER))) {
    return fail("section table out of the file");
  }
  std::memcpy(sections.data(), &image[sections_offset], sections.size() * sizeof(IMAGE_SECTION_HEADER));
  auto file_offset = [&](DWORD rva) -> std::size_t {
    for (const auto& s : sections) {
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.SizeOfRawData) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return static_cast<std::size_t>(-1);
  };
  auto name_at = [&](DWORD rva, std::string* name) {
    const std::size_t at = file_offset(rva);
    if (!fits(at, 1)) return false;
    const char* text = reinterpret_cast<const char*>(&image[at]);
    *name = lower(std::string(text, strnlen(text, image.size() - at)));
    return true;
  };

  const IMAGE_DATA_DIRECTORY& imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress != 0) {
    for (std::size_t d = file_offset(imports.VirtualAddress);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      IMAGE_IMPORT_DESCRIPTOR descriptor;
      if (!fits(d, sizeof(descriptor))) return fail("import table out of the file");
      std::memcpy(&descriptor, &image[d], sizeof(descriptor));
      if (descriptor.Name == 0) break;
      std::string name;
      if (!name_at(descriptor.Name, &name)) return fail("import name out of the file");
      dlls.push_back(name);
    }
  }
  // Delay-load descriptors: attributes, DLL name, then six more fields; the
  // name is an address unless bit 0 of the attributes says it is an RVA.
  const IMAGE_DATA_DIRECTORY& delayed = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
  if (delayed.VirtualAddress != 0) {
    for (std::size_t d = file_offset(delayed.VirtualAddress);; d += 8 * sizeof(DWORD)) {
      DWORD fields[8];
      if (!fits(d, sizeof(fields))) return fail("delay-import table out of the file");
      std::memcpy(fields, &image[d], sizeof(fields));
      if (fields[1] == 0) break;
      const DWORD rva = (fields[0] & 1) ? fields[1] : fields[1] - nt.OptionalHeader.ImageBase;
      std::string name;
      if (!name_at(rva, &name)) return fail("delay-import name out of the file");
      dlls.push_back("delay:" + name);
    }
  }
  return dlls;
}

bool is_system_dll(const std::string& dll) {
  // A name with a folder in it is looked up there, not in the system folder.
  if (dll.empty() || dll.find_first_of("\\/:") != std::string::npos) return false;
  static const char* const kKnown[] = {"kernel32.dll", "user32.dll", "gdi32.dll",   "advapi32.dll",
                                       "shell32.dll",  "ole32.dll",  "oleaut32.dll", "comctl32.dll",
                                       "msvcrt.dll",   "ntdll.dll",  "shlwapi.dll",  "version.dll"};
  for (const char* known : kKnown) {
    if (dll == known) return true;
  }
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return GetFileAttributesA((std::string(folder) + "\\" + dll).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void bench_file() {
  const std::string exe = tc::e2e::product_exe();
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data)) {
    std::printf("cannot read %s\n", exe.c_str());
    return;
  }
  const double bytes = static_cast<double>(data.nFileSizeLow) +
                       static_cast<double>(data.nFileSizeHigh) * 4294967296.0;
  std::printf("TelvoCleaner.exe: %.0f bytes (skin engine and skin embedded)\n", bytes);
  tc::bench::figure("TelvoCleaner.exe size", bytes / 1024.0, "KB", "<= 400");

  std::string error;
  const std::vector<std::string> dlls = imported_dlls(read_file(exe), &error);
  if (!error.empty()) {
    std::printf("cannot read the import table: %s\n", error.c_str());
    return;
  }
  int foreign = 0;
  std::string list;
  for (const std::string& entry : dlls) {
    const std::string dll = entry.compare(0, 6, "delay:") == 0 ? entry.substr(6) : entry;
    const bool system = is_system_dll(dll);
    if (!system) ++foreign;
    list += (list.empty() ? "" : ", ") + entry + (system ? "" : " (NOT a system DLL)");
  }
  std::printf("imports %zu DLLs: %s\n", dlls.size(), list.c_str());
  tc::bench::figure("imported DLLs outside the system", foreign, "DLLs", "0");
}

// What one look at a process's memory gives. Wine 8 answers
// GetProcessMemoryInfo with PrivateUsage 0, and PagefileUsage (which it also
// gives as the "peak") is the resident anonymous memory of the whole Unix
// process, Wine's own included. Private bytes as Windows counts them, the
// committed private pages, come from walking the address space with
// VirtualQueryEx; for another process that is slow (about 60 ms a walk), so
// the walk is done less often than the counters.
struct Memory {
  double private_usage = 0.0;
  double pagefile = 0.0;
  double peak_working_set = 0.0;
  double committed_private = 0.0;
};

// Counters only; committed_private stays 0 unless walk is set.
Memory look_at(HANDLE process, bool walk = true) {
  Memory memory;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters))) {
    memory.private_usage = static_cast<double>(counters.PrivateUsage);
    memory.pagefile = static_cast<double>(std::max(counters.PagefileUsage, counters.PeakPagefileUsage));
    memory.peak_working_set = static_cast<double>(counters.PeakWorkingSetSize);
  }
  if (walk) memory.committed_private = static_cast<double>(tc_test::committed_private_bytes(process));
  return memory;
}

void print_memory(const char* who, const Memory& m) {
  std::printf("%-40s committed private %5.2f MB | GetProcessMemoryInfo: PrivateUsage %5.2f, "
              "PagefileUsage %5.2f, PeakWorkingSetSize %5.2f MB\n",
              who, m.committed_private / kMiB, m.private_usage / kMiB, m.pagefile / kMiB,
              m.peak_working_set / kMiB);
}

// The highest value each counter reached over all samples.
void keep_peak(Memory* peak, const Memory& m) {
  peak->private_usage = std::max(peak->private_usage, m.private_usage);
  peak->pagefile = std::max(peak->pagefile, m.pagefile);
  peak->peak_working_set = std::max(peak->peak_working_set, m.peak_working_set);
  peak->committed_private = std::max(peak->committed_private, m.committed_private);
}

// The figures of the minimal window program, for the floor Wine itself sets.
Memory g_baseline;

// The baseline: the minimal window program with its window shown, measured
// the same way. Under Wine most of a process's memory is Wine's own.
void print_minimal_window_memory() {
  std::string exe = tc::bench::bench_program("minimal_window.exe");
  std::string command_line = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    std::printf("cannot start %s\n", exe.c_str());
    return;
  }
  HWND window = nullptr;
  for (int waited = 0; window == nullptr && waited < 30000; waited += 10) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, nullptr, "TcMinimalWindow")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == info.dwProcessId && IsWindowVisible(candidate)) window = candidate;
    }
    if (window == nullptr) Sleep(10);
  }
  if (window != nullptr) {
    Sleep(200);  // let it finish painting
    g_baseline = look_at(info.hProcess);
    print_memory("minimal_window.exe, window shown", g_baseline);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(info.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

void bench_memory() {
  print_memory("this bench program (plausibility check)", look_at(GetCurrentProcess()));
  print_minimal_window_memory();

  std::string error;
  auto app = tc::e2e::App::start(tc::e2e::product_exe(), &error);
  if (!app) {
    std::printf("cannot start the program: %s\n", error.c_str());
    return;
  }
  const Memory at_start = look_at(app->process());
  print_memory("TelvoCleaner.exe, window shown", at_start);
  Memory peak = at_start;
  const double start = tc::bench::now_ms();
  double last_walk = start;
  app->press_button();
  bool finished = false;
  int samples = 0;
  while (tc::bench::now_ms() - start < 120000 && app->running()) {
    const bool walk = tc::bench::now_ms() - last_walk >= 250.0;
    if (walk) last_walk = tc::bench::now_ms();
    keep_peak(&peak, look_at(app->process(), walk));
    ++samples;
    if (app->log_text().find("操作全部结束") != std::string::npos) {
      finished = true;
      break;
    }
    Sleep(20);
  }
  const double run_ms = tc::bench::now_ms() - start;
  keep_peak(&peak, look_at(app->process()));
  print_memory("TelvoCleaner.exe, highest during the run", peak);
  const std::string transcript = app->log_text();
  int cleaned = 0;
  for (std::size_t at = transcript.find("广告清理完毕"); at != std::string::npos;
       at = transcript.find("广告清理完毕", at + 1))
    ++cleaned;
  std::printf("the run %s after %.0f ms (%d samples, %ld log lines, %d of the four products "
              "cleaned from the demo installation)\n",
              finished ? "ended" : "did NOT end", run_ms, samples,
              static_cast<long>(std::count(transcript.begin(), transcript.end(), '\n')) + 1, cleaned);
  app->close();
  if (!app->wait_for_exit(15000)) std::printf("the program did not end after WM_CLOSE\n");
  tc::bench::figure("peak private memory during a run", peak.committed_private / kMiB, "MB", "<= 8");
  tc::bench::figure("  of it above the minimal window program",
                    (peak.committed_private - g_baseline.committed_private) / kMiB, "MB", "-");
  tc::bench::figure("peak resident anonymous memory (Wine)", peak.pagefile / kMiB, "MB", "-");
}

}  // namespace

int main() {
  bench_file();
  bench_memory();
  return 0;
}
