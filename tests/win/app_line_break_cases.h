// Cases of strip_line_breaks shared by the host test (native path) and the
// Windows test (the real VBScript.RegExp against the native path).
#pragma once

namespace tc {
namespace line_break_cases {

struct StripCase {
  const char* label;
  const char* text;
  const char* stripped;
};

inline const StripCase kStripCases[] = {
    {"empty", "", ""},
    {"one CR-LF", "\r\n", ""},
    {"two CR-LF pairs", "\r\n\r\n", ""},
    {"three CR-LF pairs", "\r\n\r\n\r\n", ""},
    {"no line breaks", "plain text", "plain text"},
    {"output framed by CR-LF", "\r\nline one\r\nline two\r\n", "line one\r\nline two"},
    {"blank line between two lines", "a\r\n\r\nb", "a\r\nb"},
    {"two blank lines between", "a\r\n\r\n\r\nb", "a\r\nb"},
    {"ends with two CR-LF pairs keeps a lone CR", "x\r\n\r\n", "x\r"},
    {"begins with two CR-LF pairs: a LF stays", "\r\n\r\nx", "\nx"},
    {"three leading pairs leave the last LF", "\r\n\r\n\r\nx", "\nx"},
    {"lone CR inside a line stays", "a\rb", "a\rb"},
    {"CR after CR is deleted", "a\r\rb", "a\rb"},
    {"leading CR is deleted", "\rx", "x"},
    {"LF before LF is deleted", "a\n\nb", "a\nb"},
    {"LF at the end is deleted", "a\nb\n", "a\nb"},
    {"LF then CR both go", "a\n\rb", "ab"},
    {"LF CR alone", "\n\r", ""},
    {"spaces around breaks stay", " a \r\n b ", " a \r\n b "},
    {"Chinese output with a blank line after it", "\r\n成功: 已删除服务。\r\n\r\n",
     "成功: 已删除服务。\r"},
    {"Chinese lines joined", "[SC] 删除服务 成功\r\n\r\n状态: 已停止", "[SC] 删除服务 成功\r\n状态: 已停止"},
};

}  // namespace line_break_cases
}  // namespace tc
