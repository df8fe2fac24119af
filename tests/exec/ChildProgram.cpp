// A console child for the runner's tests and benchmark:
//   write N    writes N bytes of OutputPattern to standard output
//   sleep MS   sleeps MS milliseconds
//   zero       writes "abc", a zero byte and "def" in one write
//   console    writes "window" or "no window": whether its console has one
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "OutputPattern.h"

namespace {

// Odd-sized writes, so that chunks and pipe buffer never line up.
constexpr size_t kWriteSize = 10'007;

int WriteAll(const std::string& bytes) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (size_t done = 0; done < bytes.size();) {
    const DWORD part = static_cast<DWORD>(std::min(kWriteSize, bytes.size() - done));
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, part, &written, nullptr) || written == 0) return 1;
    done += written;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "write") == 0) {
    return WriteAll(OutputPattern(std::strtoull(argv[2], nullptr, 10)));
  }
  if (argc == 3 && std::strcmp(argv[1], "sleep") == 0) {
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "zero") == 0) {
    return WriteAll(std::string("abc\0def", 7));
  }
  if (argc == 2 && std::strcmp(argv[1], "console") == 0) {
    return WriteAll(GetConsoleWindow() ? "window\r\n" : "no window\r\n");
  }
  return 2;
}
