// Scripted console tools behind Console. Every command line is recorded with
// the virtual time it started at; the tools act on the fake files, processes
// and services: del, rd, taskkill, SC, net, SchTasks and netsh.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "ports/console.h"

namespace tc {

class FakeEventPort;
class FakeFiles;
class FakeProcesses;

class FakeConsole : public Console {
 public:
  struct Record {
    Text command;
    std::uint32_t at;  // virtual time when it started
  };

  FakeConsole(FakeEventPort& events, FakeFiles& files, FakeProcesses& processes)
      : events_(events), files_(files), processes_(processes) {}

  // Each command takes cost_ms of virtual time; the window's messages are
  // processed once near its end (so a click can land inside a command).
  Text run_command(const Text& command) override;

  void add_service(const Text& name) { services_.insert(fold(name)); }
  bool has_service(const Text& name) const { return services_.count(fold(name)) != 0; }
  // A fixed output for one exact command line, instead of the tool's own.
  void set_output(const Text& command, const Text& output) { outputs_[command] = output; }

  TextList commands() const;
  std::vector<Record> records;
  std::uint32_t cost_ms = 40;
  bool rd_follows_links = true;  // as Wine's rd /s does; Windows' does not
  std::function<void(const Text&)> on_command;  // after the effect, before the pump

  // The tools' texts, for expected transcripts.
  static Text sc_missing_output();
  static Text stopped_output(const Text& service);
  static Text deleted_service_output();
  static Text task_deleted_output(const Text& task);
  static Text firewall_output();
  static Text killed_output(const Text& name, std::uint32_t pid);
  static Text not_killed_output(const Text& name);
  static Text not_found_output(const Text& path);
  static Text in_use_output();
  static Text rd_missing_output();

 private:
  static Text fold(const Text& text);
  Text execute(const Text& command);
  FakeEventPort& events_;
  FakeFiles& files_;
  FakeProcesses& processes_;
  std::set<Text> services_;
  std::map<Text, Text> outputs_;
};

}  // namespace tc
