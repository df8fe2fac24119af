#pragma once

#include <windows.h>

#include "text/Text.h"

// The Windows functions that the program binds by name on their first call,
// so that none of them is in its import table and a system that lacks one
// still starts. Each row: library name, function name, slot.
namespace sys {

// shlwapi.h is not included: it would link the function in the ordinary way.
using PathIsDirectoryAFn = BOOL(WINAPI*)(LPCSTR path);

// Called with the library and function that cannot be bound. The default
// shows a message box naming both and ends the process.
using BindFailureHandler = void (*)(const char* library, const char* function);
BindFailureHandler SetBindFailureHandler(BindFailureHandler handler);

// The text of the failure message box.
Text BindFailureMessage(const char* library, const char* function);

// Loads library and looks function up in it. On failure calls the failure
// handler and, should that return, gives NULL.
FARPROC BindFunction(const char* library, const char* function);

// Binds like BindFunction but never returns NULL: the process ends instead.
FARPROC BindFunctionOrExit(const char* library, const char* function);

template <typename Fn>
struct BoundFunction {
  const char* library;
  const char* name;
  // NULL until the first call; tests may put a stand-in here.
  Fn address;

  template <typename... Args>
  decltype(auto) operator()(Args... args) {
    if (!address) {
      // Through void (*)() so that -Wcast-function-type stays quiet.
      address = reinterpret_cast<Fn>(
          reinterpret_cast<void (*)()>(BindFunctionOrExit(library, name)));
    }
    return address(args...);
  }
};

inline BoundFunction<decltype(&::CreatePipe)> CreatePipe{"kernel32.dll", "CreatePipe", nullptr};
inline BoundFunction<decltype(&::CreateProcessA)> CreateProcessA{"kernel32.dll", "CreateProcessA",
                                                                 nullptr};
inline BoundFunction<decltype(&::CloseHandle)> CloseHandle{"kernel32", "CloseHandle", nullptr};
inline BoundFunction<decltype(&::PeekNamedPipe)> PeekNamedPipe{"kernel32.dll", "PeekNamedPipe",
                                                               nullptr};
inline BoundFunction<decltype(&::ReadFile)> ReadFile{"kernel32.dll", "ReadFile", nullptr};
inline BoundFunction<decltype(&::GetExitCodeProcess)> GetExitCodeProcess{
    "kernel32.dll", "GetExitCodeProcess", nullptr};
inline BoundFunction<decltype(&::GetInputState)> GetInputState{"user32", "GetInputState", nullptr};
inline BoundFunction<decltype(&::CreateWaitableTimerA)> CreateWaitableTimerA{
    "kernel32.dll", "CreateWaitableTimerA", nullptr};
inline BoundFunction<decltype(&::SetWaitableTimer)> SetWaitableTimer{
    "kernel32.dll", "SetWaitableTimer", nullptr};
inline BoundFunction<decltype(&::MsgWaitForMultipleObjects)> MsgWaitForMultipleObjects{
    "User32.dll", "MsgWaitForMultipleObjects", nullptr};
inline BoundFunction<PathIsDirectoryAFn> PathIsDirectoryA{"shlwapi.dll", "PathIsDirectoryA",
                                                          nullptr};

}  // namespace sys
