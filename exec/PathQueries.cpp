#include "exec/PathQueries.h"

#include <windows.h>

Text FullPathName(const Text& path) {
  if (path.empty()) return Text();
  Text full(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return Text();
    // A result too long for the buffer gives the size it needs instead.
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.assign(length, '\0');
  }
}

bool FileExists(const Text& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
