// The state half of the shared device: transforms, viewport, material, lights, render /
// texture-stage / sampler states, bound textures and streams, and the draw calls that check them
// before handing the vertices to the back end.
#include <algorithm>
#include <utility>

#include "d3d9/device_base.h"

namespace platform::d3d9 {

namespace {

bool IsTransformState(D3DTRANSFORMSTATETYPE state) {
  return state == D3DTS_VIEW || state == D3DTS_PROJECTION || state == D3DTS_WORLD ||
         (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7);
}

// Direct3D's default light: white directional light shining along +z.
D3DLIGHT9 DefaultLight() {
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
  light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
  return light;
}

bool ValidLight(const D3DLIGHT9& light) {
  if (light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL) return false;
  if (light.Range < 0.0f) return false;
  if (light.Type == D3DLIGHT_DIRECTIONAL) {
    const D3DVECTOR& d = light.Direction;
    return d.x != 0.0f || d.y != 0.0f || d.z != 0.0f;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Transforms, viewport, material, lights

D3DMATRIX* DeviceBase::TransformSlot(D3DTRANSFORMSTATETYPE state) {
  if (!IsTransformState(state)) return nullptr;
  if (state == D3DTS_WORLD) return &world_;
  if (state == D3DTS_VIEW) return &view_;
  if (state == D3DTS_PROJECTION) return &projection_;
  return &textureTransforms_[state - D3DTS_TEXTURE0];
}

HRESULT DeviceBase::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(state);
  if (!slot || !matrix) return D3DERR_INVALIDCALL;
  *slot = *matrix;
  return D3D_OK;
}

HRESULT DeviceBase::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(state);
  if (!slot || !matrix) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return D3D_OK;
}

HRESULT DeviceBase::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(state);
  if (!slot || !matrix) return D3DERR_INVALIDCALL;
  *slot = MultiplyMatrices(*matrix, *slot);
  return D3D_OK;
}

HRESULT DeviceBase::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport || viewport->Width == 0 || viewport->Height == 0) return D3DERR_INVALIDCALL;
  if (static_cast<uint64_t>(viewport->X) + viewport->Width > parameters_.BackBufferWidth ||
      static_cast<uint64_t>(viewport->Y) + viewport->Height > parameters_.BackBufferHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f || viewport->MinZ > viewport->MaxZ) return D3DERR_INVALIDCALL;
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT DeviceBase::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT DeviceBase::SetMaterial(const D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  material_ = *material;
  return D3D_OK;
}

HRESULT DeviceBase::GetMaterial(D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = material_;
  return D3D_OK;
}

HRESULT DeviceBase::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!light || !ValidLight(*light)) return D3DERR_INVALIDCALL;
  lights_[index].light = *light;
  return D3D_OK;
}

HRESULT DeviceBase::GetLight(DWORD index, D3DLIGHT9* light) {
  auto found = lights_.find(index);
  if (!light || found == lights_.end()) return D3DERR_INVALIDCALL;
  *light = found->second.light;
  return D3D_OK;
}

HRESULT DeviceBase::LightEnable(DWORD index, BOOL enable) {
  auto found = lights_.find(index);
  if (found == lights_.end()) {
    // Enabling a light that was never set gives it Direct3D's default light.
    found = lights_.emplace(index, LightSlot{DefaultLight(), false}).first;
  }
  found->second.enabled = enable != FALSE;
  return D3D_OK;
}

HRESULT DeviceBase::GetLightEnable(DWORD index, BOOL* enable) {
  auto found = lights_.find(index);
  if (!enable || found == lights_.end()) return D3DERR_INVALIDCALL;
  // Direct3D answers 128 for an enabled light.
  *enable = found->second.enabled ? 128 : FALSE;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Render, texture-stage and sampler states

HRESULT DeviceBase::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (!FindRenderState(state)) return D3DERR_INVALIDCALL;
  renderStates_[state] = value;
  return D3D_OK;
}

HRESULT DeviceBase::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || !FindRenderState(state)) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT DeviceBase::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kTextureStages || !FindStageState(type)) return D3DERR_INVALIDCALL;
  stageStates_[stage][type] = value;
  return D3D_OK;
}

HRESULT DeviceBase::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value || stage >= kTextureStages || !FindStageState(type)) return D3DERR_INVALIDCALL;
  *value = stageStates_[stage][type];
  return D3D_OK;
}

HRESULT DeviceBase::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= kSamplers || !FindSamplerState(type)) return D3DERR_INVALIDCALL;
  samplerStates_[sampler][type] = value;
  return D3D_OK;
}

