#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "TestSupport.h"
#include "exec/MessagePump.h"

namespace {

struct DueTimeCase {
  int32_t interval;
  int64_t unit;
  int64_t factor;
  int64_t dueTime;
};

class PumpingDueTimeTest : public testing::TestWithParam<DueTimeCase> {};

TEST_P(PumpingDueTimeTest, FollowsTheUnitTable) {
  const DueTimeCase& c = GetParam();
  EXPECT_EQ(PumpingWaitFactor(c.unit), c.factor);
  EXPECT_EQ(PumpingDueTime(c.interval, c.unit), c.dueTime);
}

INSTANTIATE_TEST_SUITE_P(
    Units, PumpingDueTimeTest,
    testing::Values(DueTimeCase{1, 0, 1, -10'000}, DueTimeCase{1, 1, 1'000, -10'000'000},
                    DueTimeCase{1, 2, 60'000, -600'000'000},
                    DueTimeCase{2, 3, 3'600'000, -72'000'000'000},
                    DueTimeCase{3, 7, 7, -210'000}, DueTimeCase{2, -5, -5, 100'000},
                    DueTimeCase{0, 2, 60'000, 0}, DueTimeCase{-1, 0, 1, 10'000},
                    // Beyond the 64-bit range the due time saturates.
                    DueTimeCase{std::numeric_limits<int32_t>::max(), 3, 3'600'000,
                                std::numeric_limits<int64_t>::min()},
                    DueTimeCase{1, std::numeric_limits<int64_t>::min(),
                                std::numeric_limits<int64_t>::min(),
                                std::numeric_limits<int64_t>::max()}));

class MessagePumpTest : public testing::Test {
 protected:
  void TearDown() override {
    SetPreTranslateFilter(nullptr);
    DiscardQueuedMessages();
  }

  TestWindow window_;
  std::vector<UINT> handled_;

  void Record(UINT message) {
    window_.On(message, [this, message] { handled_.push_back(message); });
  }
};

TEST_F(MessagePumpTest, DispatchStopsInFrontOfQuitAndLeavesItQueued) {
  Record(WM_APP);
  Record(WM_APP + 1);
  window_.Post(WM_APP);
  PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
  window_.Post(WM_APP + 1);

  DispatchPendingMessages();
  DispatchPendingMessages();
  EXPECT_EQ(handled_, std::vector<UINT>{WM_APP});

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 1));
}

TEST_F(MessagePumpTest, PreTranslateFilterCanConsumeAMessage) {
  Record(WM_APP);
  Record(WM_APP + 1);
  SetPreTranslateFilter([](MSG& msg) { return msg.message == WM_APP; });
  window_.Post(WM_APP);
  window_.Post(WM_APP + 1);
  DispatchPendingMessages();
  EXPECT_EQ(handled_, std::vector<UINT>{WM_APP + 1});
}

TEST_F(MessagePumpTest, PumpingWaitDispatchesWhatArrivesWhileWaiting) {
  Record(WM_APP);
  window_.Post(WM_APP);
  EXPECT_TRUE(PumpingWait(1));
  EXPECT_EQ(handled_, std::vector<UINT>{WM_APP});
}

}  // namespace
