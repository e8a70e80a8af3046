// Textures, surfaces and buffers kept in memory, with Direct3D's lock rules and lifetimes.
#include "d3d9/resources.h"

#include <algorithm>
#include <cstring>

#include "d3d9/device_base.h"
#include "d3d9/formats.h"

namespace platform::d3d9 {

// ---------------------------------------------------------------------------------------------
// Resource

Resource::Resource(DeviceBase* device, D3DPOOL pool, D3DRESOURCETYPE type, UINT bytes)
    : device_(device), pool_(pool), type_(type), bytes_(bytes) {
  if (device_) {
    device_->RegisterResource(this);
    device_->AddRef();
  }
}

Resource::~Resource() {
  if (device_) device_->UnregisterResource(this);
}

ULONG Resource::AddRefExternal() {
  if (refs_++ == 0 && device_) device_->AddRef();
  return refs_;
}

ULONG Resource::ReleaseExternal() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left > 0) return left;
  DeviceBase* device = device_;
  if (binds_ == 0) delete this;
  // The device may go now; when it does it unbinds (and so deletes) this resource.
  if (device) device->Release();
  return 0;
}

void Resource::Unbind() {
  if (binds_ > 0 && --binds_ == 0 && refs_ == 0) delete this;
}

HRESULT Resource::GetDeviceInterface(IDirect3DDevice9** device) {
  if (!device || !device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return D3D_OK;
}

namespace {

bool IsResourceIid(REFIID riid) {
  return riid == IID_IUnknown || riid == IID_IDirect3DResource9;
}

template <class Interface>
HRESULT Answer(Interface* self, void** object) {
  self->AddRef();
  *object = self;
  return S_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Image

void Image::Allocate(D3DFORMAT imageFormat, UINT imageWidth, UINT imageHeight) {
  format = imageFormat;
  width = imageWidth;
  height = imageHeight;
  pitch = width * BytesPerPixel(format);
  bits.assign(static_cast<size_t>(pitch) * height, 0);
}

HRESULT Image::Lock(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  if (!out || locked || bits.empty()) return D3DERR_INVALIDCALL;
  LONG left = 0, top = 0;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > width || static_cast<UINT>(rect->bottom) > height) {
      return D3DERR_INVALIDCALL;
    }
    left = rect->left;
    top = rect->top;
  }
  locked = true;
  lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
  out->Pitch = static_cast<INT>(pitch);
  out->pBits = bits.data() + static_cast<size_t>(top) * pitch + static_cast<size_t>(left) * BytesPerPixel(format);
  return D3D_OK;
}

HRESULT Image::Unlock() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Surface

Surface::Surface(DeviceBase* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool, DWORD usage,
                 bool lockable)
    : Resource(device, pool, D3DRTYPE_SURFACE, lockable ? width * height * BytesPerPixel(format) : 0),
      usage_(usage),
      lockable_(lockable) {
  if (lockable) {
    own_.Allocate(format, width, height);
  } else {
    own_.format = format;
    own_.width = width;
    own_.height = height;
  }
}

Surface::Surface(Texture* owner, UINT level)
    : Resource(nullptr, owner->pool(), D3DRTYPE_SURFACE, 0), owner_(owner), level_(level),
      usage_(owner->usage()), lockable_(owner->lockable()) {}

Image& Surface::image() { return owner_ ? owner_->level(level_) : own_; }

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsResourceIid(riid) || riid == IID_IDirect3DSurface9) return Answer<IDirect3DSurface9>(this, object);
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() { return owner_ ? owner_->AddRef() : AddRefExternal(); }
ULONG Surface::Release() { return owner_ ? owner_->Release() : ReleaseExternal(); }

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
  return owner_ ? owner_->GetDevice(device) : GetDeviceInterface(device);
}

