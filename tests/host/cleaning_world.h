// One machine for the cleaning tests: virtual clock, file tree, process
// table, console tools, registry and log box, wired into Ports.
#pragma once
#include "fakes/fake_console.h"
#include "fakes/fake_events.h"
#include "fakes/fake_files.h"
#include "fakes/fake_log_box.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "ports/ports.h"
#include "system/registry_access.h"

namespace tc {

// The real registry access over the fake map, noting every text read.
class RecordingRegistry : public RegistryAccess {
 public:
  using RegistryAccess::RegistryAccess;
  Text read_text_value(const Text& key_path, const Text& value_name) override {
    reads.push_back(key_path + "|" + value_name);
    return RegistryAccess::read_text_value(key_path, value_name);
  }
  TextList reads;
};

struct CleaningWorld {
  FakeEventPort events{100000};
  FakeFiles files{&events};
  FakeProcesses processes{&files};
  FakeConsole console{events, files, processes};
  FakeLogBox log;
  FakeRegistry registry_port;
  RecordingRegistry registry{registry_port};
  Ports ports{log, events, console, files, processes, registry};

  CleaningWorld() {
    processes.start_self(4242, "C:\\Tools\\TelvoCleaner.exe");
    files.set_known_folder(KnownFolder::Windows, "C:\\Windows");
    files.set_known_folder(KnownFolder::System, "C:\\Windows\\system32");
    files.set_known_folder(KnownFolder::SystemWow64, "C:\\Windows\\SysWOW64");
    files.set_known_folder(KnownFolder::ProgramFiles, "C:\\Program Files (x86)");
    files.set_known_folder(KnownFolder::ProgramFilesX86, "C:\\Program Files (x86)");
    files.set_known_folder(KnownFolder::ProgramFilesNative, "C:\\Program Files");
    files.set_known_folder(KnownFolder::ProgramData, "C:\\ProgramData");
    files.set_known_folder(KnownFolder::Users, "C:\\Users");
    files.set_known_folder(KnownFolder::Profile, "C:\\Users\\me");
  }

  // Registry values under HKEY_LOCAL_MACHINE.
  void set_value(const Text& sub_key, const Text& name, const Text& value) {
    registry_port.set_text(RootKey::LocalMachine, sub_key, name, value);
  }
};

// A log line as append_log writes it.
inline Text line(const Text& text) { return text + "\r\n"; }
const char kBlank[] = "\r\n";

}  // namespace tc
