#include "fakes/fake_console.h"

#include "fakes/fake_events.h"
#include "fakes/fake_files.h"
#include "fakes/fake_processes.h"

namespace tc {

namespace {

bool starts_with(const Text& text, const Text& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// The text between the first and the last double quote.
Text quoted(const Text& command) {
  const std::size_t open = command.find('"');
  const std::size_t close = command.rfind('"');
  if (open == Text::npos || close <= open) return Text();
  return command.substr(open + 1, close - open - 1);
}

Text last_word(const Text& command) {
  const std::size_t cut = command.rfind(' ');
  return cut == Text::npos ? command : command.substr(cut + 1);
}

}  // namespace

Text FakeConsole::fold(const Text& text) {
  Text folded = text;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

Text FakeConsole::sc_missing_output() {
  return "[SC] OpenService FAILED 1060:\r\n\r\nThe specified service does not exist as an installed "
         "service.\r\n\r\n";
}
Text FakeConsole::stopped_output(const Text& service) {
  return "The " + service + " service was stopped successfully.\r\n";
}
Text FakeConsole::deleted_service_output() { return "[SC] DeleteService SUCCESS\r\n"; }
Text FakeConsole::task_deleted_output(const Text& task) {
  return "SUCCESS: The scheduled task \"" + task + "\" was successfully deleted.\r\n";
}
Text FakeConsole::firewall_output() { return "Ok.\r\n"; }
Text FakeConsole::killed_output(const Text& name, std::uint32_t pid) {
  return "SUCCESS: The process \"" + name + "\" with PID " + std::to_string(pid) +
         " has been terminated.\r\n";
}
Text FakeConsole::not_killed_output(const Text& name) {
  return "ERROR: The process \"" + name + "\" not found.\r\n";
}
Text FakeConsole::not_found_output(const Text& path) { return "Could Not Find " + path + "\r\n"; }
Text FakeConsole::in_use_output() {
  return "The process cannot access the file because it is being used by another process.\r\n";
}
Text FakeConsole::rd_missing_output() { return "The system cannot find the file specified.\r\n"; }

TextList FakeConsole::commands() const {
  TextList lines;
  for (const Record& r : records) lines.push_back(r.command);
  return lines;
}

Text FakeConsole::execute(const Text& command) {
  const Text lower = fold(command);
  if (starts_with(lower, "del /f /q ")) {
    const Text path = quoted(command);
    switch (files_.del_file(path)) {
      case FakeFiles::DelResult::Deleted: return Text();
      case FakeFiles::DelResult::NotFound: return not_found_output(path);
      case FakeFiles::DelResult::Denied: return in_use_output();
    }
  }
  if (starts_with(lower, "rd /s /q ")) {
    TextList left;
    const Text path = quoted(command);
    if (!files_.exists(path)) return rd_missing_output();
    files_.remove_tree(path, rd_follows_links, left);
    return left.empty() ? Text() : in_use_output();
  }
  if (starts_with(lower, "taskkill /f /t /im ")) {
    const Text name = quoted(command);
    Text output;
    for (std::uint32_t pid : processes_.kill_by_name(name)) output += killed_output(name, pid);
    return output.empty() ? not_killed_output(name) : output;
  }
  if (starts_with(lower, "sc qc ")) {
    const Text service = last_word(command);
    if (!has_service(service)) return sc_missing_output();
    return "[SC] QueryServiceConfig SUCCESS\r\n\r\nSERVICE_NAME: " + service +
           "\r\n        TYPE               : 10  WIN32_OWN_PROCESS\r\n        BINARY_PATH_NAME   : "
           "C:\\Services\\" + service + ".exe\r\n\r\n";
  }
  if (starts_with(lower, "net stop ")) {
    const Text service = last_word(command);
    return has_service(service) ? stopped_output(service) : Text("The service name is invalid.\r\n");
  }
  if (starts_with(lower, "sc delete ")) {
    const Text service = last_word(command);
    if (!has_service(service)) return "[SC] OpenService FAILED 1060:\r\n";
    services_.erase(fold(service));
    return deleted_service_output();
  }
  if (starts_with(lower, "schtasks /delete ")) return task_deleted_output(quoted(command));
  if (starts_with(lower, "netsh advfirewall firewall ")) return firewall_output();
  return Text();
}

Text FakeConsole::run_command(const Text& command) {
  records.push_back(Record{command, events_.tick_count()});
  const auto fixed = outputs_.find(command);
  const Text output = fixed != outputs_.end() ? fixed->second : execute(command);
  if (fixed != outputs_.end()) execute(command);
  if (on_command) on_command(command);
  if (cost_ms > 1) events_.advance(cost_ms - 1);
  events_.process_events();
  return output;
}

}  // namespace tc
