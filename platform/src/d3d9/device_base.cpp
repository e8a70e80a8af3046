// Device lifetime, resource creation, scenes, presentation, reset and device loss for both
// Direct3D back ends.
#include "d3d9/device_base.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace platform::d3d9 {

DeviceBase::DeviceBase(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                       const D3DPRESENT_PARAMETERS& parameters)
    : direct3D_(direct3D), adapter_(adapter), parameters_(parameters) {
  direct3D_->AddRef();
  creation_ = D3DDEVICE_CREATION_PARAMETERS{adapter, D3DDEVTYPE_HAL, focusWindow, behaviorFlags};
  ResetState();
}

DeviceBase::~DeviceBase() {
  UnbindAll();
  direct3D_->Release();
}

HRESULT DeviceBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
    AddRef();
    *object = static_cast<IDirect3DDevice9*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DeviceBase::AddRef() { return ++refs_; }

ULONG DeviceBase::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void DeviceBase::UnregisterResource(Resource* resource) {
  resources_.erase(resource);
  if (resource == backBuffer_) backBuffer_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// State defaults and bindings

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      out.m[row][column] = sum;
    }
  }
  return out;
}

void DeviceBase::ResetState() {
  UnbindAll();
  bool depth = parameters_.EnableAutoDepthStencil != FALSE;
  for (DWORD state = 0; state < kRenderStateCount; ++state) renderStates_[state] = DefaultRenderState(state, depth);
  for (DWORD stage = 0; stage < kTextureStages; ++stage) {
    for (DWORD type = 0; type < kStageStateCount; ++type) stageStates_[stage][type] = DefaultStageState(stage, type);
    textureTransforms_[stage] = IdentityMatrix();
  }
  for (auto& sampler : samplerStates_) {
    for (DWORD type = 0; type < kSamplerStateCount; ++type) sampler[type] = DefaultSamplerState(type);
  }
  world_ = view_ = projection_ = IdentityMatrix();
  viewport_ = D3DVIEWPORT9{0, 0, parameters_.BackBufferWidth, parameters_.BackBufferHeight, 0.0f, 1.0f};
  material_ = D3DMATERIAL9{};
  lights_.clear();
  fvf_ = 0;
  inScene_ = false;
}

void DeviceBase::UnbindAll() {
  for (Texture*& texture : textures_) {
    if (texture) std::exchange(texture, nullptr)->Unbind();
  }
  if (stream_) std::exchange(stream_, nullptr)->Unbind();
  if (indices_) std::exchange(indices_, nullptr)->Unbind();
  streamOffset_ = streamStride_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Device loss and reset

void DeviceBase::SetLost(bool lost) {
  if (lost) {
    cooperation_ = Cooperation::Lost;
  } else if (cooperation_ == Cooperation::Lost) {
    cooperation_ = Cooperation::NotReset;
  }
}

void DeviceBase::CheckWindow() {
  bool hidden = WindowHidesDevice();
  if (hidden && !lostByWindow_) SetLost(true);
  if (!hidden && lostByWindow_) SetLost(false);
  lostByWindow_ = hidden;
}

HRESULT DeviceBase::TestCooperativeLevel() {
  CheckWindow();
  switch (cooperation_) {
    case Cooperation::Lost: return D3DERR_DEVICELOST;
    case Cooperation::NotReset: return D3DERR_DEVICENOTRESET;
    default: return D3D_OK;
  }
}

bool DeviceBase::HasDefaultPoolResources() const {
  for (const Resource* resource : resources_) {
    if (resource->pool() == D3DPOOL_DEFAULT) return true;
  }
  return false;
}

HRESULT DeviceBase::Reset(D3DPRESENT_PARAMETERS* presentationParameters) {
  CheckWindow();
  if (cooperation_ == Cooperation::Lost) return D3DERR_DEVICELOST;
  if (!presentationParameters) return D3DERR_INVALIDCALL;
  // A failed reset leaves the device waiting for another one, as Direct3D does.
  cooperation_ = Cooperation::NotReset;
  inScene_ = false;
  D3DPRESENT_PARAMETERS wanted = *presentationParameters;
  HRESULT valid = direct3D_->ValidatePresentParameters(adapter_, creation_.hFocusWindow, &wanted);
  if (FAILED(valid)) return valid;
  UnbindAll();
  if (HasDefaultPoolResources()) return D3DERR_INVALIDCALL;
  HRESULT result = BackendReset(wanted);
  if (FAILED(result)) return result;
  *presentationParameters = wanted;
  parameters_ = wanted;
  ResetState();
  cooperation_ = Cooperation::Operational;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Queries

UINT DeviceBase::GetAvailableTextureMem() {
  UINT used = 0;
  for (const Resource* resource : resources_) {
    if (resource->pool() == D3DPOOL_DEFAULT || resource->pool() == D3DPOOL_MANAGED) used += resource->bytes();
  }
  UINT budget = direct3D_->adapter(adapter_).textureMemory;
  return used >= budget ? 0 : budget - used;
}

HRESULT DeviceBase::EvictManagedResources() {
  for (Resource* resource : resources_) {
    if (resource->pool() == D3DPOOL_MANAGED) resource->Evict();
  }
  BackendEvict();
  return D3D_OK;
}

HRESULT DeviceBase::GetDirect3D(IDirect3D9** direct3D) {
  if (!direct3D) return D3DERR_INVALIDCALL;
  direct3D_->AddRef();
  *direct3D = direct3D_;
  return D3D_OK;
}

HRESULT DeviceBase::GetDeviceCaps(D3DCAPS9* caps) {
  return direct3D_->GetDeviceCaps(adapter_, D3DDEVTYPE_HAL, caps);
}

HRESULT DeviceBase::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  if (swapChain != 0 || !mode) return D3DERR_INVALIDCALL;
  if (parameters_.Windowed) return direct3D_->GetAdapterDisplayMode(adapter_, mode);
  D3DFORMAT format = parameters_.BackBufferFormat == D3DFMT_A8R8G8B8   ? D3DFMT_X8R8G8B8
                     : parameters_.BackBufferFormat == D3DFMT_A1R5G5B5 ? D3DFMT_X1R5G5B5
                                                                       : parameters_.BackBufferFormat;
  *mode = D3DDISPLAYMODE{parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                         parameters_.FullScreen_RefreshRateInHz, format};
  return D3D_OK;
}

HRESULT DeviceBase::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
  if (!parameters) return D3DERR_INVALIDCALL;
  *parameters = creation_;
  return D3D_OK;
}

