// The fader: one full-screen quad in a solid colour whose alpha the engine animates to fade the
// picture to the colour (Cover) and back (Reveal). Scenes skip their menus while it runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "services/vb.h"

class ARU;

class aruFader {
 public:
  aruFader();
  ~aruFader();

  // Builds the full-screen quad; white, one second, clear.
  HRESULT Create(ARU* engine);
  HRESULT Restore();
  void Invalidate();
  void Release();

  void SetTexture(int32_t index);
  void SetDuration(float seconds);
  void SetColour(float red, float green, float blue);
  void Cover();
  void Reveal();
  void SetClear();
  void SetCovered();
  bool IsIdle() const { return idle; }
  // Advances a running fade from GetTickCount and draws the quad when it is not clear.
  void Update();

  float GetAlpha() const { return alpha; }
  bool IsCovering() const { return covering; }
  bool IsRevealing() const { return revealing; }
  aruVB* GetQuad() { return quad.get(); }

 private:
  void WriteColours();
  void Draw();

  ARU* engine = nullptr;
  bool revealing = false;
  bool covering = false;
  float alpha = 0;
  float red = 255;
  float green = 255;
  float blue = 255;
  float duration = 1;
  uint32_t startTime = 0;
  std::unique_ptr<aruVB> quad;
  bool idle = true;
  float rate = 255;
};
