#pragma once

#include <windows.h>

#include <string>

#include "exec/UniqueHandle.h"

// The build names programs by their Unix paths; Wine reaches / through Z:.
std::string WindowsPathOf(const std::string& unixPath);

// A window's text as bytes, also from another process; a hung window gives
// what was copied before the time-out.
std::string WindowText(HWND hwnd);

// Waits, polling every 10 ms, until condition holds; false on time-out.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// One running instance of a windowed program, found by its first visible
// top-level window. Asked to close (then ended) when it goes out of scope.
class RunningProgram {
 public:
  // A null directory starts it in the caller's current directory; a null
  // caption accepts any visible window of the process.
  RunningProgram(const std::string& exe, DWORD creationFlags, const char* directory,
                 const char* caption, DWORD timeoutMs);
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  ~RunningProgram();

  // Null when the program did not start or showed no window in time.
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  HANDLE Process() const { return process_.get(); }
  DWORD ThreadId() const { return threadId_; }
  bool Running() const;
  // The exit code once the process has ended; -1 if it does not end in time.
  long long WaitForExit(DWORD timeoutMs) const;

 private:
  UniqueHandle process_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
};
