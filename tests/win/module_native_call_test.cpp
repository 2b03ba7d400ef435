#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "module/call_native.h"

namespace {

std::uint32_t code(const void* f) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(f)); }

std::uint32_t __stdcall stdcall3(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return a * 100 + b * 10 + c;
}
std::uint32_t __cdecl cdecl3(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return a * 1000 + b * 100 + c;
}
std::uint32_t __stdcall stdcall0() { return 0xC0FFEEu; }
std::uint32_t __cdecl cdecl0() { return 0xBEEFu; }
// Reads all ten slots; those not given must be 0.
std::uint32_t __stdcall stdcall10(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                  std::uint32_t d, std::uint32_t e, std::uint32_t f,
                                  std::uint32_t g, std::uint32_t h, std::uint32_t i,
                                  std::uint32_t j) {
  return (a == 0xA1 && b == 0xB2) ? (c | d | e | f | g | h | i | j) : 0xFFFFFFFFu;
}
std::uint32_t __cdecl cdecl5(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                             std::uint32_t e) {
  return a == 7 ? (b | c | d | e) : 0xFFFFFFFFu;
}

}  // namespace

// Calls code through call_native10 with values 1, 2, 3 from plain assembly
// and gives how far esp moved across the call (0 when the thunk restores it).
extern "C" std::int32_t esp_drift10(std::uint32_t code);
extern "C" std::int32_t esp_drift5(std::uint32_t code);
asm(".text\n"
    "_esp_drift10:\n"
    "  pushl %esi\n"
    "  movl %esp, %esi\n"
    "  pushl $0\n pushl $0\n pushl $0\n pushl $0\n pushl $0\n pushl $0\n pushl $0\n"
    "  pushl $3\n pushl $2\n pushl $1\n"
    "  pushl 48(%esp)\n"
    "  call _call_native10\n"
    "  addl $44, %esp\n"
    "  movl %esp, %eax\n"
    "  subl %esi, %eax\n"
    "  popl %esi\n"
    "  ret\n"
    "_esp_drift5:\n"
    "  pushl %esi\n"
    "  movl %esp, %esi\n"
    "  pushl $0\n pushl $0\n pushl $3\n pushl $2\n pushl $1\n"
    "  pushl 28(%esp)\n"
    "  call _call_native5\n"
    "  addl $24, %esp\n"
    "  movl %esp, %eax\n"
    "  subl %esi, %eax\n"
    "  popl %esi\n"
    "  ret\n");

TEST(NativeCall, ReturnsTheResultForEitherConvention) {
  EXPECT_EQ(call_native10(code(reinterpret_cast<const void*>(stdcall3)), 1, 2, 3), 123u);
  EXPECT_EQ(call_native10(code(reinterpret_cast<const void*>(cdecl3)), 1, 2, 3), 1203u);
  EXPECT_EQ(call_native10(code(reinterpret_cast<const void*>(stdcall0)), 9, 9, 9), 0xC0FFEEu);
  EXPECT_EQ(call_native10(code(reinterpret_cast<const void*>(cdecl0))), 0xBEEFu);
  EXPECT_EQ(call_native5(code(reinterpret_cast<const void*>(stdcall3)), 4, 5, 6), 456u);
  EXPECT_EQ(call_native5(code(reinterpret_cast<const void*>(cdecl3)), 4, 5, 6), 4506u);
}

TEST(NativeCall, ValuesNotGivenReadAsZero) {
  EXPECT_EQ(call_native10(code(reinterpret_cast<const void*>(stdcall10)), 0xA1, 0xB2), 0u);
  EXPECT_EQ(call_native5(code(reinterpret_cast<const void*>(cdecl5)), 7), 0u);
}

TEST(NativeCall, StackPointerIsTheCallersAgain) {
  const struct {
    const char* label;
    const void* callee;
  } cases[] = {
      {"stdcall of three clears 12 bytes", reinterpret_cast<const void*>(stdcall3)},
      {"cdecl of three clears none", reinterpret_cast<const void*>(cdecl3)},
      {"stdcall of none", reinterpret_cast<const void*>(stdcall0)},
      {"stdcall of ten clears 40 bytes", reinterpret_cast<const void*>(stdcall10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(esp_drift10(code(c.callee)), 0);
    if (c.callee != reinterpret_cast<const void*>(stdcall10)) {
      EXPECT_EQ(esp_drift5(code(c.callee)), 0);
    }
  }
}

TEST(NativeCall, ReachesASystemFunctionByAddress) {
  // GetCurrentProcessId through its address, as the program reaches system
  // functions it looks up at run time.
  const std::uint32_t id = GetCurrentProcessId();
  FARPROC f = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentProcessId");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(call_native5(code(reinterpret_cast<const void*>(f))), id);
}
