#pragma once

#include "text/Text.h"

// What Windows makes of path: GetFullPathNameA, which resolves ".", "..",
// "/", a drive-relative "X:" and the trailing spaces and dots of the last
// name, without looking at the disk. The empty Text when it fails.
Text FullPathName(const Text& path);

// True when path names an existing file (not a folder).
bool FileExists(const Text& path);
