// The Direct3D resources both back ends share: textures, surfaces, vertex and index buffers.
// Every resource keeps its contents in ordinary memory, so locking works the same on each
// device; the OpenGL device attaches a TextureBacking that uploads a texture after it changes.
// Lifetime follows Direct3D: an application reference keeps the device alive, and the device's
// own bindings (SetTexture, SetStreamSource, SetIndices) keep a resource alive without forming a
// reference cycle.
#pragma once

#include <memory>
#include <vector>

#include "d3d9.h"

namespace platform::d3d9 {

class DeviceBase;

// Bookkeeping common to every resource: references, bindings, pool and size.
class Resource {
 public:
  Resource(DeviceBase* device, D3DPOOL pool, D3DRESOURCETYPE type, UINT bytes);
  virtual ~Resource();
  Resource(const Resource&) = delete;
  Resource& operator=(const Resource&) = delete;

  ULONG AddRefExternal();
  ULONG ReleaseExternal();
  void Bind() { ++binds_; }
  void Unbind();

  // Drops device-side copies of a managed resource; they come back from memory when used.
  virtual void Evict() {}

  DeviceBase* device() const { return device_; }
  D3DPOOL pool() const { return pool_; }
  D3DRESOURCETYPE type() const { return type_; }
  UINT bytes() const { return bytes_; }

 protected:
  HRESULT GetDeviceInterface(IDirect3DDevice9** device);
  DWORD SwapPriority(DWORD priority) {
    DWORD old = priority_;
    priority_ = priority;
    return old;
  }
  DWORD priority_ = 0;

 private:
  DeviceBase* device_;
  D3DPOOL pool_;
  D3DRESOURCETYPE type_;
  UINT bytes_;
  ULONG refs_ = 1;
  ULONG binds_ = 0;
};

// One image: a texture level or a stand-alone surface.
struct Image {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT width = 0;
  UINT height = 0;
  UINT pitch = 0;
  std::vector<BYTE> bits;
  bool locked = false;
  bool lockedReadOnly = false;

  void Allocate(D3DFORMAT imageFormat, UINT imageWidth, UINT imageHeight);
  HRESULT Lock(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT Unlock();
};

class Texture;

// Implemented by the OpenGL device for each texture it can draw with.
class TextureBacking {
 public:
  virtual ~TextureBacking() = default;
  virtual void LevelChanged(UINT level) = 0;
  virtual void Evict() = 0;
  // Refills a level whose memory copy was dropped after upload; false when it cannot.
  virtual bool Restore(UINT level) = 0;
};

class Surface final : public IDirect3DSurface9, public Resource {
 public:
  // A stand-alone surface (off-screen plain surface or back buffer).
  Surface(DeviceBase* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool, DWORD usage,
          bool lockable);
  // A level of a texture: shares the texture's references and memory.
  Surface(Texture* owner, UINT level);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** device) override;
  DWORD SetPriority(DWORD priority) override { return SwapPriority(priority); }
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID riid, void** container) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  Image& image();
  DWORD usage() const { return usage_; }
  bool IsStandalone() const { return owner_ == nullptr; }

 private:
  Texture* owner_ = nullptr;
  UINT level_ = 0;
  Image own_;
  DWORD usage_ = 0;
  bool lockable_ = true;
};

class Texture final : public IDirect3DTexture9, public Resource {
 public:
  Texture(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~Texture() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return AddRefExternal(); }
  ULONG Release() override { return ReleaseExternal(); }
  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD SetLOD(DWORD lodNew) override;
  DWORD GetLOD() override { return lod_; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override;
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return autoGenFilter_; }
  void GenerateMipSubLevels() override;
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  HRESULT AddDirtyRect(const RECT* dirtyRect) override;

  void Evict() override;
  // Called by a level surface after it was unlocked.
  void LevelUnlocked(UINT level, bool changed);
  // Called by a level surface before it is locked: brings back a dropped memory copy.
  bool RestoreLevel(UINT level);

  D3DFORMAT format() const { return format_; }
  DWORD usage() const { return usage_; }
  bool lockable() const;
  UINT levelCount() const { return static_cast<UINT>(levels_.size()); }
  const Image& level(UINT index) const { return levels_[index]; }
  Image& level(UINT index) { return levels_[index]; }
  TextureBacking* backing() { return backing_.get(); }
  void SetBacking(std::unique_ptr<TextureBacking> backing) { backing_ = std::move(backing); }

 private:
  D3DFORMAT format_;
  DWORD usage_;
  DWORD lod_ = 0;
  D3DTEXTUREFILTERTYPE autoGenFilter_ = D3DTEXF_LINEAR;
  std::vector<Image> levels_;
  std::vector<std::unique_ptr<Surface>> surfaces_;
  std::unique_ptr<TextureBacking> backing_;
};

// Memory and lock count of a vertex or index buffer, behind either buffer interface.
template <class Interface>
class BufferResource : public Interface, public Resource {
 public:
  BufferResource(DeviceBase* device, UINT length, DWORD usage, D3DPOOL pool, D3DRESOURCETYPE type, REFIID iid)
      : Resource(device, pool, type, length), usage_(usage), iid_(iid) {
    bytes_.assign(length, 0);
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == iid_) {
      AddRef();
      *object = static_cast<Interface*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return AddRefExternal(); }
  ULONG Release() override { return ReleaseExternal(); }
  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  DWORD SetPriority(DWORD priority) override { return SwapPriority(priority); }
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return type(); }

  HRESULT Lock(UINT offset, UINT size, void** data, DWORD) override {
    if (!data) return D3DERR_INVALIDCALL;
    if (size == 0 && offset == 0) size = static_cast<UINT>(bytes_.size());
    if (offset > bytes_.size() || size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
    ++lockCount_;
    *data = bytes_.data() + offset;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (lockCount_ == 0) return D3DERR_INVALIDCALL;
    --lockCount_;
    return D3D_OK;
  }

  const std::vector<BYTE>& bytes() const { return bytes_; }

 protected:
  DWORD usage_;

 private:
  const IID& iid_;
  std::vector<BYTE> bytes_;
  UINT lockCount_ = 0;
};

class VertexBuffer final : public BufferResource<IDirect3DVertexBuffer9> {
 public:
  VertexBuffer(DeviceBase* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : BufferResource(device, length, usage, pool, D3DRTYPE_VERTEXBUFFER, IID_IDirect3DVertexBuffer9), fvf_(fvf) {}
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

 private:
  DWORD fvf_;
};

class IndexBuffer final : public BufferResource<IDirect3DIndexBuffer9> {
 public:
  IndexBuffer(DeviceBase* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : BufferResource(device, length, usage, pool, D3DRTYPE_INDEXBUFFER, IID_IDirect3DIndexBuffer9),
        format_(format) {}
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
  UINT indexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

 private:
  D3DFORMAT format_;
};

}  // namespace platform::d3d9
