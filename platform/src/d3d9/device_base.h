// The IDirect3DDevice9 implementation both back ends share: the mirror of every Direct3D state
// (render, texture-stage and sampler states, transforms, viewport, material, lights, bound
// textures and streams), parameter validation with Direct3D's result codes, resource creation,
// scene brackets and the lost / not-reset / operational cycle. A back end supplies clearing,
// drawing, presenting, reading pictures back and the window's idea of device loss.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <set>

#include "d3d9.h"
#include "d3d9/direct3d_base.h"
#include "d3d9/formats.h"
#include "d3d9/resources.h"
#include "d3d9/state_tables.h"

namespace platform::d3d9 {

// Everything a back end needs to draw one call; pointers address the first vertex and index.
struct DrawCall {
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  UINT primitiveCount = 0;
  UINT elementCount = 0;  // vertices drawn (or indices read when indexed)
  const BYTE* vertices = nullptr;
  UINT stride = 0;
  UINT vertexCount = 0;  // vertices addressable from `vertices`
  VertexLayout layout;
  const void* indices = nullptr;  // null when not indexed
  UINT indexSize = 0;
};

struct LightSlot {
  D3DLIGHT9 light{};
  bool enabled = false;
};

class DeviceBase : public IDirect3DDevice9 {
 public:
  enum class Cooperation { Operational, Lost, NotReset };

  DeviceBase(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
             const D3DPRESENT_PARAMETERS& parameters);
  DeviceBase(const DeviceBase&) = delete;
  DeviceBase& operator=(const DeviceBase&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT EvictManagedResources() override;
  HRESULT GetDirect3D(IDirect3D9** direct3D) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const _RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;
  HRESULT GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* rasterStatus) override;

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                             HANDLE* sharedHandle) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface) override;
  HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destSurface) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL9* material) override;
  HRESULT GetMaterial(D3DMATERIAL9* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enable) override;

  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT ValidateDevice(DWORD* numPasses) override;

  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex, UINT numVertices,
                               UINT startIndex, UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                          UINT vertexStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices, UINT primitiveCount,
                                 const void* indexData, D3DFORMAT indexDataFormat, const void* vertexData,
                                 UINT vertexStride) override;

  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT GetVertexShader(IDirect3DVertexShader9** shader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
  HRESULT GetPixelShader(IDirect3DPixelShader9** shader) override;
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                          UINT stride) override;
  HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** streamData, UINT* offsetInBytes,
                          UINT* stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* indexData) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** indexData) override;

  // Resource registry, used by Resource's constructor and destructor.
  void RegisterResource(Resource* resource) { resources_.insert(resource); }
  void UnregisterResource(Resource* resource);

  // Marks the device lost (true) or, once lost, ready to be reset (false).
  void SetLost(bool lost);
  Cooperation cooperation() const { return cooperation_; }

  // The mirrored state, read by the back ends.
  DWORD renderState(DWORD state) const { return renderStates_[state]; }
  DWORD stageState(DWORD stage, DWORD type) const { return stageStates_[stage][type]; }
  DWORD samplerState(DWORD sampler, DWORD type) const { return samplerStates_[sampler][type]; }
  const D3DMATRIX& world() const { return world_; }
  const D3DMATRIX& view() const { return view_; }
  const D3DMATRIX& projection() const { return projection_; }
  const D3DMATRIX& textureTransform(DWORD stage) const { return textureTransforms_[stage]; }
  const D3DVIEWPORT9& viewport() const { return viewport_; }
  const D3DMATERIAL9& material() const { return material_; }
  const std::map<DWORD, LightSlot>& lights() const { return lights_; }
  Texture* boundTexture(DWORD stage) const { return textures_[stage]; }
  const D3DPRESENT_PARAMETERS& presentParameters() const { return parameters_; }

 protected:
  virtual ~DeviceBase();

  // Back-end operations. Pixels are A8R8G8B8, top row first, `pitch` bytes apart.
  virtual std::unique_ptr<TextureBacking> CreateTextureBacking(Texture& texture) = 0;
  virtual void BackendClear(const D3DRECT& rect, DWORD flags, D3DCOLOR color, float z) = 0;
  virtual void BackendDraw(const DrawCall& call) = 0;
  virtual HRESULT BackendPresent() = 0;
  virtual HRESULT BackendReset(const D3DPRESENT_PARAMETERS& parameters) = 0;
  virtual void ReadBackBuffer(BYTE* pixels, UINT pitch) = 0;
  virtual void ReadFrontBuffer(BYTE* pixels, UINT pitch) = 0;
  // Polled by TestCooperativeLevel and Present: true while the window cannot show the device.
  virtual bool WindowHidesDevice() { return false; }
  virtual void BackendEvict() {}

  // Drops the device's own references to textures and buffers; a back end calls it before it
  // tears down what those resources need.
  void ReleaseBindings() { UnbindAll(); }

  Direct3DBase* direct3D_;
  UINT adapter_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DPRESENT_PARAMETERS parameters_;

 private:
  void ResetState();
  void UnbindAll();
  void CheckWindow();
  HRESULT ValidateDrawState(bool indexed) const;
  HRESULT SubmitDraw(DrawCall& call);
  D3DMATRIX* TransformSlot(D3DTRANSFORMSTATETYPE state);
  bool HasDefaultPoolResources() const;
  Image* CopyDestination(IDirect3DSurface9* destSurface);
  HRESULT CopyRenderTarget(IDirect3DSurface9* destSurface);
  HRESULT CopyFrontBuffer(IDirect3DSurface9* destSurface);

  ULONG refs_ = 1;
  Cooperation cooperation_ = Cooperation::Operational;
  bool lostByWindow_ = false;
  bool inScene_ = false;
  std::set<Resource*> resources_;
  Surface* backBuffer_ = nullptr;

  std::array<DWORD, kRenderStateCount> renderStates_{};
  std::array<std::array<DWORD, kStageStateCount>, kTextureStages> stageStates_{};
  std::array<std::array<DWORD, kSamplerStateCount>, kSamplers> samplerStates_{};
  D3DMATRIX world_{};
  D3DMATRIX view_{};
  D3DMATRIX projection_{};
  std::array<D3DMATRIX, kTextureStages> textureTransforms_{};
  D3DVIEWPORT9 viewport_{};
  D3DMATERIAL9 material_{};
  std::map<DWORD, LightSlot> lights_;
  std::array<Texture*, kSamplers> textures_{};
  VertexBuffer* stream_ = nullptr;
  UINT streamOffset_ = 0;
  UINT streamStride_ = 0;
  IndexBuffer* indices_ = nullptr;
  DWORD fvf_ = 0;
};

D3DMATRIX IdentityMatrix();
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);

}  // namespace platform::d3d9
