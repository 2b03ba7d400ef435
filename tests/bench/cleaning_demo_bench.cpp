// One whole cleaning run over the demo installation, pressed on the
// program's own window, with its wall time split into the waits between
// retries, the console commands' own time and the rest (the program's own
// work). Every port is wrapped in a decorator that forwards to the real
// adapter and adds up the time spent inside it.
// Run it in a prefix that scripts/seed-demo has seeded: it really cleans.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/bench_figures.h"
#include "support/program_fixture.h"
#include "cleaning/cleaning_run.h"
#include "system/registry_access.h"
#include "system/registry_win.h"

namespace {

using tc::bench::now_ms;

// Where the run's time went. A stretch of event-port calls with no other
// port call in between belongs to a wait when it sleeps at least once
// (delay_with_events pumps and sleeps in turn); a stretch that only pumps is
// a folder walk or a step keeping the window alive.
struct Ledger {
  double waits = 0, pumps = 0, commands = 0, files = 0, processes = 0, log = 0, registry = 0,
         regex = 0;
  long event_calls = 0, other_calls = 0, command_count = 0, wait_stretches = 0, appends = 0;

  void event_call(double ms, bool sleeps) {
    ++event_calls;
    stretch_ms_ += ms;
    stretch_sleeps_ = stretch_sleeps_ || sleeps;
  }
  void other_call() {
    ++other_calls;
    close_stretch();
  }
  void close_stretch() {
    if (stretch_sleeps_) {
      waits += stretch_ms_;
      ++wait_stretches;
    } else {
      pumps += stretch_ms_;
    }
    stretch_ms_ = 0;
    stretch_sleeps_ = false;
  }

 private:
  double stretch_ms_ = 0;
  bool stretch_sleeps_ = false;
};

// Times one forwarded call into a bucket of the ledger.
class Timed {
 public:
  Timed(Ledger& ledger, double& bucket) : bucket_(bucket), start_(now_ms()) { ledger.other_call(); }
  ~Timed() { bucket_ += now_ms() - start_; }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  double& bucket_;
  double start_;
};

class TimedEvents : public tc::EventPort {
 public:
  TimedEvents(tc::EventPort& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  void process_events() override {
    const double start = now_ms();
    inner_.process_events();
    ledger_.event_call(now_ms() - start, false);
  }
  std::uint32_t tick_count() override {
    const double start = now_ms();
    const std::uint32_t ticks = inner_.tick_count();
    ledger_.event_call(now_ms() - start, false);
    return ticks;
  }
  bool quitting() override {
    const double start = now_ms();
    const bool quitting = inner_.quitting();
    ledger_.event_call(now_ms() - start, false);
    return quitting;
  }
  void wait_for_message(std::uint32_t milliseconds) override {
    const double start = now_ms();
    inner_.wait_for_message(milliseconds);
    ledger_.event_call(now_ms() - start, true);
  }

 private:
  tc::EventPort& inner_;
  Ledger& ledger_;
};

class TimedConsole : public tc::Console {
 public:
  TimedConsole(tc::Console& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  tc::Text run_command(const tc::Text& command) override {
    Timed timed(ledger_, ledger_.commands);
    ++ledger_.command_count;
    return inner_.run_command(command);
  }

 private:
  tc::Console& inner_;
  Ledger& ledger_;
};

class TimedSearch : public tc::DirSearch {
 public:
  TimedSearch(std::unique_ptr<tc::DirSearch> inner, Ledger& ledger)
      : inner_(std::move(inner)), ledger_(ledger) {}
  ~TimedSearch() override {
    Timed timed(ledger_, ledger_.files);
    inner_.reset();  // FindClose
  }
  bool next(tc::FindEntry& entry) override {
    Timed timed(ledger_, ledger_.files);
    return inner_->next(entry);
  }

 private:
  std::unique_ptr<tc::DirSearch> inner_;
  Ledger& ledger_;
};

class TimedFiles : public tc::Files {
 public:
  TimedFiles(tc::Files& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  std::uint32_t get_file_attributes(const tc::Text& path) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.get_file_attributes(path);
  }
  bool set_file_attributes(const tc::Text& path, std::uint32_t attributes) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.set_file_attributes(path, attributes);
  }
  bool delete_file(const tc::Text& path) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.delete_file(path);
  }
  bool remove_directory(const tc::Text& path) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.remove_directory(path);
  }
  bool path_file_exists(const tc::Text& path) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.path_file_exists(path);
  }
  std::uint32_t path_is_directory(const tc::Text& path) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.path_is_directory(path);
  }
  std::unique_ptr<tc::DirSearch> find_first(const tc::Text& pattern) override {
    std::unique_ptr<tc::DirSearch> search;
    {
      Timed timed(ledger_, ledger_.files);
      search = inner_.find_first(pattern);
    }
    if (!search) return nullptr;
    return std::make_unique<TimedSearch>(std::move(search), ledger_);
  }
  tc::Text known_folder(tc::KnownFolder which) override {
    Timed timed(ledger_, ledger_.files);
    return inner_.known_folder(which);
  }

 private:
  tc::Files& inner_;
  Ledger& ledger_;
};

