// Stand-in of the service control tool: "qc" and "delete" on marker services.
#include "standin.h"

using namespace standin;

namespace {

std::string missing() { return "[SC] OpenService 失败 1060:\r\n\r\n指定的服务未安装。\r\n\r\n"; }

}  // namespace

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
    print(missing());
    return 1060;
  }
  if (verb == "qc") {
    std::string binary = read_file(service);
    binary = binary.substr(0, binary.find_first_of("\r\n"));
    print("[SC] QueryServiceConfig 成功\r\n\r\n"
          "SERVICE_NAME: " + name + "\r\n"
          "        TYPE               : 10  WIN32_OWN_PROCESS\r\n"
          "        START_TYPE         : 2   AUTO_START\r\n"
          "        ERROR_CONTROL      : 1   NORMAL\r\n"
          "        BINARY_PATH_NAME   : " + binary + "\r\n"
          "        LOAD_ORDER_GROUP   :\r\n"
          "        TAG                : 0\r\n"
          "        DISPLAY_NAME       : " + name + "\r\n"
          "        DEPENDENCIES       :\r\n"
          "        SERVICE_START_NAME : LocalSystem\r\n");
    return 0;
  }
  if (verb == "delete") {
    DeleteFileA(service.c_str());
    print("[SC] DeleteService 成功\r\n");
    return 0;
  }
  print("[SC] 无效的命令\r\n");
  return 1;
}