HRESULT Surface::GetContainer(REFIID riid, void** container) {
  if (!container) return D3DERR_INVALIDCALL;
  if (owner_) return owner_->QueryInterface(riid, container);
  if (riid == IID_IDirect3DDevice9 || riid == IID_IUnknown) return GetDeviceInterface(reinterpret_cast<IDirect3DDevice9**>(container));
  *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  const Image& picture = image();
  *desc = D3DSURFACE_DESC{picture.format, D3DRTYPE_SURFACE, usage_, pool(), D3DMULTISAMPLE_NONE, 0,
                          picture.width, picture.height};
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (!lockable_) return D3DERR_INVALIDCALL;
  if (owner_ && !owner_->RestoreLevel(level_)) return D3DERR_INVALIDCALL;
  return image().Lock(locked, rect, flags);
}

HRESULT Surface::UnlockRect() {
  Image& picture = image();
  bool changed = !picture.lockedReadOnly;
  HRESULT result = picture.Unlock();
  if (SUCCEEDED(result) && owner_) owner_->LevelUnlocked(level_, changed);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Texture

namespace {

UINT TextureBytes(UINT width, UINT height, UINT levels, D3DFORMAT format) {
  UINT total = 0;
  for (UINT i = 0; i < levels; ++i) {
    total += std::max(1u, width >> i) * std::max(1u, height >> i) * BytesPerPixel(format);
  }
  return total;
}

}  // namespace

Texture::Texture(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                 D3DPOOL pool)
    : Resource(device, pool, D3DRTYPE_TEXTURE, TextureBytes(width, height, levels, format)),
      format_(format),
      usage_(usage) {
  levels_.resize(levels);
  for (UINT i = 0; i < levels; ++i) {
    levels_[i].Allocate(format, std::max(1u, width >> i), std::max(1u, height >> i));
    surfaces_.push_back(std::make_unique<Surface>(this, i));
  }
}

Texture::~Texture() = default;

bool Texture::lockable() const { return pool() != D3DPOOL_DEFAULT || (usage_ & D3DUSAGE_DYNAMIC); }

HRESULT Texture::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsResourceIid(riid) || riid == IID_IDirect3DBaseTexture9 || riid == IID_IDirect3DTexture9) {
    return Answer<IDirect3DTexture9>(this, object);
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

DWORD Texture::SetPriority(DWORD priority) {
  return pool() == D3DPOOL_MANAGED ? SwapPriority(priority) : priority_;
}

DWORD Texture::SetLOD(DWORD lodNew) {
  DWORD old = lod_;
  if (pool() == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(lodNew, levelCount() - 1);
  return old;
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) {
  if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
  autoGenFilter_ = filter;
  return D3D_OK;
}

void Texture::GenerateMipSubLevels() {
  if (backing_ && (usage_ & D3DUSAGE_AUTOGENMIPMAP)) backing_->LevelChanged(0);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levelCount()) return D3DERR_INVALIDCALL;
  return surfaces_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (!surface || level >= levelCount()) return D3DERR_INVALIDCALL;
  AddRef();
  *surface = surfaces_[level].get();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levelCount()) return D3DERR_INVALIDCALL;
  return surfaces_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levelCount()) return D3DERR_INVALIDCALL;
  return surfaces_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  if (backing_) backing_->LevelChanged(0);
  return D3D_OK;
}

void Texture::Evict() {
  if (backing_ && pool() == D3DPOOL_MANAGED) backing_->Evict();
}

void Texture::LevelUnlocked(UINT level, bool changed) {
  if (changed && backing_) backing_->LevelChanged(level);
}

bool Texture::RestoreLevel(UINT level) {
  if (!levels_[level].bits.empty()) return true;
  return backing_ && backing_->Restore(level);
}

// ---------------------------------------------------------------------------------------------
// Buffers

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool(),
                               static_cast<UINT>(bytes().size()), fvf_};
  return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = D3DINDEXBUFFER_DESC{format_, D3DRTYPE_INDEXBUFFER, usage_, pool(), static_cast<UINT>(bytes().size())};
  return D3D_OK;
}

}  // namespace platform::d3d9
