// Stand-in of the service control tool: "qc" and "delete" on marker services.
#include "standin.h"

using namespace standin;

int main() {
  record_call();
  std::vector<std::string> args = arguments();
  if (args.size() < 2) {
    print("描述:\r\n        SC 是用来与服务控制管理器和服务进行通信的命令行程序。\r\n");
    return 1;
  }
  const std::string verb = lower(args[0]);
  const std::string& name = args[1];
  const std::string service = marker("services", name);
  if (!exists(service)) {
    print(sc_missing());
    return 1060;
  }
  if (verb == "qc") {
    std::string binary = read_file(service);
    binary = binary.substr(0, binary.find_first_of("\r\n"));
    print(sc_config(name, binary));
    return 0;
  }
  if (verb == "delete") {
    DeleteFileA(service.c_str());
    print(sc_deleted());
    return 0;
  }
  print("[SC] 无效的命令\r\n");
  return 1;
}
