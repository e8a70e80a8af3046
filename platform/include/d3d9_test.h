// Hooks for tests of code that draws through Direct3D: the null device (ARU_VIDEO=null) can be
// told to lose itself, and it counts what was cleared, drawn and presented. Each function
// returns false when the device is not a null device.
#pragma once

#include "d3d9.h"

namespace platform {

struct NullDeviceCounters {
  unsigned draws = 0;       // successful draw calls of any kind
  unsigned primitives = 0;  // primitives those calls drew
  unsigned clears = 0;
  unsigned presents = 0;
  unsigned resets = 0;      // successful resets
  unsigned evictions = 0;   // EvictManagedResources calls
  D3DCOLOR lastClearColor = 0;
  D3DPRIMITIVETYPE lastPrimitiveType = D3DPT_TRIANGLELIST;
  UINT lastPrimitiveCount = 0;
  UINT lastVertexStride = 0;
};

// lost = true: TestCooperativeLevel and Present report D3DERR_DEVICELOST and Reset fails with it.
// lost = false afterwards: D3DERR_DEVICENOTRESET until a successful Reset.
bool NullDeviceSetLost(IDirect3DDevice9* device, bool lost);
bool NullDeviceGetCounters(IDirect3DDevice9* device, NullDeviceCounters* counters);

}  // namespace platform
