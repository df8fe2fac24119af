#pragma once

#include "text/Text.h"

// Runs command through the command interpreter with no window, dispatching
// window messages meanwhile, and returns everything it wrote to standard
// output and standard error once it has ended.
Text RunHiddenCommand(const Text& command);

// The bytes before the first zero byte; the empty Text for no bytes.
Text BytesToText(const char* bytes, int32_t length);

// 3 on the NT family, 2 on Windows 95/98/Me, 1 on Win32s, 0 otherwise.
int32_t GetOsType();

// The interpreter's command-line prefix for an OS type of GetOsType.
const char* InterpreterPrefix(int32_t osType);
