// Stand-in of the scheduled task tool: "/Delete /f /TN name" on marker tasks.
#include "standin.h"

using namespace standin;

int main() {
  record_call();
  std::vector<std::string> args = arguments();
  bool remove = false;
  std::string task;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = lower(args[i]);
    if (arg == "/delete") remove = true;
    if (arg == "/tn" && i + 1 < args.size()) task = args[i + 1];
  }
  if (!remove || task.empty()) {
    print("错误: 无效的语法。\r\n键入 \"SCHTASKS /?\" 以了解用法。\r\n");
    return 1;
  }
  const std::string file = marker("tasks", task);
  if (!exists(file)) {
    print(task_missing());
    return 1;
  }
  DeleteFileA(file.c_str());
  print(task_deleted(task));
  return 0;
}
