#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// The pipeline itself: Windows code runs under Wine with code page 936 as
// the ANSI code page, and fixed texts are compiled to CP936 bytes.
TEST(Smoke, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }

TEST(Smoke, ChineseLiteralIsCp936) {
  const std::string path = "路径:";
  EXPECT_EQ(path, "\xC2\xB7\xBE\xB6:");
}

TEST(Smoke, Cp936LiteralRoundTripsThroughWindowsConversion) {
  const std::string text = "输出信息";
  wchar_t wide[16] = {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 16);
  ASSERT_EQ(n, 5);
  EXPECT_EQ(std::wstring(wide), L"\u8F93\u51FA\u4FE1\u606F");
}
