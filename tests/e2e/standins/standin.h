// What the recording stand-ins of the system's console tools share. Each
// stand-in appends its whole command line to one log file, so the end-to-end
// tests can compare the commands the cleaner ran, in order, and keeps the
// state it answers from as marker files under C:\standin:
//   services\<name>   a service (content: its binary path; "stopped" line
//                     appended by net stop)
//   tasks\<name>      a scheduled task
//   rules\<name>      a firewall rule (content: the command that added it)
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "standin_texts.h"

namespace standin {

inline std::string env_or(const char* name, const char* fallback) {
  char buffer[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return n && n < sizeof(buffer) ? std::string(buffer, n) : std::string(fallback);
}

inline std::string log_path() { return env_or("TC_STANDIN_LOG", "C:\\standin-log.txt"); }
inline std::string state_root() { return env_or("TC_STANDIN_ROOT", "C:\\standin"); }

// One line per call; retried briefly should another stand-in hold the file.
inline void record_call() {
  std::string line = GetCommandLineA();
  line += "\r\n";
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(5);
  }
}

inline void print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
            &written, nullptr);
}

inline std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The arguments after the program name: blank-separated, double quotes group
// and are dropped (name="a b" gives name=a b). No backslash escapes, so a
// folder path ending in a backslash stays as written.
inline std::vector<std::string> arguments() {
  std::vector<std::string> args;
  const char* p = GetCommandLineA();
  bool first = true;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
      if (*p == '"')
        quoted = !quoted;
      else
        arg += *p;
    }
    if (first)
      first = false;  // the program itself
    else
      args.push_back(arg);
  }
  return args;
}

inline std::string marker(const char* kind, const std::string& name) {
  return state_root() + "\\" + kind + "\\" + name;
}

inline bool exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string read_file(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

inline void write_file(const std::string& path, const std::string& text) {
  CreateDirectoryA(state_root().c_str(), nullptr);
  std::string folder = path.substr(0, path.rfind('\\'));
  CreateDirectoryA(folder.c_str(), nullptr);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// The value of a key=value argument (letter case of the key ignored).
inline bool option_value(const std::vector<std::string>& args, const std::string& key,
                         std::string& value) {
  for (const std::string& arg : args) {
    if (arg.size() > key.size() && lower(arg.substr(0, key.size() + 1)) == lower(key) + "=") {
      value = arg.substr(key.size() + 1);
      return true;
    }
  }
  return false;
}

}  // namespace standin
