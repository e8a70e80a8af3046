// An OpenGL Direct3D device on SDL's offscreen driver for picture tests, and reading its back
// buffer into top-down rows of D3DCOLOR. Tests skip where no OpenGL device can be created.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "d3d9.h"
#include "windows.h"

namespace gl_test {

inline LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

struct Device {
  HWND window = nullptr;
  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

// A windowed, immediately presenting width x height device with lighting, culling and depth
// off. Returns an empty string on success, otherwise why the test cannot run ("skip: ..." when
// this machine has no OpenGL device, a failure otherwise).
inline std::string Create(const char* className, UINT width, UINT height, Device* out) {
  // SDL reads its driver when the first window is made: off screen, whatever display exists.
  setenv("ARU_VIDEO", "gl", 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);
  out->window = CreateWindowA(className, className, WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                              nullptr);
  if (!out->window) return "CreateWindowA failed";
  out->d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!out->d3d) return "skip: no OpenGL Direct3D object here";
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = out->window;
  params.Windowed = TRUE;
  params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  HRESULT result =
      out->d3d->CreateDevice(0, D3DDEVTYPE_HAL, out->window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &out->device);
  if (result == D3DERR_NOTAVAILABLE) return "skip: no OpenGL device here";
  if (result != D3D_OK) return "CreateDevice failed";
  out->device->SetRenderState(D3DRS_LIGHTING, FALSE);
  out->device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  out->device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  return "";
}

// Stage 0 shows its texture's texels as they are: no colour operation, point sampling.
inline void ShowTexelsAsTheyAre(IDirect3DDevice9* device) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
}

// Releases what Create made; returns the device's last reference count (0 when nothing leaked).
inline ULONG Destroy(Device& made) {
  ULONG left = made.device ? made.device->Release() : 0;
  if (made.d3d) made.d3d->Release();
  if (made.window) DestroyWindow(made.window);
  made = Device{};
  return left;
}

// The back buffer, top row first; empty (after reporting why) when it cannot be read.
inline std::vector<D3DCOLOR> ReadBackBuffer(IDirect3DDevice9* device, UINT width, UINT height, std::string* error) {
  std::vector<D3DCOLOR> picture;
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DSurface9* copy = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) ||
      FAILED(device->CreateOffscreenPlainSurface(width, height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr))) {
    *error = "no surfaces to read the back buffer into";
  } else if (FAILED(device->GetRenderTargetData(backBuffer, copy))) {
    *error = "GetRenderTargetData failed";
  } else {
    D3DLOCKED_RECT locked{};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      *error = "the copy of the back buffer cannot be locked";
    } else {
      for (UINT y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
        picture.insert(picture.end(), row, row + width);
      }
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  if (backBuffer) backBuffer->Release();
  return picture;
}

}  // namespace gl_test
