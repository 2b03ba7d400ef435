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
    print("服务名无效。\r\n\r\n请键入 NET HELPMSG 2185 以获得更多的帮助。\r\n\r\n");
    return 2;
  }
  std::string state = read_file(service);
  if (state.find("stopped") != std::string::npos) {
    print("没有启动 " + name + " 服务。\r\n\r\n请键入 NET HELPMSG 3521 以获得更多的帮助。\r\n\r\n");
    return 2;
  }
  write_file(service, state + "\r\nstopped");
  print(name + " 服务正在停止.\r\n" + name + " 服务已成功停止。\r\n\r\n");
  return 0;
}
