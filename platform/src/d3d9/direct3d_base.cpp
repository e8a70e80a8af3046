// Adapter enumeration, capability checks and device-creation validation common to the OpenGL
// and null back ends.
#include "d3d9/direct3d_base.h"

#include "d3d9/formats.h"

namespace platform::d3d9 {

namespace {

// Back-buffer formats a full-screen display format can flip to.
bool FullScreenPair(D3DFORMAT display, D3DFORMAT backBuffer) {
  switch (display) {
    case D3DFMT_X8R8G8B8: return backBuffer == D3DFMT_X8R8G8B8 || backBuffer == D3DFMT_A8R8G8B8;
    case D3DFMT_X1R5G5B5: return backBuffer == D3DFMT_X1R5G5B5 || backBuffer == D3DFMT_A1R5G5B5;
    case D3DFMT_R5G6B5: return backBuffer == D3DFMT_R5G6B5;
    default: return false;
  }
}

bool IsPowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

HRESULT Direct3DBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
    AddRef();
    *object = static_cast<IDirect3D9*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Direct3DBase::AddRef() { return ++refs_; }

ULONG Direct3DBase::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

UINT Direct3DBase::GetAdapterCount() { return static_cast<UINT>(adapters_.size()); }

HRESULT Direct3DBase::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) {
  if (!ValidAdapter(adapter) || !identifier) return D3DERR_INVALIDCALL;
  *identifier = adapters_[adapter].identifier;
  return D3D_OK;
}

UINT Direct3DBase::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  if (!ValidAdapter(adapter)) return 0;
  UINT count = 0;
  for (const D3DDISPLAYMODE& mode : adapters_[adapter].modes) count += mode.Format == format ? 1 : 0;
  return count;
}

HRESULT Direct3DBase::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* displayMode) {
  if (!ValidAdapter(adapter) || !displayMode) return D3DERR_INVALIDCALL;
  UINT count = GetAdapterModeCount(adapter, format);
  if (count == 0) return D3DERR_NOTAVAILABLE;
  if (index >= count) return D3DERR_INVALIDCALL;
  for (const D3DDISPLAYMODE& mode : adapters_[adapter].modes) {
    if (mode.Format != format) continue;
    if (index-- == 0) {
      *displayMode = mode;
      break;
    }
  }
  return D3D_OK;
}

HRESULT Direct3DBase::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
  if (!ValidAdapter(adapter) || !displayMode) return D3DERR_INVALIDCALL;
  *displayMode = adapters_[adapter].desktop;
  return D3D_OK;
}

HRESULT Direct3DBase::CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      D3DFORMAT backBufferFormat, BOOL windowed) {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (windowed) {
    if (adapterFormat != adapters_[adapter].desktop.Format) return D3DERR_NOTAVAILABLE;
    if (backBufferFormat == D3DFMT_UNKNOWN || IsBackBufferFormat(backBufferFormat)) return D3D_OK;
    return D3DERR_NOTAVAILABLE;
  }
  if (GetAdapterModeCount(adapter, adapterFormat) == 0) return D3DERR_NOTAVAILABLE;
  return FullScreenPair(adapterFormat, backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3DBase::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return (resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat)) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (usage & D3DUSAGE_RENDERTARGET) {
    return (resourceType == D3DRTYPE_SURFACE && IsBackBufferFormat(checkFormat)) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
  return IsTextureFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3DBase::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                                 BOOL, D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) {
  if (!ValidAdapter(adapter) || type > D3DMULTISAMPLE_16_SAMPLES) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsBackBufferFormat(surfaceFormat) && !IsDepthFormat(surfaceFormat)) return D3DERR_NOTAVAILABLE;
  UINT maxSamples = adapters_[adapter].maxSamples;
  DWORD levels = 0;
  if (type == D3DMULTISAMPLE_NONE) {
    levels = 1;
  } else if (type == D3DMULTISAMPLE_NONMASKABLE) {
    // Quality level q of the non-maskable type renders with 2^(q+1) samples.
    for (UINT samples = 2; samples <= maxSamples; samples *= 2) ++levels;
  } else if (IsPowerOfTwo(type) && static_cast<UINT>(type) <= maxSamples) {
    levels = 1;
  }
  if (levels == 0) return D3DERR_NOTAVAILABLE;
  if (qualityLevels) *qualityLevels = levels;
  return D3D_OK;
}

