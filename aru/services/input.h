// Keyboard and mouse through DirectInput, and the key and mouse-button bindings of a scene.
#pragma once

#include <windows.h>

class aruDInput {
 public:
  void SetWindow(HINSTANCE instance, HWND window) {
    inputInstance = instance;
    inputWindow = window;
  }
  HRESULT Create() { return 0; }
  void Acquire() {}
  void Dispatch() {}
  void ClearBindings() {}
  void Release() {}

 protected:
  HINSTANCE inputInstance = nullptr;
  HWND inputWindow = nullptr;
};
