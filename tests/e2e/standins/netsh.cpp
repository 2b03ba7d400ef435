// Stand-in of "netsh advfirewall firewall delete|add rule name=..." on marker
// rules; an added rule keeps the command that added it.
#include "standin.h"

using namespace standin;

int main() {
  record_call();
  std::vector<std::string> args = arguments();
  std::string name;
  if (args.size() < 5 || lower(args[0]) != "advfirewall" || lower(args[1]) != "firewall" ||
      lower(args[3]) != "rule" || !option_value(args, "name", name)) {
    print("以下指令有效:\r\n\r\n此上下文中的命令:\r\n");
    return 1;
  }
  const std::string verb = lower(args[2]);
  const std::string file = marker("rules", name);
  if (verb == "delete") {
    if (!exists(file)) {
      print(rule_missing());
      return 1;
    }
    DeleteFileA(file.c_str());
    print(rule_deleted());
    return 0;
  }
  if (verb == "add") {
    write_file(file, GetCommandLineA());
    print(rule_added());
    return 0;
  }
  print("以下指令有效:\r\n");
  return 1;
}
