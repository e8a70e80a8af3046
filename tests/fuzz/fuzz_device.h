// The null Direct3D device the mesh and texture harnesses load into: made once per process,
// windowed 640x480 as the game's null video mode makes it.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/windowed_present.h"

namespace fuzz_support {

inline IDirect3DDevice9* NullDevice() {
  static IDirect3DDevice9* device = [] {
    setenv("ARU_VIDEO", "null", 1);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10));
    D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(640, 480, window);
    IDirect3DDevice9* created = nullptr;
    if (d3d == nullptr || d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &created) != D3D_OK) {
      std::fprintf(stderr, "fuzz: no null device\n");
      std::abort();
    }
    return created;
  }();
  return device;
}

}  // namespace fuzz_support