HRESULT DeviceBase::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* rasterStatus) {
  if (swapChain != 0 || !rasterStatus) return D3DERR_INVALIDCALL;
  // No scan-line information exists here (caps do not offer D3DCAPS_READ_SCANLINE).
  return D3DERR_INVALIDCALL;
}

// ---------------------------------------------------------------------------------------------
// Resource creation

HRESULT DeviceBase::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture9** texture, HANDLE* sharedHandle) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const D3DCAPS9& caps = direct3D_->adapter(adapter_).caps;
  if (sharedHandle || width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsTextureFormat(format) || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_AUTOGENMIPMAP) && (pool == D3DPOOL_SYSTEMMEM || levels > 1)) return D3DERR_INVALIDCALL;
  UINT fullChain = FullMipChainLength(width, height);
  if (usage & D3DUSAGE_AUTOGENMIPMAP) levels = 1;
  if (levels == 0) levels = fullChain;
  if (levels > fullChain) return D3DERR_INVALIDCALL;
  auto* created = new Texture(this, width, height, levels, usage, format, pool);
  if (pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED) created->SetBacking(CreateTextureBacking(*created));
  *texture = created;
  return D3D_OK;
}

HRESULT DeviceBase::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (sharedHandle || length == 0 || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  VertexLayout layout;
  if (fvf != 0 && (!DescribeVertexFormat(fvf, &layout) || length < layout.stride)) return D3DERR_INVALIDCALL;
  *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT DeviceBase::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (sharedHandle || length == 0 || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  *buffer = new IndexBuffer(this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT DeviceBase::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9** surface, HANDLE* sharedHandle) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (sharedHandle || width == 0 || height == 0 || pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsTextureFormat(format)) return D3DERR_INVALIDCALL;
  *surface = new Surface(this, format, width, height, pool, 0, true);
  return D3D_OK;
}

HRESULT DeviceBase::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface) {
  if (!surface || swapChain != 0 || backBuffer >= parameters_.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO) {
    return D3DERR_INVALIDCALL;
  }
  if (backBuffer_) {
    backBuffer_->AddRef();
  } else {
    backBuffer_ = new Surface(this, parameters_.BackBufferFormat, parameters_.BackBufferWidth,
                              parameters_.BackBufferHeight, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, false);
  }
  *surface = backBuffer_;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Reading pictures back

// Both copies go into a standalone system-memory surface: scratch resources are never
// accessible to the device. Returns the surface's pixels, or nullptr when it cannot take a copy.
Image* DeviceBase::CopyDestination(IDirect3DSurface9* destSurface) {
  auto* dest = dynamic_cast<Surface*>(destSurface);
  if (!dest || !dest->IsStandalone() || dest->pool() != D3DPOOL_SYSTEMMEM) return nullptr;
  Image& image = dest->image();
  if (image.locked || image.bits.empty()) return nullptr;
  return &image;
}

// The back buffer in its own format and size.
HRESULT DeviceBase::CopyRenderTarget(IDirect3DSurface9* destSurface) {
  Image* image = CopyDestination(destSurface);
  UINT width = parameters_.BackBufferWidth, height = parameters_.BackBufferHeight;
  if (!image || image->format != parameters_.BackBufferFormat || image->width != width || image->height != height) {
    return D3DERR_INVALIDCALL;
  }
  if (cooperation_ != Cooperation::Operational) return D3DERR_DEVICELOST;
  if (image->format == D3DFMT_A8R8G8B8) {
    ReadBackBuffer(image->bits.data(), image->pitch);
    return D3D_OK;
  }
  std::vector<BYTE> argb(static_cast<size_t>(width) * height * 4);
  ReadBackBuffer(argb.data(), width * 4);
  UINT pixelBytes = BytesPerPixel(image->format);
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      DWORD colour;
      std::memcpy(&colour, &argb[(static_cast<size_t>(y) * width + x) * 4], 4);
      ArgbToPixel(image->format, colour, &image->bits[static_cast<size_t>(y) * image->pitch + x * pixelBytes]);
    }
  }
  return D3D_OK;
}

