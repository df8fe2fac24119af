#include "text/Text.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

bool IsLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

unsigned char FoldAscii(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x41 && b <= 0x5A) ? static_cast<unsigned char>(b + 0x20) : b;
}

// Start of the character after the one at i. A lead byte in the last
// position ends the scan, so the result is then the end of t.
size_t NextCharStart(std::string_view t, size_t i) {
  if (IsLeadByte(t[i])) {
    return i + 1 < t.size() ? i + 2 : t.size();
  }
  return i + 1;
}

bool BytesMatch(const char* at, std::string_view needle, bool ignoreCase) {
  if (!ignoreCase) {
    return std::string_view(at, needle.size()) == needle;
  }
  for (size_t i = 0; i < needle.size(); ++i) {
    if (FoldAscii(at[i]) != FoldAscii(needle[i])) {
      return false;
    }
  }
  return true;
}

// Calls onMatch(index) for each character start where the non-empty needle
// matches, in order, until it returns false.
template <typename OnMatch>
void ScanMatches(std::string_view haystack, std::string_view needle, bool ignoreCase,
                 OnMatch onMatch) {
  size_t i = 0;
  while (haystack.size() - i >= needle.size()) {
    if (BytesMatch(haystack.data() + i, needle, ignoreCase) && !onMatch(i)) {
      return;
    }
    i = NextCharStart(haystack, i);
  }
}

}  // namespace

int32_t ByteLength(const Text& t) {
  return static_cast<int32_t>(t.size());
}

Text LeftPart(const Text& t, int32_t n) {
  if (n <= 0) {
    return Text();
  }
  return t.substr(0, static_cast<size_t>(n));
}

Text RightPart(const Text& t, int32_t n) {
  if (n <= 0) {
    return Text();
  }
  const size_t count = std::min(static_cast<size_t>(n), t.size());
  return t.substr(t.size() - count);
}

Text MidPart(const Text& t, int32_t start, int32_t n) {
  const int64_t length = static_cast<int64_t>(t.size());
  if (start < 1 || start > length || n <= 0) {
    return Text();
  }
  // 64 bits: start + n - 1 may pass INT32_MAX.
  const int64_t last = std::min<int64_t>(int64_t{start} + n - 1, length);
  return t.substr(static_cast<size_t>(start - 1), static_cast<size_t>(last - start + 1));
}

int32_t ByteCodeAt(const Text& t, int32_t pos) {
  if (pos < 1 || static_cast<size_t>(pos) > t.size()) {
    return 0;
  }
  const int32_t b = static_cast<unsigned char>(t[static_cast<size_t>(pos - 1)]);
  return b >= 0x80 ? b - 0x100 : b;
}

int32_t FindFirst(const Text& haystack, const Text& needle, bool ignoreCase) {
  if (needle.empty()) {
    return haystack.empty() ? -1 : 1;
  }
  int32_t found = -1;
  ScanMatches(haystack, needle, ignoreCase, [&found](size_t i) {
    found = static_cast<int32_t>(i + 1);
    return false;
  });
  return found;
}

int32_t FindLast(const Text& haystack, const Text& needle, bool ignoreCase) {
  // An empty needle gives 1 here too, not the length.
  if (needle.empty()) {
    return haystack.empty() ? -1 : 1;
  }
  int32_t found = -1;
  ScanMatches(haystack, needle, ignoreCase, [&found](size_t i) {
    found = static_cast<int32_t>(i + 1);
    return true;
  });
  return found;
}

TextList SplitAt(const Text& t, const Text& delimiter) {
  TextList pieces;
  if (t.empty()) {
    return pieces;
  }
  if (delimiter.empty()) {
    pieces.push_back(t);
    return pieces;
  }
  const std::string_view view(t);
  size_t start = 0;
  size_t i = 0;
  while (view.size() - i >= delimiter.size()) {
    if (view.compare(i, delimiter.size(), delimiter) == 0) {
      pieces.emplace_back(view.substr(start, i - start));
      i += delimiter.size();
      start = i;
    } else {
      i = NextCharStart(view, i);
    }
  }
  // A delimiter at the very end opens no empty last piece.
  if (start < view.size()) {
    pieces.emplace_back(view.substr(start));
  }
  return pieces;
}

Text ConcatParts(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (std::string_view part : parts) {
    total += part.size();
  }
  Text joined;
  joined.reserve(total);
  for (std::string_view part : parts) {
    joined.append(part);
  }
  return joined;
}

int32_t CompareBytes(const Text& a, const Text& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  if (a.size() == b.size()) {
    return 0;
  }
  return a.size() < b.size() ? -1 : 1;
}
