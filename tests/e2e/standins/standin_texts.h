// What the stand-ins print, shared with the end-to-end tests that expect
// their (trimmed) output in the cleaner's log. CP936 bytes, CR-LF lines.
#pragma once
#include <string>

namespace standin {

inline std::string sc_missing() { return "[SC] OpenService 失败 1060:\r\n\r\n指定的服务未安装。\r\n\r\n"; }
inline std::string sc_config(const std::string& name, const std::string& binary) {
  return "[SC] QueryServiceConfig 成功\r\n\r\n"
         "SERVICE_NAME: " + name + "\r\n"
         "        TYPE               : 10  WIN32_OWN_PROCESS\r\n"
         "        START_TYPE         : 2   AUTO_START\r\n"
         "        ERROR_CONTROL      : 1   NORMAL\r\n"
         "        BINARY_PATH_NAME   : " + binary + "\r\n"
         "        LOAD_ORDER_GROUP   :\r\n"
         "        TAG                : 0\r\n"
         "        DISPLAY_NAME       : " + name + "\r\n"
         "        DEPENDENCIES       :\r\n"
         "        SERVICE_START_NAME : LocalSystem\r\n";
}
inline std::string sc_deleted() { return "[SC] DeleteService 成功\r\n"; }
inline std::string net_stopped(const std::string& name) {
  return name + " 服务正在停止.\r\n" + name + " 服务已成功停止。\r\n\r\n";
}
inline std::string net_not_started(const std::string& name) {
  return "没有启动 " + name + " 服务。\r\n\r\n请键入 NET HELPMSG 3521 以获得更多的帮助。\r\n\r\n";
}
inline std::string net_missing() {
  return "服务名无效。\r\n\r\n请键入 NET HELPMSG 2185 以获得更多的帮助。\r\n\r\n";
}
inline std::string task_deleted(const std::string& task) {
  return "成功: 计划的任务 \"" + task + "\" 被成功删除。\r\n";
}
inline std::string task_missing() { return "错误: 系统找不到指定的文件。\r\n"; }
inline std::string rule_deleted() { return "\r\n已删除 1 规则。\r\n确定。\r\n\r\n"; }
inline std::string rule_missing() { return "\r\n没有与指定标准相匹配的规则。\r\n\r\n"; }
inline std::string rule_added() { return "确定。\r\n\r\n"; }
inline std::string killed(unsigned long pid) {
  return "成功: 已终止 PID 为 " + std::to_string(pid) + " 的进程。\r\n";
}
inline std::string killed_child(unsigned long pid, unsigned long parent) {
  return "成功: 已终止 PID " + std::to_string(pid) + " (属于 PID " + std::to_string(parent) +
         " 子进程)的进程。\r\n";
}
inline std::string not_killed(unsigned long pid) {
  return "错误: 无法终止 PID 为 " + std::to_string(pid) + " 的进程。\r\n";
}
inline std::string no_process(const std::string& image) {
  return "错误: 没有找到进程 \"" + image + "\"。\r\n";
}

}  // namespace standin
