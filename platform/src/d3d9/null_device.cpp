// The null Direct3D back end (ARU_VIDEO=null): a complete device that keeps every state and
// resource in memory but draws nothing. Its picture is a single colour, the one last cleared,
// and it counts clears, draws and presents so tests can see what the engine asked for.
#include <cstdio>
#include <cstring>

#include "d3d9/backends.h"
#include "d3d9/caps.h"
#include "d3d9/device_base.h"
#include "d3d9_test.h"

namespace platform::d3d9 {

namespace {

constexpr UINT kNullTextureMemory = 256u * 1024u * 1024u;

class NullDevice final : public DeviceBase {
 public:
  using DeviceBase::DeviceBase;

  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override {
    HRESULT result = DeviceBase::Reset(parameters);
    if (SUCCEEDED(result)) ++counters_.resets;
    return result;
  }

  NullDeviceCounters counters_;

 protected:
  std::unique_ptr<TextureBacking> CreateTextureBacking(Texture&) override { return nullptr; }

  void BackendClear(const D3DRECT&, DWORD flags, D3DCOLOR color, float) override {
    ++counters_.clears;
    if (flags & D3DCLEAR_TARGET) {
      backColour_ = color;
      counters_.lastClearColor = color;
    }
  }

  void BackendDraw(const DrawCall& call) override {
    ++counters_.draws;
    counters_.primitives += call.primitiveCount;
    counters_.lastPrimitiveType = call.type;
    counters_.lastPrimitiveCount = call.primitiveCount;
    counters_.lastVertexStride = call.stride;
  }

  HRESULT BackendPresent() override {
    ++counters_.presents;
    frontColour_ = backColour_;
    return D3D_OK;
  }

  HRESULT BackendReset(const D3DPRESENT_PARAMETERS&) override { return D3D_OK; }
  void ReadBackBuffer(BYTE* pixels, UINT pitch) override { Fill(pixels, pitch, backColour_); }
  void ReadFrontBuffer(BYTE* pixels, UINT pitch) override { Fill(pixels, pitch, frontColour_); }
  void BackendEvict() override { ++counters_.evictions; }

 private:
  void Fill(BYTE* pixels, UINT pitch, D3DCOLOR colour) const {
    DWORD opaque = colour | 0xFF000000u;
    for (UINT y = 0; y < parameters_.BackBufferHeight; ++y) {
      BYTE* row = pixels + static_cast<size_t>(y) * pitch;
      for (UINT x = 0; x < parameters_.BackBufferWidth; ++x) std::memcpy(row + x * 4, &opaque, 4);
    }
  }

  D3DCOLOR backColour_ = 0;
  D3DCOLOR frontColour_ = 0;
};

class NullDirect3D final : public Direct3DBase {
 public:
  NullDirect3D() {
    AdapterInfo adapter;
    std::snprintf(adapter.identifier.Driver, sizeof adapter.identifier.Driver, "null");
    std::snprintf(adapter.identifier.Description, sizeof adapter.identifier.Description, "Null Direct3D device");
    std::snprintf(adapter.identifier.DeviceName, sizeof adapter.identifier.DeviceName, "\\\\.\\DISPLAY1");
    adapter.desktop = D3DDISPLAYMODE{1280, 1024, 60, D3DFMT_X8R8G8B8};
    AddStandardModes(&adapter.modes, 60);
    SortModes(&adapter.modes);
    RendererLimits limits;
    limits.maxTextureSize = 4096;
    limits.textureUnits = 8;
    limits.maxPointSize = 64.0f;
    limits.autoGenerateMipmaps = true;
    adapter.caps = FixedFunctionCaps(limits);
    adapter.maxSamples = 4;
    adapter.textureMemory = kNullTextureMemory;
    adapters_.push_back(adapter);
  }

 protected:
  HRESULT CreateBackendDevice(UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                              const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device) override {
    *device = new NullDevice(this, adapter, focusWindow, behaviorFlags, parameters);
    return D3D_OK;
  }

  bool WindowClientSize(HWND, UINT*, UINT*) override { return false; }
};

}  // namespace

IDirect3D9* CreateNullDirect3D() { return new NullDirect3D(); }

}  // namespace platform::d3d9

namespace platform {

bool NullDeviceSetLost(IDirect3DDevice9* device, bool lost) {
  auto* null = dynamic_cast<d3d9::NullDevice*>(device);
  if (!null) return false;
  null->SetLost(lost);
  return true;
}

bool NullDeviceGetCounters(IDirect3DDevice9* device, NullDeviceCounters* counters) {
  auto* null = dynamic_cast<d3d9::NullDevice*>(device);
  if (!null || !counters) return false;
  *counters = null->counters_;
  return true;
}

}  // namespace platform
