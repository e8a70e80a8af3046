// The IDirect3D9 object shared by both back ends: adapter identity, display modes, format and
// multisample checks, caps and the validation of device-creation parameters. A back end fills
// the adapter descriptions and creates its own device.
#pragma once

#include <vector>

#include "d3d9.h"

namespace platform::d3d9 {

struct AdapterInfo {
  D3DADAPTER_IDENTIFIER9 identifier{};
  D3DDISPLAYMODE desktop{};
  std::vector<D3DDISPLAYMODE> modes;  // every format, sorted by width, height, refresh rate
  D3DCAPS9 caps{};
  UINT maxSamples = 0;  // largest multisample count the device renders with; 0 for none
  UINT textureMemory = 0;  // bytes offered to textures and buffers
};

class Direct3DBase : public IDirect3D9 {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) override;
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE multiSampleType, DWORD* qualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** returnedDevice) override;

  // Checks presentation parameters for a device on this adapter and fills what Direct3D fills
  // (a windowed back buffer of size 0 takes the window's client size, format UNKNOWN the
  // desktop's, a back-buffer count of 0 becomes 1).
  HRESULT ValidatePresentParameters(UINT adapter, HWND focusWindow, D3DPRESENT_PARAMETERS* parameters);
  const AdapterInfo& adapter(UINT index) const { return adapters_[index]; }

 protected:
  Direct3DBase() = default;
  virtual ~Direct3DBase() = default;

  virtual HRESULT CreateBackendDevice(UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                                      const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device) = 0;
  // The client-area size of a device window; false when the back end has no such window.
  virtual bool WindowClientSize(HWND window, UINT* width, UINT* height) = 0;

  std::vector<AdapterInfo> adapters_;

 private:
  bool ValidAdapter(UINT adapter) const { return adapter < adapters_.size(); }
  bool HasMode(UINT adapter, const D3DPRESENT_PARAMETERS& parameters) const;
  ULONG refs_ = 1;
};

}  // namespace platform::d3d9