HRESULT Direct3DBase::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                             D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  return IsBackBufferFormat(renderTargetFormat) && IsDepthFormat(depthStencilFormat) ? D3D_OK
                                                                                     : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3DBase::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
  if (!ValidAdapter(adapter) || !caps) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  *caps = adapters_[adapter].caps;
  caps->AdapterOrdinal = adapter;
  caps->MasterAdapterOrdinal = adapter;
  return D3D_OK;
}

bool Direct3DBase::HasMode(UINT adapter, const D3DPRESENT_PARAMETERS& parameters) const {
  for (const D3DDISPLAYMODE& mode : adapters_[adapter].modes) {
    if (mode.Width == parameters.BackBufferWidth && mode.Height == parameters.BackBufferHeight &&
        FullScreenPair(mode.Format, parameters.BackBufferFormat) &&
        (parameters.FullScreen_RefreshRateInHz == 0 || parameters.FullScreen_RefreshRateInHz == mode.RefreshRate)) {
      return true;
    }
  }
  return false;
}

HRESULT Direct3DBase::ValidatePresentParameters(UINT adapter, HWND focusWindow, D3DPRESENT_PARAMETERS* p) {
  if (!ValidAdapter(adapter) || !p) return D3DERR_INVALIDCALL;
  if (p->BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
  if (p->BackBufferCount == 0) p->BackBufferCount = 1;
  if (p->SwapEffect < D3DSWAPEFFECT_DISCARD || p->SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (p->MultiSampleType != D3DMULTISAMPLE_NONE && p->SwapEffect != D3DSWAPEFFECT_DISCARD) return D3DERR_INVALIDCALL;
  if (!p->hDeviceWindow) p->hDeviceWindow = focusWindow;
  const AdapterInfo& info = adapters_[adapter];
  if (p->Windowed) {
    if (p->BackBufferFormat == D3DFMT_UNKNOWN) p->BackBufferFormat = info.desktop.Format;
    if (p->FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
      UINT width = 0, height = 0;
      if (WindowClientSize(p->hDeviceWindow, &width, &height) && width > 0 && height > 0) {
        if (p->BackBufferWidth == 0) p->BackBufferWidth = width;
        if (p->BackBufferHeight == 0) p->BackBufferHeight = height;
      } else {
        if (p->BackBufferWidth == 0) p->BackBufferWidth = info.desktop.Width ? info.desktop.Width : 640;
        if (p->BackBufferHeight == 0) p->BackBufferHeight = info.desktop.Height ? info.desktop.Height : 480;
      }
    }
    if (!IsBackBufferFormat(p->BackBufferFormat)) return D3DERR_INVALIDCALL;
  } else if (!IsBackBufferFormat(p->BackBufferFormat) || !HasMode(adapter, *p)) {
    return D3DERR_INVALIDCALL;
  }
  if (p->BackBufferWidth > info.caps.MaxTextureWidth || p->BackBufferHeight > info.caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (p->EnableAutoDepthStencil && !IsDepthFormat(p->AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  if (p->MultiSampleType != D3DMULTISAMPLE_NONE) {
    DWORD levels = 0;
    if (FAILED(CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, p->BackBufferFormat, p->Windowed,
                                          p->MultiSampleType, &levels)) ||
        p->MultiSampleQuality >= levels) {
      return D3DERR_INVALIDCALL;
    }
  } else if (p->MultiSampleQuality != 0) {
    return D3DERR_INVALIDCALL;
  }
  UINT interval = p->PresentationInterval;
  if (interval != D3DPRESENT_INTERVAL_DEFAULT && interval != D3DPRESENT_INTERVAL_ONE &&
      interval != D3DPRESENT_INTERVAL_IMMEDIATE) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT Direct3DBase::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                   D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** returnedDevice) {
  if (!returnedDevice || !parameters || !ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  *returnedDevice = nullptr;
  if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                      D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  if ((behaviorFlags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  if (!focusWindow && !parameters->hDeviceWindow) return D3DERR_INVALIDCALL;
  HRESULT valid = ValidatePresentParameters(adapter, focusWindow, parameters);
  if (FAILED(valid)) return valid;
  return CreateBackendDevice(adapter, focusWindow, behaviorFlags, *parameters, returnedDevice);
}

}  // namespace platform::d3d9