HRESULT DeviceBase::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (!value || sampler >= kSamplers || !FindSamplerState(type)) return D3DERR_INVALIDCALL;
  *value = samplerStates_[sampler][type];
  return D3D_OK;
}

HRESULT DeviceBase::ValidateDevice(DWORD* numPasses) {
  if (!numPasses) return D3DERR_INVALIDCALL;
  for (DWORD stage = 0; stage < kTextureStages; ++stage) {
    DWORD colourOp = stageStates_[stage][D3DTSS_COLOROP];
    if (colourOp == D3DTOP_DISABLE) break;
    if (colourOp < D3DTOP_DISABLE || colourOp > D3DTOP_LERP) return D3DERR_UNSUPPORTEDCOLOROPERATION;
    DWORD alphaOp = stageStates_[stage][D3DTSS_ALPHAOP];
    if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_LERP) return D3DERR_UNSUPPORTEDALPHAOPERATION;
  }
  for (DWORD sampler = 0; sampler < kSamplers; ++sampler) {
    for (DWORD type : {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER}) {
      DWORD filter = samplerStates_[sampler][type];
      if (filter < D3DTEXF_POINT || filter > D3DTEXF_ANISOTROPIC) return D3DERR_UNSUPPORTEDTEXTUREFILTER;
    }
  }
  *numPasses = 1;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Bound textures, streams, shaders

HRESULT DeviceBase::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= kSamplers) return D3DERR_INVALIDCALL;
  Texture* ours = nullptr;
  if (texture) {
    ours = dynamic_cast<Texture*>(texture);
    if (!ours || ours->device() != this) return D3DERR_INVALIDCALL;
    if (ours->pool() == D3DPOOL_SYSTEMMEM || ours->pool() == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    ours->Bind();
  }
  if (Texture* old = std::exchange(textures_[stage], ours)) old->Unbind();
  return D3D_OK;
}

HRESULT DeviceBase::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (!texture || stage >= kSamplers) return D3DERR_INVALIDCALL;
  *texture = textures_[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT DeviceBase::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                                    UINT stride) {
  // One stream carries every flexible-vertex-format vertex.
  if (streamNumber != 0) return D3DERR_INVALIDCALL;
  VertexBuffer* ours = nullptr;
  if (streamData) {
    ours = dynamic_cast<VertexBuffer*>(streamData);
    if (!ours || ours->device() != this || offsetInBytes > ours->bytes().size()) return D3DERR_INVALIDCALL;
    ours->Bind();
  }
  if (VertexBuffer* old = std::exchange(stream_, ours)) old->Unbind();
  streamOffset_ = offsetInBytes;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT DeviceBase::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** streamData, UINT* offsetInBytes,
                                    UINT* stride) {
  if (streamNumber != 0 || !streamData || !offsetInBytes || !stride) return D3DERR_INVALIDCALL;
  *streamData = stream_;
  if (stream_) stream_->AddRef();
  *offsetInBytes = streamOffset_;
  *stride = streamStride_;
  return D3D_OK;
}

HRESULT DeviceBase::SetIndices(IDirect3DIndexBuffer9* indexData) {
  IndexBuffer* ours = nullptr;
  if (indexData) {
    ours = dynamic_cast<IndexBuffer*>(indexData);
    if (!ours || ours->device() != this) return D3DERR_INVALIDCALL;
    ours->Bind();
  }
  if (IndexBuffer* old = std::exchange(indices_, ours)) old->Unbind();
  return D3D_OK;
}

HRESULT DeviceBase::GetIndices(IDirect3DIndexBuffer9** indexData) {
  if (!indexData) return D3DERR_INVALIDCALL;
  *indexData = indices_;
  if (indices_) indices_->AddRef();
  return D3D_OK;
}

HRESULT DeviceBase::SetFVF(DWORD fvf) {
  VertexLayout layout;
  if (fvf != 0 && !DescribeVertexFormat(fvf, &layout)) return D3DERR_INVALIDCALL;
  fvf_ = fvf;
  return D3D_OK;
}

HRESULT DeviceBase::GetFVF(DWORD* fvf) {
  if (!fvf) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return D3D_OK;
}

