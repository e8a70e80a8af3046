// A thin wrapper over a Win32 mutex, used by the multiplayer code.
#pragma once

#include <windows.h>

class aruMutex {
 public:
  explicit aruMutex(const char* name = nullptr);
  ~aruMutex();
  aruMutex(const aruMutex&) = delete;
  aruMutex& operator=(const aruMutex&) = delete;

  bool IsValid() const { return valid; }
  DWORD Lock(DWORD timeout = INFINITE);
  BOOL Unlock();

 private:
  HANDLE handle = nullptr;
  bool valid = false;
};
