#include <windows.h>

#include <gtest/gtest.h>

// The program's texts are CP936 bytes: the test prefix must run with that
// ANSI code page, or every comparison of Chinese text would be meaningless.
TEST(WineEnvironment, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }

TEST(WineEnvironment, LiteralsAreCp936Bytes) {
  const char text[] = "操作全部结束";
  EXPECT_EQ(sizeof(text) - 1, 12u);
  EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xB2u);  // 操 is B2 D9 in CP936
  EXPECT_EQ(static_cast<unsigned char>(text[1]), 0xD9u);
}
