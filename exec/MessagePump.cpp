#include "exec/MessagePump.h"

#include <cmath>
#include <limits>

#include "exec/PumpWait.h"
#include "exec/SystemFunctions.h"

namespace {

// QS_KEY through QS_HOTKEY; QS_RAWINPUT is left out.
constexpr DWORD kWakeMask = 0xFF;

PreTranslateFilter gPreTranslateFilter = nullptr;

// The wait for when there is no timer: time-outs on MsgWaitForMultipleObjects.
bool WaitWithTimeouts(DWORD totalMs, HANDLE object) {
  const DWORD count = object ? 1 : 0;
  // GetTickCount rather than GetTickCount64, which older systems lack; the
  // unsigned difference survives its wrap.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD remaining = elapsed < totalMs ? totalMs - elapsed : 0;
    const DWORD result =
        sys::MsgWaitForMultipleObjects(count, &object, FALSE, remaining, kWakeMask);
    if (count == 1 && result == WAIT_OBJECT_0) return true;
    if (result == WAIT_OBJECT_0 + count) {
      DispatchPendingMessages();
      continue;
    }
    if (result == WAIT_TIMEOUT) return false;
    // The wait itself fails: sleep rather than let the caller spin, and look
    // at the object directly.
    Sleep(remaining > 0 ? remaining : 1);
    return object && WaitForSingleObject(object, 0) != WAIT_TIMEOUT;
  }
}

}  // namespace

void SetPreTranslateFilter(PreTranslateFilter filter) { gPreTranslateFilter = filter; }

void ProcessMessage(MSG& msg) {
  if (gPreTranslateFilter && gPreTranslateFilter(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
    // PeekMessageA rather than GetMessageA: should the peeked message be gone
    // by now (a paint validated meanwhile), GetMessageA would block.
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ProcessMessage(msg);
  }
}

void PumpIfInputPending() {
  if (sys::GetInputState()) DispatchPendingMessages();
}

int64_t PumpingWaitFactor(int64_t unit) {
  switch (unit) {
    case 0: return 1;
    case 1: return 1'000;
    case 2: return 60'000;
    case 3: return 3'600'000;
    default: return unit;
  }
}

int64_t PumpingDueTime(int32_t interval, int64_t unit) {
  const double due = -(static_cast<double>(interval) *
                       static_cast<double>(PumpingWaitFactor(unit)) * 10'000.0);
  // 2^63 is exact in double; anything beyond would make the cast undefined.
  constexpr double kLimit = 9'223'372'036'854'775'808.0;
  if (due >= kLimit) return std::numeric_limits<int64_t>::max();
  if (due <= -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(std::trunc(due));
}

bool PumpingWait(int32_t interval, int64_t unit) {
  const int64_t dueTime = PumpingDueTime(interval, unit);
  UniqueHandle timer;
  ArmPollTimer(timer, dueTime, 0);
  WaitDispatching(timer.get(), DueMilliseconds(dueTime), nullptr);
  return true;
}

bool ArmPollTimer(UniqueHandle& timer, int64_t dueTime, LONG periodMs) {
  if (!timer) timer.reset(sys::CreateWaitableTimerA(nullptr, FALSE, nullptr));
  LARGE_INTEGER due;
  due.QuadPart = dueTime;
  if (timer && !sys::SetWaitableTimer(timer.get(), &due, periodMs, nullptr, nullptr, FALSE)) {
    timer.reset();
  }
  return static_cast<bool>(timer);
}

DWORD DueMilliseconds(int64_t dueTime) {
  if (dueTime >= 0) return 0;
  const uint64_t ms = (0 - static_cast<uint64_t>(dueTime) + 9'999) / 10'000;
  return ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
}

bool WaitDispatching(HANDLE timer, DWORD fallbackMs, HANDLE object) {
  if (timer) {
    // The object first: when both are signalled, its state is what counts.
    HANDLE handles[2];
    DWORD count = 0;
    if (object) handles[count++] = object;
    handles[count++] = timer;
    for (;;) {
      const DWORD result =
          sys::MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, kWakeMask);
      if (result < WAIT_OBJECT_0 + count) return object && result == WAIT_OBJECT_0;
      if (result != WAIT_OBJECT_0 + count) break;
      DispatchPendingMessages();
    }
  }
  return WaitWithTimeouts(fallbackMs, object);
}
