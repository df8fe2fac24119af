#pragma once

#include <windows.h>

#include <cstdint>

// Lets a window consume a message before it is translated and dispatched
// (the main window's keyboard rules). Returns true when consumed.
using PreTranslateFilter = bool (*)(MSG& msg);
void SetPreTranslateFilter(PreTranslateFilter filter);

// One step of the message loop for a message already taken from the queue.
void ProcessMessage(MSG& msg);

// Dispatches queued messages until the queue is empty or WM_QUIT is next;
// a queued WM_QUIT stays queued.
void DispatchPendingMessages();

// Dispatches when keyboard or mouse-button input is waiting.
void PumpIfInputPending();

// Waits interval x unit factor milliseconds (unit 0: ms, 1: s, 2: min,
// 3: h, other: the value itself) while dispatching messages. Always true.
bool PumpingWait(int32_t interval, int64_t unit = 0);

// Milliseconds per step of a PumpingWait unit.
int64_t PumpingWaitFactor(int64_t unit);

// -(interval x factor x 10,000) in 100 ns units, truncated toward zero: the
// relative due time SetWaitableTimer takes. Clamped to the 64-bit range.
int64_t PumpingDueTime(int32_t interval, int64_t unit);
