// Win32 mutexes on a recursive timed lock of our own (std::recursive_timed_mutex cannot tell
// who owns it, and ReleaseMutex from a non-owner must fail rather than corrupt it). Handles are
// checked against the set of live ones, so a stale or foreign handle gives ERROR_INVALID_HANDLE.
// Named mutexes are shared within the process only.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "win32/win32_internal.h"

namespace {

class RecursiveMutex {
 public:
  // Waits until the calling thread owns the mutex; false on timeout.
  bool Acquire(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(state_);
    auto me = std::this_thread::get_id();
    auto available = [&] { return depth_ == 0 || owner_ == me; };
    if (milliseconds == INFINITE) {
      released_.wait(lock, available);
    } else if (!released_.wait_for(lock, std::chrono::milliseconds(milliseconds), available)) {
      return false;
    }
    owner_ = me;
    ++depth_;
    return true;
  }

  bool Release() {
    std::lock_guard<std::mutex> lock(state_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--depth_ == 0) {
      owner_ = {};
      released_.notify_one();
    }
    return true;
  }

 private:
  std::mutex state_;  // guards owner_ and depth_
  std::condition_variable released_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

struct MutexHandle {
  std::shared_ptr<RecursiveMutex> mutex;
  std::string name;
};

// Live handles and the named mutexes, both guarded by registryLock.
std::mutex registryLock;
std::set<MutexHandle*> liveHandles;
std::map<std::string, std::weak_ptr<RecursiveMutex>> namedMutexes;

// The mutex behind a handle, or null (with ERROR_INVALID_HANDLE) for an unknown handle.
std::shared_ptr<RecursiveMutex> MutexOf(HANDLE handle) {
  std::lock_guard<std::mutex> guard(registryLock);
  auto found = liveHandles.find(static_cast<MutexHandle*>(handle));
  if (found == liveHandles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return (*found)->mutex;
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  auto handle = std::make_unique<MutexHandle>();
  bool alreadyExisted = false;
  {
    std::lock_guard<std::mutex> guard(registryLock);
    if (name && *name) {
      handle->name = name;
      handle->mutex = namedMutexes[name].lock();
      alreadyExisted = handle->mutex != nullptr;
    }
    if (!handle->mutex) handle->mutex = std::make_shared<RecursiveMutex>();
    if (!handle->name.empty()) namedMutexes[handle->name] = handle->mutex;
    liveHandles.insert(handle.get());
  }
  // Opening an existing named mutex never takes ownership, as on Windows.
  if (initialOwner && !alreadyExisted) handle->mutex->Acquire(INFINITE);
  SetLastError(alreadyExisted ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle.release();
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::shared_ptr<RecursiveMutex> mutex = MutexOf(handle);
  if (!mutex) return WAIT_FAILED;
  return mutex->Acquire(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL ReleaseMutex(HANDLE handle) {
  std::shared_ptr<RecursiveMutex> mutex = MutexOf(handle);
  if (!mutex) return FALSE;
  if (!mutex->Release()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  std::unique_ptr<MutexHandle> closing;
  std::lock_guard<std::mutex> guard(registryLock);
  auto found = liveHandles.find(static_cast<MutexHandle*>(handle));
  if (found == liveHandles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  closing.reset(*found);
  liveHandles.erase(found);
  if (!closing->name.empty() && closing->mutex.use_count() == 1) {
    namedMutexes.erase(closing->name);
  }
  return TRUE;
}
