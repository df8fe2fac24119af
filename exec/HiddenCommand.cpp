#include "exec/HiddenCommand.h"

#include <windows.h>

#include <cstring>

#include "exec/MessagePump.h"
#include "exec/PollCadence.h"
#include "exec/PumpWait.h"
#include "exec/SystemFunctions.h"
#include "exec/UniqueHandle.h"

#if !defined(_WIN64)
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12, "32-bit SECURITY_ATTRIBUTES");
static_assert(sizeof(STARTUPINFOA) == 68, "32-bit STARTUPINFOA");
static_assert(sizeof(OSVERSIONINFOA) == 148, "32-bit OSVERSIONINFOA");
#endif

namespace {

// Large enough that a child flooding the pipe rarely waits for the reader.
constexpr DWORD kPipeBufferSize = 1 << 20;

// The number of bytes before the first zero byte of a chunk.
size_t ChunkLength(const char* bytes, size_t length) {
  const void* zero = std::memchr(bytes, 0, length);
  return zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : length;
}

// Appends what the pipe holds to output, each read's bytes cut at their first
// zero byte. Returns the number of bytes read; 0 for an empty or broken pipe.
DWORD ReadWaiting(HANDLE pipe, Text& output) {
  DWORD available = 0;
  if (!pipe || !sys::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) ||
      available == 0) {
    return 0;
  }
  // Read straight into the tail of the output: appending keeps the whole
  // capture linear in its size.
  const size_t start = output.size();
  output.resize(start + available);
  DWORD read = 0;
  if (!sys::ReadFile(pipe, &output[start], available, &read, nullptr)) read = 0;
  output.resize(start + ChunkLength(&output[start], read));
  return read;
}

// A folder that Windows names into a buffer, without a closing backslash.
Text QueryFolder(UINT(WINAPI* query)(LPSTR, UINT)) {
  char buffer[MAX_PATH] = {};
  const UINT length = query(buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Text(buffer, length) : Text();
}

// The command-line prefix for the interpreter at path.
Text PrefixFor(int32_t osType, const Text& path) {
  if (path.empty()) return Text();
  // /d: no AutoRun command from the registry runs before ours.
  if (osType > 2) return ConcatText("\"", path, "\" /d /c ");
  // command.com takes no quoted program name; the Windows folder of that
  // family has a short name.
  return ConcatText(path, " /c ");
}

}  // namespace

Text SystemFolder() { return QueryFolder(GetSystemDirectoryA); }

Text WindowsFolder() { return QueryFolder(GetWindowsDirectoryA); }

// Named by full path, so no file next to the program or in the current
// folder can stand in for the interpreter.
Text InterpreterPath(int32_t osType) {
  const Text folder = osType > 2 ? SystemFolder() : WindowsFolder();
  if (folder.empty()) return Text();
  return ConcatText(folder, osType > 2 ? "\\cmd.exe" : "\\command.com");
}

Text InterpreterPrefix(int32_t osType) { return PrefixFor(osType, InterpreterPath(osType)); }

int32_t GetOsType() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  // Deprecated in newer SDKs, yet the one call that names the Windows 9x
  // family; only dwPlatformId is read.
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  GetVersionExA(&info);
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: return 3;
    case VER_PLATFORM_WIN32_WINDOWS: return 2;
    case VER_PLATFORM_WIN32s: return 1;
    default: return 0;
  }
}

Text BytesToText(const char* bytes, int32_t length) {
  if (!bytes || length <= 0) return Text();
  return Text(bytes, ChunkLength(bytes, static_cast<size_t>(length)));
}

Text RunHiddenCommand(const Text& command) {
  // No message may be dispatched until the write end is closed: a nested
  // call's child would inherit it and keep this pipe from breaking.
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  security.bInheritHandle = TRUE;
  HANDLE readHandle = nullptr;
  HANDLE writeHandle = nullptr;
  if (!sys::CreatePipe(&readHandle, &writeHandle, &security, kPipeBufferSize)) {
    // The command still runs; what it writes is lost.
    readHandle = nullptr;
    writeHandle = nullptr;
  }
  UniqueHandle readEnd(readHandle);
  UniqueHandle writeEnd(writeHandle);

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();

  // CreateProcessA may write into the command line: it gets its own copy.
  const int32_t osType = GetOsType();
  const Text interpreter = InterpreterPath(osType);
  Text commandLine = ConcatText(PrefixFor(osType, interpreter), command);
  // The children start in the system folder: cmd looks for sc, net and netsh
  // in its current folder before the path.
  const Text childFolder = SystemFolder();
  PROCESS_INFORMATION child = {};
  // A console without a window, shared by the tools the interpreter starts:
  // nothing flashes up, even where a terminal application hosts consoles, and
  // no console window is made per command (a quarter second each under Wine).
  const BOOL created =
      !interpreter.empty() && !childFolder.empty() &&
      sys::CreateProcessA(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW, nullptr, childFolder.c_str(), &startup, &child);
  UniqueHandle thread(created ? child.hThread : nullptr);
  UniqueHandle process(created ? child.hProcess : nullptr);
  writeEnd.reset();
  if (!process) return Text();

  Text output;
  // One periodic timer serves the idle waits of this call; it is armed again
  // only when the interval changes.
  UniqueHandle timer;
  int32_t armedInterval = 0;
  int32_t interval = kFirstPollInterval;
  bool ended = false;
  for (;;) {
    if (ReadWaiting(readEnd.get(), output) > 0) {
      // No wait after a read, but queued messages still get their turn
      // while a child floods the pipe.
      DispatchPendingMessages();
      interval = kFirstPollInterval;
      continue;
    }
    // The pipe is empty. Once the child's end has been seen, this means
    // everything it wrote has been read.
    if (ended) break;
    PumpIfInputPending();
    if (interval != armedInterval) {
      ArmPollTimer(timer, PumpingDueTime(interval, 0), interval);
      armedInterval = interval;
    }
    // The end is the process handle's signal: an exit code of 259 would
    // pass for STILL_ACTIVE.
    ended = WaitDispatching(timer.get(), static_cast<DWORD>(interval), process.get());
    interval = NextPollInterval(interval);
  }
  return output;
}
