// aruMutex over CreateMutexA / WaitForSingleObject / ReleaseMutex.
#include "mutex.h"

aruMutex::aruMutex(const char* name) {
  handle = CreateMutexA(NULL, FALSE, name);
  valid = handle != nullptr;
}

aruMutex::~aruMutex() {
  if (handle) CloseHandle(handle);
}

DWORD aruMutex::Lock(DWORD timeout) { return WaitForSingleObject(handle, timeout); }

BOOL aruMutex::Unlock() { return ReleaseMutex(handle); }
