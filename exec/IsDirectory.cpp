#include "exec/IsDirectory.h"

#include <windows.h>

#include "exec/SystemFunctions.h"

bool IsDirectory(const Text& path) {
  // Any other nonzero value, as some shell versions give, is not a directory.
  return sys::PathIsDirectoryA(path.c_str()) == FILE_ATTRIBUTE_DIRECTORY;
}
