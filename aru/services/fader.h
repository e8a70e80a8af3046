// The fader: a full-screen quad whose alpha is animated to fade the picture out and in.
#pragma once

#include <windows.h>

class ARU;

class aruFader {
 public:
  HRESULT Create(ARU* engine) {
    faderEngine = engine;
    return 0;
  }
  void Invalidate() {}
  void Restore() {}
  void Release() {}

 private:
  ARU* faderEngine = nullptr;
};
