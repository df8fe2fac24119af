#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A byte string in the ANSI code page of the running system, without NUL.
// Lengths and positions count bytes; positions are 1-based. A default
// (never assigned) Text is the empty Text.
using Text = std::string;

// The pieces that SplitAt returns; piece i (1-based) is list[i - 1].
using TextList = std::vector<Text>;

int32_t ByteLength(const Text& t);

// Cuts by byte count, ignoring double-byte characters.
Text LeftPart(const Text& t, int32_t n);
Text RightPart(const Text& t, int32_t n);
Text MidPart(const Text& t, int32_t start, int32_t n);

// The byte at pos as a signed 8-bit value; 0 outside 1..length.
int32_t ByteCodeAt(const Text& t, int32_t pos = 1);

// Positions of needle, scanning whole characters (a byte 0x80..0xFF takes
// the next byte with it); -1 when there is none. ignoreCase folds ASCII only.
int32_t FindFirst(const Text& haystack, const Text& needle, bool ignoreCase);
int32_t FindLast(const Text& haystack, const Text& needle, bool ignoreCase);

// Pieces between delimiters found at character starts, never case-folded.
// The empty Text gives no piece; a delimiter at the end opens no empty one.
TextList SplitAt(const Text& t, const Text& delimiter);

Text ConcatParts(std::initializer_list<std::string_view> parts);

template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  return ConcatParts({std::string_view(parts)...});
}

// -1, 0 or +1, comparing unsigned bytes; a proper prefix is the smaller.
int32_t CompareBytes(const Text& a, const Text& b);
