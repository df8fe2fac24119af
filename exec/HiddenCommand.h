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

// The system folder and the Windows folder, without a closing backslash;
// the empty Text when Windows cannot tell.
Text SystemFolder();
Text WindowsFolder();

// The interpreter for an OS type of GetOsType, by full path: cmd.exe in the
// system folder, command.com in the Windows folder. Empty when unknown.
Text InterpreterPath(int32_t osType);

// The interpreter's command-line prefix for an OS type of GetOsType; it
// ends in a space. Empty when the interpreter's folder is unknown.
Text InterpreterPrefix(int32_t osType);
