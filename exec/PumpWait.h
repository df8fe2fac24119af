#pragma once

#include <windows.h>

#include <cstdint>

#include "exec/UniqueHandle.h"

// Arms timer, made on first use, to fire at dueTime (as SetWaitableTimer
// takes it) and then, unless periodMs is 0, every periodMs. When the timer
// cannot be made or armed it is left empty and the result is false.
bool ArmPollTimer(UniqueHandle& timer, int64_t dueTime, LONG periodMs);

// Milliseconds until a relative due time; an absolute one counts as past.
DWORD DueMilliseconds(int64_t dueTime);

// Sleeps until timer or object (either may be NULL) is signalled, dispatching
// the messages that arrive meanwhile. Without a timer, or when the wait
// fails, it sleeps fallbackMs on time-outs instead; it never spins.
// Returns true when object has been signalled.
bool WaitDispatching(HANDLE timer, DWORD fallbackMs, HANDLE object);