// Only the fixed-function pipeline exists: no shader object can be created, so only NULL is
// a valid argument.
HRESULT DeviceBase::SetVertexShader(IDirect3DVertexShader9* shader) {
  return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT DeviceBase::GetVertexShader(IDirect3DVertexShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}

HRESULT DeviceBase::SetPixelShader(IDirect3DPixelShader9* shader) {
  return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT DeviceBase::GetPixelShader(IDirect3DPixelShader9** shader) {
  if (!shader) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Draw calls

HRESULT DeviceBase::SubmitDraw(DrawCall& call) {
  if (!inScene_) return D3DERR_INVALIDCALL;
  if (!DescribeVertexFormat(fvf_, &call.layout)) return D3DERR_INVALIDCALL;
  if (call.primitiveCount == 0) return D3DERR_INVALIDCALL;
  call.elementCount = VerticesForPrimitives(call.type, call.primitiveCount);
  if (call.elementCount == 0 || call.stride < call.layout.stride) return D3DERR_INVALIDCALL;
  if (call.indices) {
    // Every index must address a vertex that exists, so the back end never reads past a buffer.
    for (UINT i = 0; i < call.elementCount; ++i) {
      UINT index = call.indexSize == 4 ? static_cast<const uint32_t*>(call.indices)[i]
                                       : static_cast<const uint16_t*>(call.indices)[i];
      if (index >= call.vertexCount) return D3DERR_INVALIDCALL;
    }
  } else if (call.elementCount > call.vertexCount) {
    return D3DERR_INVALIDCALL;
  }
  if (cooperation_ == Cooperation::Operational) BackendDraw(call);
  return D3D_OK;
}

HRESULT DeviceBase::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  if (!stream_ || streamStride_ == 0) return D3DERR_INVALIDCALL;
  const std::vector<BYTE>& bytes = stream_->bytes();
  UINT available = static_cast<UINT>((bytes.size() - streamOffset_) / streamStride_);
  if (startVertex > available) return D3DERR_INVALIDCALL;
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.stride = streamStride_;
  call.vertices = bytes.data() + streamOffset_ + static_cast<size_t>(startVertex) * streamStride_;
  call.vertexCount = available - startVertex;
  return SubmitDraw(call);
}

HRESULT DeviceBase::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT, UINT, UINT startIndex,
                                         UINT primitiveCount) {
  if (!stream_ || !indices_ || streamStride_ == 0 || baseVertexIndex < 0) return D3DERR_INVALIDCALL;
  const std::vector<BYTE>& bytes = stream_->bytes();
  UINT available = static_cast<UINT>((bytes.size() - streamOffset_) / streamStride_);
  UINT indexSize = indices_->indexSize();
  UINT indexCount = static_cast<UINT>(indices_->bytes().size() / indexSize);
  if (static_cast<UINT>(baseVertexIndex) > available || startIndex > indexCount) return D3DERR_INVALIDCALL;
  if (VerticesForPrimitives(type, primitiveCount) > indexCount - startIndex) return D3DERR_INVALIDCALL;
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.stride = streamStride_;
  call.vertices = bytes.data() + streamOffset_ + static_cast<size_t>(baseVertexIndex) * streamStride_;
  call.vertexCount = available - static_cast<UINT>(baseVertexIndex);
  call.indices = indices_->bytes().data() + static_cast<size_t>(startIndex) * indexSize;
  call.indexSize = indexSize;
  return SubmitDraw(call);
}

HRESULT DeviceBase::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                                    UINT vertexStride) {
  if (!vertexData || vertexStride == 0) return D3DERR_INVALIDCALL;
  // As in Direct3D, a user-pointer draw leaves stream 0 unset.
  SetStreamSource(0, nullptr, 0, 0);
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.stride = vertexStride;
  call.vertices = static_cast<const BYTE*>(vertexData);
  call.vertexCount = VerticesForPrimitives(type, primitiveCount);
  return SubmitDraw(call);
}

HRESULT DeviceBase::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indexData, D3DFORMAT indexDataFormat,
                                           const void* vertexData, UINT vertexStride) {
  if (!vertexData || !indexData || vertexStride == 0) return D3DERR_INVALIDCALL;
  if (indexDataFormat != D3DFMT_INDEX16 && indexDataFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  SetStreamSource(0, nullptr, 0, 0);
  SetIndices(nullptr);
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.stride = vertexStride;
  call.vertices = static_cast<const BYTE*>(vertexData);
  call.vertexCount = minVertexIndex + numVertices;
  call.indices = indexData;
  call.indexSize = indexDataFormat == D3DFMT_INDEX32 ? 4 : 2;
  return SubmitDraw(call);
}

}  // namespace platform::d3d9
