#include "text/LinePath.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// What "SC qc" prints: the executable path starts after 29 bytes.
const Text kBinaryLine = "        BINARY_PATH_NAME   : C:\\Program Files\\2345Soft\\x.exe";

TEST(LinePathLines, FindLineContainingCountsCrLfLines) {
  const struct {
    Text text;
    Text token;
    bool caseSensitive;
    int32_t expected;
  } cases[] = {
      {"", "BINARY_PATH_NAME", false, 0},
      {"", "", true, 0},
      {"no\r\nmatch", "BINARY_PATH_NAME", false, 0},
      {"  binary_path_name : x\r\nBINARY_PATH_NAME", "BINARY_PATH_NAME", false, 1},
      {"  binary_path_name : x\r\nBINARY_PATH_NAME", "BINARY_PATH_NAME", true, 2},
      {"a\r\n\r\n" + kBinaryLine, "BINARY_PATH_NAME", false, 3},
      {"x\r\ny\r\nz BINARY_PATH_NAME", "BINARY_PATH_NAME", false, 3},
      {"ab\x95\r\n" + kBinaryLine + "\r\nthird", "BINARY_PATH_NAME", false, 1},
      {"a\r\nTOKEN 1\r\nTOKEN 2", "TOKEN", true, 2},
      {"a\r\nb", "a\r\nb", true, 0},
      // An empty token matches the first line that is not empty.
      {"\r\nx", "", true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.token << "\" in \"" << c.text << '"');
    EXPECT_EQ(FindLineContaining(c.text, c.token, c.caseSensitive), c.expected);
  }
}

TEST(LinePathLines, GetLineReturnsLineWithoutSeparators) {
  const Text withEmptyLine = "a\r\n\r\n" + kBinaryLine;
  const Text glued = "ab\x95\r\n" + kBinaryLine + "\r\nthird";
  const struct {
    Text text;
    int32_t n;
    Text expected;
  } cases[] = {
      {withEmptyLine, 1, "a"},
      {withEmptyLine, 2, ""},
      {withEmptyLine, 3, kBinaryLine},
      {withEmptyLine, 4, ""},
      {withEmptyLine, 0, ""},
      {withEmptyLine, -1, ""},
      {withEmptyLine, INT_MIN, ""},
      {withEmptyLine, INT_MAX, ""},
      {glued, 1, "ab\x95\r\n" + kBinaryLine},
      {glued, 2, "third"},
      {"a\r\n", 1, "a"},
      {"a\r\n", 2, ""},
      {"", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << c.n << " of \"" << c.text << '"');
    EXPECT_EQ(GetLine(c.text, c.n), c.expected);
  }
}

struct CutCase {
  const char* call;
  Text actual;
  Text expected;
};

#define CUT(call, expected) CutCase{#call, call, expected}

TEST(LinePathCuts, DropByWrappedCountDifference) {
  const Text abc = "abc";
  const Text exact29 = kBinaryLine.substr(0, 29);
  const CutCase cases[] = {
      CUT(DropLeading(kBinaryLine, 29), "C:\\Program Files\\2345Soft\\x.exe"),
      CUT(DropLeading(exact29, 29), ""),
      CUT(DropLeading(exact29.substr(1), 29), ""),
      CUT(DropLeading(kBinaryLine, 0), kBinaryLine),
      CUT(DropLeading(abc, -3), "abc"),
      CUT(DropLeading(abc, 1), "bc"),
      CUT(DropLeading(abc, INT_MAX), ""),
      // 3 - n leaves the 32-bit range and wraps to a negative count.
      CUT(DropLeading(abc, INT_MIN), ""),
      CUT(DropLeading(abc, INT_MIN + 3), ""),
      CUT(DropLeading(abc, INT_MIN + 4), "abc"),
      CUT(DropLeading(Text(), INT_MIN), ""),
      CUT(DropLeading(Text(), -1), ""),
      CUT(DropTrailing("C:\\2345Soft\\HaoZip\\Protect\\", 8), "C:\\2345Soft\\HaoZip\\"),
      CUT(DropTrailing("Protect\\", 8), ""),
      CUT(DropTrailing(abc, 8), ""),
      CUT(DropTrailing(abc, 0), "abc"),
      CUT(DropTrailing(abc, -1), "abc"),
      CUT(DropTrailing(abc, 1), "ab"),
      CUT(DropTrailing(abc, INT_MAX), ""),
      CUT(DropTrailing(abc, INT_MIN), ""),
      CUT(DropTrailing(abc, INT_MIN + 4), "abc"),
      CUT(DropTrailing("\x95\x5C", 1), "\x95"),
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ(c.actual, c.expected);
  }
}

TEST(LinePathCuts, ParentDirOfSkipsBackslashesInsideCharacters) {
  const struct {
    Text path;
    Text expected;
  } cases[] = {
      {"C:\\a\\b.exe", "C:\\a\\"},
      {"C:\\a\\", "C:\\"},
      {"C:\\a\\\\", "C:\\a\\"},
      {"C:\\", ""},
      {"\\", ""},
      {"abc", ""},
      {"", ""},
      {"\\\\server\\share", "\\\\server\\"},
      {"C:\\\xD6\xD0\\b.exe", "C:\\\xD6\xD0\\"},
      // 0x5C as the second byte of a character is no separator.
      {"\x95\x5C" "abc\x95\x5C", ""},
      {"C:\\\x95\x5C", "C:\\"},
      {"C:\\\x95\x5C" "d", "C:\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.path << '"');
    EXPECT_EQ(ParentDirOf(c.path), c.expected);
  }
}

TEST(LinePathChars, CharAtPositionLooksOneByteBack) {
  const struct {
    Text text;
    int32_t pos;
    Text expected;
    bool expectedDoubleByte;
  } cases[] = {
      {"C:\\a\\", 5, "\\", false},
      {"C:\\\xD6\xD0", 5, "\xD6\xD0", true},
      {"\xD6\xD0" "a", 1, "\xD6\xD0", true},
      {"\xD6\xD0\xCE\xC4", 3, "\xD0\xCE", true},
      {"a\x95\x5C", 3, "\\", false},
      {"a\x95" "b", 2, "\x95" "b", true},
      {"a\x95", 2, "\x95", true},
      {"\x95", 1, "\x95", true},
  };
  for (const auto& c : cases) {
    for (const bool initial : {false, true}) {
      SCOPED_TRACE(testing::Message() << "pos " << c.pos << " of \"" << c.text << "\", flag was "
                                      << initial);
      bool isDoubleByte = initial;
      EXPECT_EQ(CharAtPosition(c.text, c.pos, isDoubleByte), c.expected);
      EXPECT_EQ(isDoubleByte, c.expectedDoubleByte);
    }
  }
}

TEST(LinePathChars, CharAtPositionOutOfRangeLeavesFlagAlone) {
  const struct {
    Text text;
    int32_t pos;
  } cases[] = {
      {"abc", 0}, {"abc", 4}, {"abc", -1}, {"abc", INT_MIN}, {"abc", INT_MAX}, {"", 1},
  };
  for (const auto& c : cases) {
    for (const bool initial : {false, true}) {
      SCOPED_TRACE(testing::Message() << "pos " << c.pos << " of \"" << c.text << "\", flag was "
                                      << initial);
      bool isDoubleByte = initial;
      EXPECT_EQ(CharAtPosition(c.text, c.pos, isDoubleByte), "");
      EXPECT_EQ(isDoubleByte, initial);
    }
  }
}

}  // namespace
