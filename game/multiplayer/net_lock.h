// Holding netLock for a scope: taken with an infinite wait on construction and given back on
// destruction, so a handler that returns early or fails still releases it.
#pragma once

#include "core/mutex.h"

class NetLockGuard {
 public:
  explicit NetLockGuard(aruMutex& lock) : held(lock) { held.Lock(INFINITE); }
  ~NetLockGuard() { held.Unlock(); }
  NetLockGuard(const NetLockGuard&) = delete;
  NetLockGuard& operator=(const NetLockGuard&) = delete;

 private:
  aruMutex& held;
};
