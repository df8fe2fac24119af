#pragma once

// GoogleTest's Notification is built on std::mutex, which MinGW's win32
// thread model lacks. GoogleTest uses it only in its own threading helpers,
// which these tests never call; an atomic flag does the same job.
#if defined(__MINGW32__)
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
#endif
