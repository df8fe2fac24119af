#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Numbered 16-byte lines cut to length: a lost or reordered block shows.
inline std::string OutputPattern(size_t length) {
  std::string pattern;
  pattern.reserve(length + 16);
  char line[32];
  for (unsigned long long n = 0; pattern.size() < length; ++n) {
    std::snprintf(line, sizeof(line), "%014llu\r\n", n);
    pattern += line;
  }
  pattern.resize(length);
  return pattern;
}
