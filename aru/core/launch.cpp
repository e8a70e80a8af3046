// Starting a program or opening a document through the shell, from the current directory.
#include "launch.h"

#include <windows.h>

bool LaunchFile(const char* path) {
  char currentDirectory[256] = {};
  GetCurrentDirectoryA(255, currentDirectory);
  HINSTANCE result = ShellExecuteA(NULL, "open", path, NULL, currentDirectory, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
