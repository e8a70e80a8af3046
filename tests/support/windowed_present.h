// Present parameters for a windowed test device: one X8R8G8B8 back buffer of the given size,
// discarded at each Present, with a 16-bit depth buffer. Shared by the test programs, the
// benchmark and the fuzz harnesses that make a device of their own.
#pragma once

#include <d3d9.h>

inline D3DPRESENT_PARAMETERS WindowedPresentParameters(UINT width, UINT height, HWND window,
                                                       UINT interval = D3DPRESENT_INTERVAL_DEFAULT) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.PresentationInterval = interval;
  return parameters;
}
