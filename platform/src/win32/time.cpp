// QueryPerformanceCounter, GetTickCount, Sleep and the local/system time on clock_gettime, and
// the controllable clock tests install instead of it. The counter ticks in microseconds.
#include <time.h>
#include <sched.h>

#include <atomic>
#include <cerrno>

#include "aru_platform.h"
#include "windows.h"

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1000000;

// The test clock is read by the transport's threads too, hence atomics.
std::atomic<bool> testClockInstalled{false};
std::atomic<int64_t> testClockMicroseconds{0};

// A fixed local time: wall-clock seconds (as if UTC) at the moment of the monotonic reading
// below; local time then advances with the monotonic clock in use.
std::atomic<bool> testLocalTimeSet{false};
std::atomic<int64_t> testLocalTimeSeconds{0};
std::atomic<int64_t> testLocalTimeSetAt{0};

int64_t MonotonicMicroseconds() {
  if (testClockInstalled.load()) return testClockMicroseconds.load();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * kMicrosecondsPerSecond + now.tv_nsec / 1000;
}

void FillSystemTime(const tm& parts, int milliseconds, LPSYSTEMTIME out) {
  out->wYear = WORD(parts.tm_year + 1900);
  out->wMonth = WORD(parts.tm_mon + 1);
  out->wDayOfWeek = WORD(parts.tm_wday);
  out->wDay = WORD(parts.tm_mday);
  out->wHour = WORD(parts.tm_hour);
  out->wMinute = WORD(parts.tm_min);
  out->wSecond = WORD(parts.tm_sec);
  out->wMilliseconds = WORD(milliseconds);
}

// The fixed test time advanced by the monotonic time elapsed since it was set.
bool TestWallTime(LPSYSTEMTIME out) {
  if (!testLocalTimeSet.load()) return false;
  int64_t elapsed = MonotonicMicroseconds() - testLocalTimeSetAt.load();
  if (elapsed < 0) elapsed = 0;
  time_t seconds = time_t(testLocalTimeSeconds.load() + elapsed / kMicrosecondsPerSecond);
  tm parts{};
  gmtime_r(&seconds, &parts);
  FillSystemTime(parts, int((elapsed / 1000) % 1000), out);
  return true;
}

void RealWallTime(LPSYSTEMTIME out, bool local) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm parts{};
  if (local) localtime_r(&now.tv_sec, &parts);
  else gmtime_r(&now.tv_sec, &parts);
  FillSystemTime(parts, int(now.tv_nsec / 1000000), out);
}

}  // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = MonotonicMicroseconds();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kMicrosecondsPerSecond;
  return TRUE;
}

DWORD GetTickCount() { return DWORD(MonotonicMicroseconds() / 1000); }

void Sleep(DWORD milliseconds) {
  if (testClockInstalled.load()) {
    testClockMicroseconds.fetch_add(int64_t(milliseconds) * 1000);
    return;
  }
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec rest{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

void GetLocalTime(LPSYSTEMTIME time) {
  if (!time) return;
  if (!TestWallTime(time)) RealWallTime(time, true);
}

void GetSystemTime(LPSYSTEMTIME time) {
  if (!time) return;
  if (!TestWallTime(time)) RealWallTime(time, false);
}

namespace platform {

void InstallTestClock(int64_t startMicroseconds) {
  testClockMicroseconds.store(startMicroseconds);
  testClockInstalled.store(true);
}

void AdvanceTestClock(int64_t microseconds) { testClockMicroseconds.fetch_add(microseconds); }

void SetTestLocalTime(int year, int month, int day, int hour, int minute, int second) {
  tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  testLocalTimeSeconds.store(int64_t(timegm(&parts)));
  testLocalTimeSetAt.store(MonotonicMicroseconds());
  testLocalTimeSet.store(true);
}

void RemoveTestClock() {
  testClockInstalled.store(false);
  testLocalTimeSet.store(false);
}

}  // namespace platform
