// The frame timer under a controlled clock: no rate before 0.25 s of frames, then the mean of the
// last ten instantaneous rates, recomputed every 0.5 s.
#include "core/pcount.h"

#include <aru_platform.h>
#include <gtest/gtest.h>

namespace {

class FrameTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InstallTestClock(1000000);
    aruPCount::ResetAccumulatedTime();
  }
  void TearDown() override { platform::RemoveTestClock(); }
};

TEST_F(FrameTimerTest, RateReadsZeroUntilAQuarterSecondThenSixty) {
  aruPCount timer;
  const int64_t frame = 1000000 / 60;
  int updates = 0;
  double elapsed = 0;
  while (elapsed < 0.24) {
    platform::AdvanceTestClock(frame);
    timer.Update();
    elapsed += timer.GetFrameTime();
    ++updates;
    EXPECT_EQ(timer.GetFPS(), 0.0) << "after " << updates << " frames";
  }
  for (int i = 0; i < 20; ++i) {
    platform::AdvanceTestClock(frame);
    timer.Update();
  }
  EXPECT_NEAR(timer.GetFPS(), 60.0, 0.1);
  EXPECT_NEAR(timer.GetFrameTime(), 1.0 / 60.0, 1e-4);
}

TEST_F(FrameTimerTest, LongFrameIsReportedWhole) {
  aruPCount timer;
  platform::AdvanceTestClock(2000000);
  timer.Update();
  EXPECT_NEAR(timer.GetFrameTime(), 2.0, 1e-9);
}

TEST_F(FrameTimerTest, ZeroIntervalNeitherAveragesNorPoisonsTheHistory) {
  aruPCount timer;
  for (int i = 0; i < 30; ++i) {
    platform::AdvanceTestClock(1000000 / 50);
    timer.Update();
  }
  const double before = timer.GetFPS();
  EXPECT_NEAR(before, 50.0, 0.1);
  timer.Update();  // same tick
  EXPECT_EQ(timer.GetFrameTime(), 0.0);
  EXPECT_EQ(timer.GetFPS(), before);
  for (int i = 0; i < 40; ++i) {
    platform::AdvanceTestClock(1000000 / 50);
    timer.Update();
  }
  EXPECT_NEAR(timer.GetFPS(), 50.0, 0.1);
}

TEST_F(FrameTimerTest, AverageIsRecomputedOnlyEveryHalfSecond) {
  aruPCount timer;
  for (int i = 0; i < 30; ++i) {
    platform::AdvanceTestClock(1000000 / 100);
    timer.Update();
  }
  const double settled = timer.GetFPS();
  EXPECT_NEAR(settled, 100.0, 0.1);
  // A sudden slow-down shows only at the next half-second boundary.
  platform::AdvanceTestClock(1000000 / 20);
  timer.Update();
  EXPECT_EQ(timer.GetFPS(), settled);
}

}  // namespace
