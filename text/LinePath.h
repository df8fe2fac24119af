#pragma once

#include "text/Text.h"

// Lines are the pieces between CR LF separators, numbered from 1.
// Number of the first line holding token; 0 when no line does.
int32_t FindLineContaining(const Text& text, const Text& token, bool caseSensitive);
// Line n; the empty Text when there is no such line.
Text GetLine(const Text& text, int32_t n);

// Cut by byte count; the count text length - n wraps as a signed 32-bit value.
Text DropLeading(const Text& text, int32_t n);
Text DropTrailing(const Text& text, int32_t n);

// The path up to and including its last backslash (a trailing one ignored);
// the empty Text when there is none.
Text ParentDirOf(const Text& path);

// The one- or two-byte character at byte position pos; isDoubleByte is left
// untouched when pos is out of range.
Text CharAtPosition(const Text& text, int32_t pos, bool& isDoubleByte);
