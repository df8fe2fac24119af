#pragma once

#include <cstdint>

// How long the runner sleeps between two looks at an empty pipe. It starts
// short, so that output and a quick end are seen at once, and doubles while
// the pipe stays empty, so that a long quiet command costs few wake-ups. A
// read starts it again from the shortest. The end of the child and window
// messages wake the wait at once whatever its length.
constexpr int32_t kFirstPollInterval = 1;  // ms
constexpr int32_t kMaxPollInterval = 16;   // ms, about one tick of the system timer

// The interval after an idle wait of interval milliseconds.
constexpr int32_t NextPollInterval(int32_t interval) {
  return interval < kMaxPollInterval / 2 ? interval * 2 : kMaxPollInterval;
}
