// The performance counter, tick count and local time, with and without the test clock.
#include <gtest/gtest.h>

#include "aru_platform.h"
#include "windows.h"

namespace {

class TestClock : public ::testing::Test {
 protected:
  void TearDown() override { platform::RemoveTestClock(); }
};

TEST_F(TestClock, CounterMovesOnlyWhenAdvancedOrSlept) {
  platform::InstallTestClock(5000000);
  LARGE_INTEGER frequency, first, second;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  QueryPerformanceCounter(&first);
  QueryPerformanceCounter(&second);
  EXPECT_EQ(first.QuadPart, 5000000 * frequency.QuadPart / 1000000);
  EXPECT_EQ(second.QuadPart, first.QuadPart);
  platform::AdvanceTestClock(250000);
  EXPECT_EQ(GetTickCount(), 5250u);
  Sleep(16);
  QueryPerformanceCounter(&second);
  EXPECT_EQ(second.QuadPart - first.QuadPart, 266000 * frequency.QuadPart / 1000000);
}

TEST_F(TestClock, LocalTimeIsTheFixedTimeAdvancedByTheClock) {
  platform::InstallTestClock(0);
  platform::SetTestLocalTime(2024, 2, 29, 23, 59, 58);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2024);
  EXPECT_EQ(now.wMonth, 2);
  EXPECT_EQ(now.wDay, 29);
  EXPECT_EQ(now.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(now.wHour, 23);
  EXPECT_EQ(now.wSecond, 58);
  platform::AdvanceTestClock(2500000);
  GetLocalTime(&now);
  EXPECT_EQ(now.wMonth, 3);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wHour, 0);
  EXPECT_EQ(now.wSecond, 0);
  EXPECT_EQ(now.wMilliseconds, 500);
}

TEST_F(TestClock, RealClockAdvancesAcrossSleep) {
  LARGE_INTEGER before, after;
  QueryPerformanceCounter(&before);
  Sleep(20);
  QueryPerformanceCounter(&after);
  EXPECT_GE(after.QuadPart - before.QuadPart, 19000);
  SYSTEMTIME now{};
  GetSystemTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
}

}  // namespace
