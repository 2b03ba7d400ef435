// Stand-in of "net stop" for marker services.
#include "standin.h"

using namespace standin;

int main() {
  record_call();
  std::vector<std::string> args = arguments();
  if (args.size() < 2 || lower(args[0]) != "stop") {
    print("此命令的语法是:\r\n\r\nNET\r\n    [ ACCOUNTS | COMPUTER | CONFIG | CONTINUE | FILE | GROUP | HELP |\r\n");
    return 1;
  }
  const std::string& name = args[1];
  const std::string service = marker("services", name);
  if (!exists(service)) {
    print(net_missing());
    return 2;
  }
  std::string state = read_file(service);
  if (state.find("stopped") != std::string::npos) {
    print(net_not_started(name));
    return 2;
  }
  write_file(service, state + "\r\nstopped");
  print(net_stopped(name));
  return 0;
}