class TimedProcesses : public tc::Processes {
 public:
  TimedProcesses(tc::Processes& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  bool snapshot(std::uint32_t flags, std::vector<tc::ProcessEntry>& entries) override {
    Timed timed(ledger_, ledger_.processes);
    return inner_.snapshot(flags, entries);
  }
  bool terminate(std::uint32_t pid, std::uint32_t exit_code) override {
    Timed timed(ledger_, ledger_.processes);
    return inner_.terminate(pid, exit_code);
  }
  tc::Text image_path(std::uint32_t pid) override {
    Timed timed(ledger_, ledger_.processes);
    return inner_.image_path(pid);
  }
  std::uint32_t current_pid() override {
    Timed timed(ledger_, ledger_.processes);
    return inner_.current_pid();
  }

 private:
  tc::Processes& inner_;
  Ledger& ledger_;
};

class TimedLogBox : public tc::LogBox {
 public:
  TimedLogBox(tc::LogBox& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  void append_text(const tc::Text& text) override {
    Timed timed(ledger_, ledger_.log);
    ++ledger_.appends;
    inner_.append_text(text);
  }

 private:
  tc::LogBox& inner_;
  Ledger& ledger_;
};

class TimedRegistry : public tc::RegistryPort {
 public:
  TimedRegistry(tc::RegistryPort& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  tc::RegKey open_key(tc::RootKey root, const tc::Text& sub_key, bool create) override {
    Timed timed(ledger_, ledger_.registry);
    return inner_.open_key(root, sub_key, create);
  }
  long query_value(tc::RegKey key, const tc::Text& name, std::uint32_t* type, unsigned char* data,
                   std::uint32_t* size) override {
    Timed timed(ledger_, ledger_.registry);
    return inner_.query_value(key, name, type, data, size);
  }
  void close_key(tc::RegKey key) override {
    Timed timed(ledger_, ledger_.registry);
    inner_.close_key(key);
  }

 private:
  tc::RegistryPort& inner_;
  Ledger& ledger_;
};

class TimedRegex : public tc::RegexPort {
 public:
  TimedRegex(tc::RegexPort& inner, Ledger& ledger) : inner_(inner), ledger_(ledger) {}
  bool search_replace(const tc::Text& pattern, const tc::Text& subject, const tc::Text& replacement,
                      tc::Text& result) override {
    Timed timed(ledger_, ledger_.regex);
    return inner_.search_replace(pattern, subject, replacement, result);
  }

 private:
  tc::RegexPort& inner_;
  Ledger& ledger_;
};

double share(double part, double total) { return total > 0 ? 100.0 * part / total : 0.0; }

void line(const char* what, double ms, double total) {
  std::printf("  %-34s %9.1f ms %6.2f %%\n", what, ms, share(ms, total));
}

}  // namespace

int main() {
  tc_test::ProgramFixture program;
  if (!program.created()) {
    std::printf("cleaning_demo_bench: the window could not be made\n");
    return 1;
  }
  tc::ProgramWindow& window = program.program();
  Ledger ledger;
  TimedEvents events(window.events, ledger);
  TimedConsole console(window.console, ledger);
  TimedFiles files(window.files, ledger);
  TimedProcesses processes(window.processes, ledger);
  TimedLogBox log(*window.log_box, ledger);
  TimedRegistry registry_port(tc::win32_registry_port(), ledger);
  tc::RegistryAccess registry(registry_port);
  TimedRegex regex(window.regex, ledger);
  tc::Ports ports{log, events, console, files, processes, registry, &regex};
  window.window.on_clicked = [&ports] { tc::run_cleaning(ports); };

  // The button pressed as the user presses it: the run happens in the click.
  const double start = now_ms();
  SendMessageA(window.window.button(), BM_CLICK, 0, 0);
  const double total = now_ms() - start;
  ledger.close_stretch();

  const std::string text = program.log_text();
  const std::string last = "操作全部结束";
  const bool finished = text.find(last) != std::string::npos;
  std::printf("run %s: %ld console commands, %ld wait stretches, %ld event-port and %ld other port calls\n",
              finished ? "finished" : "DID NOT FINISH", ledger.command_count, ledger.wait_stretches,
              ledger.event_calls, ledger.other_calls);

  const double rest = total - ledger.waits - ledger.commands;
  const double inside_ports = ledger.pumps + ledger.files + ledger.processes + ledger.log +
                              ledger.registry + ledger.regex;
  std::printf("the rest, by where it went:\n");
  line("message pumps outside waits", ledger.pumps, total);
  line("files and folders", ledger.files, total);
  line("process snapshots and ends", ledger.processes, total);
  line("log box", ledger.log, total);
  line("registry", ledger.registry, total);
  line("regular expressions", ledger.regex, total);
  line("the program's own code", rest - inside_ports, total);
  // Under Wine most of the log box's time is the edit control drawing each
  // insertion on the visible window; shown apart so the rest can be judged.
  std::printf("%ld log box appends, %.2f ms each; the rest without them: %.1f ms, %.2f %%\n",
              ledger.appends, ledger.appends ? ledger.log / static_cast<double>(ledger.appends) : 0.0,
              rest - ledger.log, share(rest - ledger.log, total));

  tc::bench::figure("demo run, total", total, "ms", "-");
  tc::bench::figure("demo run, waits", ledger.waits, "ms", "-");
  tc::bench::figure("demo run, waits share", share(ledger.waits, total), "%", "-");
  tc::bench::figure("demo run, console commands", ledger.commands, "ms", "-");
  tc::bench::figure("demo run, console commands share", share(ledger.commands, total), "%", "-");
  tc::bench::figure("demo run, rest (own overhead)", rest, "ms", "-");
  tc::bench::figure("demo run, rest share (own overhead)", share(rest, total), "%", "< 5");
  return finished ? 0 : 1;
}
