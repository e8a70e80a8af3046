// Win32 mutexes: recursion by the owner, timeouts for others, ownership checks and handles.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "windows.h"

namespace {

DWORD WaitFromOtherThread(HANDLE mutex, DWORD milliseconds, bool release = false) {
  DWORD result = 0;
  std::thread other([&] {
    result = WaitForSingleObject(mutex, milliseconds);
    if (release && result == WAIT_OBJECT_0) ReleaseMutex(mutex);
  });
  other.join();
  return result;
}

TEST(Mutex, OwnerMayLockRecursivelyAndOthersTimeOutUntilFullyReleased) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), DWORD(WAIT_OBJECT_0));
  EXPECT_EQ(WaitFromOtherThread(mutex, 30), DWORD(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitFromOtherThread(mutex, 0), DWORD(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitFromOtherThread(mutex, 0, true), DWORD(WAIT_OBJECT_0));
  EXPECT_TRUE(CloseHandle(mutex));
}

TEST(Mutex, WaiterProceedsWhenTheOwnerReleases) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    if (WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0) {
      acquired = true;
      ReleaseMutex(mutex);
    }
  });
  Sleep(20);
  EXPECT_FALSE(acquired);
  ReleaseMutex(mutex);
  waiter.join();
  EXPECT_TRUE(acquired);
  CloseHandle(mutex);
}

TEST(Mutex, ReleaseByANonOwnerFails) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), 288u);  // ERROR_NOT_OWNER
  WaitForSingleObject(mutex, INFINITE);
  BOOL released = TRUE;
  std::thread([&] { released = ReleaseMutex(mutex); }).join();
  EXPECT_FALSE(released);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST(Mutex, NamedMutexIsSharedAndReportsThatItExisted) {
  HANDLE first = CreateMutexA(nullptr, TRUE, "rallix-test-mutex");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE second = CreateMutexA(nullptr, TRUE, "rallix-test-mutex");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitFromOtherThread(second, 0), DWORD(WAIT_TIMEOUT));
  ReleaseMutex(first);
  EXPECT_EQ(WaitFromOtherThread(second, 0, true), DWORD(WAIT_OBJECT_0));
  CloseHandle(first);
  CloseHandle(second);
}

TEST(Mutex, ClosedOrUnknownHandlesAreRejected) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_FALSE(CloseHandle(mutex));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  int notAHandle = 0;
  EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), DWORD(WAIT_FAILED));
  EXPECT_FALSE(ReleaseMutex(nullptr));
}

}  // namespace
