// The capabilities of the fixed-function devices this platform offers, filled from the limits
// of the renderer behind them.
#pragma once

#include <vector>

#include "d3d9.h"

namespace platform::d3d9 {

struct RendererLimits {
  DWORD maxTextureSize = 2048;
  DWORD textureUnits = 2;
  DWORD maxLights = 8;
  float maxPointSize = 1.0f;
  DWORD maxAnisotropy = 1;
  DWORD maxClipPlanes = 6;
  DWORD maxElementIndex = 0xFFFFFF;
  bool autoGenerateMipmaps = false;
};

D3DCAPS9 FixedFunctionCaps(const RendererLimits& limits);

// The mode list every adapter offers in full screen when the display reports none.
void AddStandardModes(std::vector<D3DDISPLAYMODE>* modes, UINT refreshRate);
void SortModes(std::vector<D3DDISPLAYMODE>* modes);

}  // namespace platform::d3d9
