// Stand-in of "taskkill /f /t /im name": ends every process of that image name
// (letter case ignored) together with the processes it started.
#include "standin.h"

#include <tlhelp32.h>

using namespace standin;

namespace {

struct Proc {
  DWORD pid;
  DWORD parent;
  std::string name;
};

std::vector<Proc> processes() {
  std::vector<Proc> list;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return list;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry))
    list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
  CloseHandle(snap);
  return list;
}

bool end_process(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  bool ok = TerminateProcess(process, 1) != FALSE;
  if (ok) WaitForSingleObject(process, 2000);
  CloseHandle(process);
  return ok;
}

}  // namespace

int main() {
  record_call();
  std::vector<std::string> args = arguments();
  std::string image;
  bool tree = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = lower(args[i]);
    if (arg == "/t") tree = true;
    if (arg == "/im" && i + 1 < args.size()) image = args[i + 1];
  }
  if (image.empty()) {
    print("错误: 无效语法。必须指定 /IM 或 /PID。\r\n键入 \"TASKKILL /?\" 以了解用法。\r\n");
    return 1;
  }
  const DWORD self = GetCurrentProcessId();
  std::vector<Proc> all = processes();
  std::string output;
  bool found = false;
  for (const Proc& p : all) {
    if (p.pid == self || lower(p.name) != lower(image)) continue;
    found = true;
    // Children first, as the real tool reports them.
    if (tree) {
      for (const Proc& child : all) {
        if (child.parent == p.pid && child.pid != self && end_process(child.pid))
          output += killed_child(child.pid, p.pid);
      }
    }
    if (end_process(p.pid))
      output += killed(p.pid);
    else
      output += not_killed(p.pid);
  }
  if (!found) output = no_process(image);
  print(output);
  return found ? 0 : 128;
}
