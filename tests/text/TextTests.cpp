#include "text/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string_view>

namespace {

struct CutCase {
  const char* call;
  Text actual;
  Text expected;
};

// The call's own source text names the case in a failure.
#define CUT(call, expected) CutCase{#call, call, expected}

TEST(TextCuts, CountBytesAndClampAtBothEnds) {
  const Text abc = "abc";
  const CutCase cases[] = {
      CUT(LeftPart(abc, 0), ""),
      CUT(LeftPart(abc, -5), ""),
      CUT(LeftPart(abc, INT_MIN), ""),
      CUT(LeftPart(abc, 1), "a"),
      CUT(LeftPart(abc, 3), "abc"),
      CUT(LeftPart(abc, 10), "abc"),
      CUT(LeftPart(abc, INT_MAX), "abc"),
      CUT(LeftPart(Text(), 2), ""),
      CUT(RightPart(abc, 0), ""),
      CUT(RightPart(abc, -5), ""),
      CUT(RightPart(abc, INT_MIN), ""),
      CUT(RightPart(abc, 1), "c"),
      CUT(RightPart(abc, 3), "abc"),
      CUT(RightPart(abc, 10), "abc"),
      CUT(RightPart(abc, INT_MAX), "abc"),
      CUT(RightPart(Text(), 2), ""),
      CUT(MidPart(abc, 2, 1), "b"),
      CUT(MidPart(abc, 3, 2), "c"),
      CUT(MidPart(abc, 2, INT_MAX), "bc"),
      CUT(MidPart(abc, 4, 1), ""),
      CUT(MidPart(abc, 0, 2), ""),
      CUT(MidPart(abc, -1, 3), ""),
      CUT(MidPart(abc, INT_MIN, INT_MAX), ""),
      CUT(MidPart(abc, INT_MAX, 1), ""),
      CUT(MidPart(abc, 1, 0), ""),
      CUT(MidPart(abc, 1, -1), ""),
      CUT(MidPart(Text(), 1, 1), ""),
      // Cuts ignore the character rule and may split a two-byte character.
      CUT(LeftPart("\xD6\xD0" "a", 1), "\xD6"),
      CUT(RightPart("a\xD6\xD0", 1), "\xD0"),
      CUT(MidPart("\xD6\xD0\xCE\xC4", 2, 2), "\xD0\xCE"),
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ(c.actual, c.expected);
  }
}

TEST(TextBytes, LengthAndSignedByteCodes) {
  EXPECT_EQ(ByteLength(Text()), 0);
  EXPECT_EQ(ByteLength("\xD6\xD0" "a"), 3);
  EXPECT_EQ(ByteCodeAt("A"), 65);

  const struct {
    Text text;
    int32_t pos;
    int32_t expected;
  } cases[] = {
      {"\xB0", 1, -80},   {"\\", 1, 92},      {"\x80", 1, -128},
      {"\x7F", 1, 127},   {"ab\xFF", 3, -1},  {"", 1, 0},
      {"abc", 0, 0},      {"abc", 4, 0},      {"abc", -1, 0},
      {"abc", INT_MIN, 0}, {"abc", INT_MAX, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" at " << c.pos);
    EXPECT_EQ(ByteCodeAt(c.text, c.pos), c.expected);
  }
}

TEST(TextSearch, FirstAndLastFollowTheCharacterRule) {
  const struct {
    Text haystack;
    Text needle;
    bool ignoreCase;
    int32_t first;
    int32_t last;
  } cases[] = {
      {"  binary_path_name : C:\\x", "BINARY_PATH_NAME", true, 3, 3},
      {"  binary_path_name : C:\\x", "BINARY_PATH_NAME", false, -1, -1},
      {"ABC", "abc", true, 1, 1},
      // Only A..Z fold: not the Latin-1 pair, not the neighbours of the
      // letter ranges that a bit trick would fold.
      {"\xC1", "\xE1", true, -1, -1},
      {"@[", "`{", true, -1, -1},
      // The fold reaches the second byte of a two-byte character.
      {"\x95" "A", "\x95" "a", true, 1, 1},
      {"\x95\x5C", "\\", false, -1, -1},
      {"\xE9" "ab", "a", false, -1, -1},
      {"\xE9" "ab", "b", false, 3, 3},
      {"\xD6\xD0\xCE\xC4", "\xD0\xCE", false, -1, -1},
      // A match may end inside a two-byte character of the haystack.
      {"a\x95\x96", "a\x95", false, 1, 1},
      // A lead byte at the end is examined once as a character start.
      {"ab\x95", "\x95", false, 3, 3},
      {"\x95" "a", "a", false, -1, -1},
      {"abc", "", false, 1, 1},
      {"", "", true, -1, -1},
      {"", "a", false, -1, -1},
      {"ab", "abc", false, -1, -1},
      {"C:\\a\\b\\c", "\\", false, 3, 7},
      {"aaa", "aa", false, 1, 2},
      {"abcabc", "BC", true, 2, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.needle << "\" in \"" << c.haystack
                                    << "\" ignoreCase " << c.ignoreCase);
    EXPECT_EQ(FindFirst(c.haystack, c.needle, c.ignoreCase), c.first);
    EXPECT_EQ(FindLast(c.haystack, c.needle, c.ignoreCase), c.last);
  }
}

TEST(TextSplit, PiecesBetweenDelimitersAtCharacterStarts) {
  const struct {
    Text text;
    Text delimiter;
    TextList expected;
  } cases[] = {
      {"", "\r\n", {}},
      {"", "", {}},
      {"abc", "\r\n", {"abc"}},
      {"a", "\r\n", {"a"}},
      {"abc", "", {"abc"}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"a\r\n", "\r\n", {"a"}},
      {"\r\n", "\r\n", {""}},
      {"\r\n\r\n", "\r\n", {"", ""}},
      {"\r\na", "\r\n", {"", "a"}},
      {"a\rb\nc", "\r\n", {"a\rb\nc"}},
      // 0x95 takes the CR as its second byte, so that CR LF is not seen.
      {"a\x95\r\nb", "\r\n", {"a\x95\r\nb"}},
      {"a\x95,b,c", ",", {"a\x95,b", "c"}},
      {"a,\x95", ",", {"a", "\x95"}},
      {"aXb", "x", {"aXb"}},
      {"aaa", "aa", {"", "a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "split \"" << c.text << "\" at \"" << c.delimiter << '"');
    EXPECT_EQ(SplitAt(c.text, c.delimiter), c.expected);
  }
}

TEST(TextConcat, JoinsLiteralsTextsAndViewsInOrder) {
  const Text folder = "C:\\\xBF\xB4\\";
  const std::string_view view = "x.exe";
  EXPECT_EQ(ConcatText("del /f /s /q \"", folder, view, "\""),
            "del /f /s /q \"C:\\\xBF\xB4\\x.exe\"");
  EXPECT_EQ(ConcatText(Text("a"), Text(), "b"), "ab");
  EXPECT_EQ(ConcatText("", Text(), ""), "");
  EXPECT_EQ(ConcatText(folder), folder);
}

TEST(TextCompare, UnsignedBytesWithoutFolding) {
  const struct {
    Text a;
    Text b;
    int32_t expected;
  } cases[] = {
      {Text(), "", 0},     {"\\", "\\", 0},     {"abc", "ab", 1},
      {"ab", "abc", -1},   {"\x95", "a", 1},    {"a", "\x95", -1},
      {"A", "a", -1},      {"a", "A", 1},       {"ab\x80", "ab\x7F", 1},
      {"\xFF", "\x01", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.a << "\" vs \"" << c.b << '"');
    EXPECT_EQ(CompareBytes(c.a, c.b), c.expected);
  }
}

}  // namespace
