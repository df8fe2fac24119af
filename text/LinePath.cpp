#include "text/LinePath.h"

#include <cstdint>
#include <utility>

namespace {

const Text kLineBreak = "\r\n";
const Text kBackslash = "\\";

// a - b, exact in 64 bits, then kept to its low 32 bits as a signed value,
// so a huge negative n wraps instead of saturating.
int32_t CountDifference(int64_t a, int64_t b) {
  const auto low = static_cast<uint32_t>(static_cast<uint64_t>(a - b));
  return low <= 0x7FFFFFFFu ? static_cast<int32_t>(low)
                            : static_cast<int32_t>(static_cast<int64_t>(low) - 0x100000000LL);
}

}  // namespace

int32_t FindLineContaining(const Text& text, const Text& token, bool caseSensitive) {
  const TextList lines = SplitAt(text, kLineBreak);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (FindFirst(lines[i], token, !caseSensitive) != -1) {
      return static_cast<int32_t>(i + 1);
    }
  }
  return 0;
}

Text GetLine(const Text& text, int32_t n) {
  TextList lines = SplitAt(text, kLineBreak);
  if (n < 1 || static_cast<size_t>(n) > lines.size()) {
    return Text();
  }
  return std::move(lines[static_cast<size_t>(n - 1)]);
}

Text DropLeading(const Text& text, int32_t n) {
  return RightPart(text, CountDifference(ByteLength(text), n));
}

Text DropTrailing(const Text& text, int32_t n) {
  return LeftPart(text, CountDifference(ByteLength(text), n));
}

Text ParentDirOf(const Text& path) {
  Text folder = path;
  // One trailing backslash only, judged by the last byte alone.
  if (CompareBytes(RightPart(folder, 1), kBackslash) == 0) {
    folder = LeftPart(folder, CountDifference(ByteLength(folder), 1));
  }
  return LeftPart(folder, FindLast(folder, kBackslash, false));
}

Text CharAtPosition(const Text& text, int32_t pos, bool& isDoubleByte) {
  if (pos > ByteLength(text) || pos <= 0) {
    return Text();
  }
  if (ByteCodeAt(MidPart(text, pos, 2)) >= 0) {
    isDoubleByte = false;
    return MidPart(text, pos, 1);
  }
  isDoubleByte = true;
  const int32_t previous = CountDifference(pos, 1);
  // Looks one byte back only: two high bytes in a row are read as one
  // character ending at pos.
  if (ByteCodeAt(MidPart(text, previous, 2)) < 0) {
    return MidPart(text, previous, 2);
  }
  return MidPart(text, pos, 2);
}