// The front buffer as the screen shows it, always as A8R8G8B8: full screen the destination
// holds at least the screen; windowed it holds at least the desktop, the presented picture lies
// at the client area's place on it and everything else is opaque black.
HRESULT DeviceBase::CopyFrontBuffer(IDirect3DSurface9* destSurface) {
  Image* image = CopyDestination(destSurface);
  if (!image || image->format != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  const UINT width = parameters_.BackBufferWidth, height = parameters_.BackBufferHeight;
  UINT neededWidth = width, neededHeight = height;
  POINT origin{0, 0};
  if (parameters_.Windowed) {
    D3DDISPLAYMODE desktop{};
    if (FAILED(direct3D_->GetAdapterDisplayMode(adapter_, &desktop))) return D3DERR_INVALIDCALL;
    neededWidth = desktop.Width;
    neededHeight = desktop.Height;
    HWND window = parameters_.hDeviceWindow ? parameters_.hDeviceWindow : creation_.hFocusWindow;
    if (window) ClientToScreen(window, &origin);
  }
  if (image->width < neededWidth || image->height < neededHeight) return D3DERR_INVALIDCALL;
  if (cooperation_ != Cooperation::Operational) return D3DERR_DEVICELOST;
  std::vector<BYTE> picture(static_cast<size_t>(width) * height * 4);
  ReadFrontBuffer(picture.data(), width * 4);
  const DWORD black = 0xFF000000;
  for (UINT y = 0; y < image->height; ++y) {
    DWORD* row = reinterpret_cast<DWORD*>(&image->bits[static_cast<size_t>(y) * image->pitch]);
    std::fill(row, row + image->width, black);
  }
  const LONG firstX = std::max<LONG>(0, -origin.x);
  const LONG lastX = std::min<LONG>(width, static_cast<LONG>(image->width) - origin.x);
  for (LONG y = std::max<LONG>(0, -origin.y); firstX < lastX && y < static_cast<LONG>(height) &&
                                              origin.y + y < static_cast<LONG>(image->height);
       ++y) {
    const BYTE* from = &picture[(static_cast<size_t>(y) * width + firstX) * 4];
    BYTE* to = &image->bits[static_cast<size_t>(origin.y + y) * image->pitch + static_cast<size_t>(origin.x + firstX) * 4];
    std::memcpy(to, from, static_cast<size_t>(lastX - firstX) * 4);
  }
  return D3D_OK;
}

HRESULT DeviceBase::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface) {
  if (!renderTarget || renderTarget != backBuffer_) return D3DERR_INVALIDCALL;
  return CopyRenderTarget(destSurface);
}

HRESULT DeviceBase::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destSurface) {
  if (swapChain != 0) return D3DERR_INVALIDCALL;
  return CopyFrontBuffer(destSurface);
}

// ---------------------------------------------------------------------------------------------
// Scenes and presentation

HRESULT DeviceBase::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT DeviceBase::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT DeviceBase::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
  if ((count > 0 && !rects) || flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
    return D3DERR_INVALIDCALL;
  }
  bool hasDepth = parameters_.EnableAutoDepthStencil != FALSE;
  bool hasStencil = hasDepth && parameters_.AutoDepthStencilFormat == D3DFMT_D24S8;
  if (((flags & D3DCLEAR_ZBUFFER) && !hasDepth) || ((flags & D3DCLEAR_STENCIL) && !hasStencil)) {
    return D3DERR_INVALIDCALL;
  }
  if ((flags & D3DCLEAR_ZBUFFER) && (z < 0.0f || z > 1.0f)) return D3DERR_INVALIDCALL;
  if (cooperation_ != Cooperation::Operational) return D3D_OK;
  // Clearing never reaches outside the viewport.
  D3DRECT area{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
               static_cast<LONG>(viewport_.X + viewport_.Width), static_cast<LONG>(viewport_.Y + viewport_.Height)};
  if (count == 0) {
    BackendClear(area, flags, color, z);
    return D3D_OK;
  }
  for (DWORD i = 0; i < count; ++i) {
    D3DRECT clipped{std::max(area.x1, rects[i].x1), std::max(area.y1, rects[i].y1), std::min(area.x2, rects[i].x2),
                    std::min(area.y2, rects[i].y2)};
    if (clipped.x1 < clipped.x2 && clipped.y1 < clipped.y2) BackendClear(clipped, flags, color, z);
  }
  return D3D_OK;
}

HRESULT DeviceBase::Present(const RECT*, const RECT*, HWND, const _RGNDATA*) {
  CheckWindow();
  if (inScene_) return D3DERR_INVALIDCALL;
  if (cooperation_ != Cooperation::Operational) return D3DERR_DEVICELOST;
  return BackendPresent();
}

}  // namespace platform::d3d9
