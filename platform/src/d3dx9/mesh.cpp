// ID3DXMesh on the device's own vertex and index buffers: creation in the pool the options ask
// for, locking, the attribute table, drawing subsets and cloning into another vertex format.
#include "d3dx9/mesh.h"

#include <algorithm>
#include <cstring>

namespace platform::d3dx9 {
namespace {

D3DPOOL PoolFor(DWORD options, DWORD managedFlag, DWORD systemFlag) {
  if (options & managedFlag) return D3DPOOL_MANAGED;
  if (options & systemFlag) return D3DPOOL_SYSTEMMEM;
  return D3DPOOL_DEFAULT;
}

DWORD UsageFor(DWORD options, DWORD writeOnlyFlag, DWORD dynamicFlag) {
  return ((options & writeOnlyFlag) ? D3DUSAGE_WRITEONLY : 0) | ((options & dynamicFlag) ? D3DUSAGE_DYNAMIC : 0);
}

UINT PositionSize(DWORD fvf) {
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: return 12;
    case D3DFVF_XYZRHW: case D3DFVF_XYZW: case D3DFVF_XYZB1: return 16;
    case D3DFVF_XYZB2: return 20;
    case D3DFVF_XYZB3: return 24;
    case D3DFVF_XYZB4: return 28;
    case D3DFVF_XYZB5: return 32;
    default: return 0;
  }
}

void CopyComponent(const uint8_t* from, int fromOffset, uint8_t* to, int toOffset, UINT bytes) {
  if (toOffset < 0) return;
  if (fromOffset >= 0) std::memcpy(to + toOffset, from + fromOffset, bytes);
}

// Copies the components both formats have; colours missing in the source become white.
void ConvertVertex(const FvfLayout& from, const uint8_t* source, const FvfLayout& to, uint8_t* target) {
  std::memset(target, 0, to.stride);
  std::memcpy(target, source, std::min(from.positionSize, to.positionSize));
  CopyComponent(source, from.normal, target, to.normal, 12);
  CopyComponent(source, from.pointSize, target, to.pointSize, 4);
  const DWORD white = 0xFFFFFFFF;
  if (to.diffuse >= 0 && from.diffuse < 0) std::memcpy(target + to.diffuse, &white, 4);
  if (to.specular >= 0 && from.specular < 0) std::memcpy(target + to.specular, &white, 4);
  CopyComponent(source, from.diffuse, target, to.diffuse, 4);
  CopyComponent(source, from.specular, target, to.specular, 4);
  for (UINT i = 0; i < std::min(from.texCount, to.texCount); ++i)
    std::memcpy(target + to.texOffset[i], source + from.texOffset[i], std::min(from.texSize[i], to.texSize[i]));
}

}  // namespace

FvfLayout DescribeFvf(DWORD fvf) {
  FvfLayout layout;
  layout.positionSize = PositionSize(fvf);
  UINT offset = layout.positionSize;
  auto place = [&](DWORD flag, int* where, UINT bytes) {
    if (!(fvf & flag)) return;
    *where = static_cast<int>(offset);
    offset += bytes;
  };
  place(D3DFVF_NORMAL, &layout.normal, 12);
  place(D3DFVF_PSIZE, &layout.pointSize, 4);
  place(D3DFVF_DIFFUSE, &layout.diffuse, 4);
  place(D3DFVF_SPECULAR, &layout.specular, 4);
  layout.texCount = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
  static constexpr UINT kFloatsForSizeCode[4] = {2, 3, 4, 1};
  for (UINT i = 0; i < layout.texCount; ++i) {
    layout.texOffset[i] = static_cast<int>(offset);
    layout.texSize[i] = 4 * kFloatsForSizeCode[(fvf >> (16 + 2 * i)) & 3];
    offset += layout.texSize[i];
  }
  layout.stride = offset;
  return layout;
}

Mesh::Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faceCount, DWORD vertexCount)
    : device_(device), options_(options), fvf_(fvf), stride_(DescribeFvf(fvf).stride), faceCount_(faceCount),
      vertexCount_(vertexCount), attributes_(faceCount, 0) {
  device_->AddRef();
}

Mesh::~Mesh() {
  if (indices_) indices_->Release();
  if (vertices_) vertices_->Release();
  device_->Release();
}

HRESULT Mesh::Create(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faceCount, DWORD vertexCount,
                     Mesh** mesh) {
  if (!device || !mesh || faceCount == 0 || vertexCount == 0 || PositionSize(fvf) == 0) return D3DERR_INVALIDCALL;
  *mesh = nullptr;
  if (vertexCount > 0xFFFF) options |= D3DXMESH_32BIT;
  uint64_t vertexBytes = uint64_t(vertexCount) * DescribeFvf(fvf).stride;
  uint64_t indexBytes = uint64_t(faceCount) * 3 * ((options & D3DXMESH_32BIT) ? 4 : 2);
  if (vertexBytes > 0x7FFFFFFF || indexBytes > 0x7FFFFFFF) return E_OUTOFMEMORY;
  Mesh* created = new Mesh(device, options, fvf, faceCount, vertexCount);
  HRESULT result = device->CreateVertexBuffer(
      UINT(vertexBytes), UsageFor(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC), fvf,
      PoolFor(options, D3DXMESH_VB_MANAGED, D3DXMESH_VB_SYSTEMMEM), &created->vertices_, nullptr);
  if (SUCCEEDED(result))
    result = device->CreateIndexBuffer(UINT(indexBytes), UsageFor(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC),
                                       (options & D3DXMESH_32BIT) ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                       PoolFor(options, D3DXMESH_IB_MANAGED, D3DXMESH_IB_SYSTEMMEM),
                                       &created->indices_, nullptr);
  if (SUCCEEDED(result) && (!created->vertices_ || !created->indices_)) result = D3DERR_INVALIDCALL;
  if (SUCCEEDED(result)) {
    void* data = nullptr;
    result = created->indices_->Lock(0, 0, &data, 0);
    if (SUCCEEDED(result)) {
      std::memset(data, 0, size_t(indexBytes));
      created->indices_->Unlock();
    }
  }
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *mesh = created;
  return S_OK;
}

HRESULT Mesh::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ID3DXBaseMesh || riid == IID_ID3DXMesh) {
    AddRef();
    *object = static_cast<ID3DXMesh*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Mesh::AddRef() { return ++refs_; }

ULONG Mesh::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Mesh::GetDevice(LPDIRECT3DDEVICE9* device) {
  if (!device) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return S_OK;
}

HRESULT Mesh::GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) {
  if (!vertexBuffer) return D3DERR_INVALIDCALL;
  vertices_->AddRef();
  *vertexBuffer = vertices_;
  return S_OK;
}

HRESULT Mesh::GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) {
  if (!indexBuffer) return D3DERR_INVALIDCALL;
  indices_->AddRef();
  *indexBuffer = indices_;
  return S_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD flags, LPVOID* data) {
  if (!data) return D3DERR_INVALIDCALL;
  return vertices_->Lock(0, 0, data, flags);
}

HRESULT Mesh::UnlockVertexBuffer() { return vertices_->Unlock(); }

HRESULT Mesh::LockIndexBuffer(DWORD flags, LPVOID* data) {
  if (!data) return D3DERR_INVALIDCALL;
  return indices_->Lock(0, 0, data, flags);
}

HRESULT Mesh::UnlockIndexBuffer() {
  HRESULT result = indices_->Unlock();
  if (SUCCEEDED(result)) RebuildAttributeTable();
  return result;
}

HRESULT Mesh::LockAttributeBuffer(DWORD /*flags*/, DWORD** data) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = attributes_.data();
  return S_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() { return RebuildAttributeTable(); }

DWORD Mesh::IndexAt(const void* indices, DWORD face, DWORD corner) const {
  size_t i = size_t(face) * 3 + corner;
  if (Uses32BitIndices()) return static_cast<const uint32_t*>(indices)[i];
  return static_cast<const uint16_t*>(indices)[i];
}

void Mesh::SetIndexAt(void* indices, DWORD face, DWORD corner, DWORD value) const {
  size_t i = size_t(face) * 3 + corner;
  if (Uses32BitIndices()) static_cast<uint32_t*>(indices)[i] = value;
  else static_cast<uint16_t*>(indices)[i] = static_cast<uint16_t>(value);
}

HRESULT Mesh::RebuildAttributeTable() {
  void* indices = nullptr;
  HRESULT result = indices_->Lock(0, 0, &indices, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  table_.clear();
  for (DWORD face = 0; face < faceCount_; ++face) {
    DWORD low = 0xFFFFFFFF, high = 0;
    for (DWORD corner = 0; corner < 3; ++corner) {
      DWORD index = IndexAt(indices, face, corner);
      low = std::min(low, index);
      high = std::max(high, index);
    }
    if (table_.empty() || table_.back().AttribId != attributes_[face]) {
      table_.push_back({attributes_[face], face, 0, low, 0});
    }
    D3DXATTRIBUTERANGE& range = table_.back();
    DWORD end = std::max(range.VertexStart + range.VertexCount, high + 1);
    range.VertexStart = std::min(range.VertexStart, low);
    range.VertexCount = end - range.VertexStart;
    ++range.FaceCount;
  }
  return indices_->Unlock();
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) {
  if (!attribTableSize) return D3DERR_INVALIDCALL;
  if (attribTable) std::copy(table_.begin(), table_.end(), attribTable);
  *attribTableSize = static_cast<DWORD>(table_.size());
  return S_OK;
}

HRESULT Mesh::DrawSubset(DWORD attribId) {
  HRESULT result = S_OK;
  bool bound = false;
  for (const D3DXATTRIBUTERANGE& range : table_) {
    if (range.AttribId != attribId || range.FaceCount == 0) continue;
    if (!bound) {
      result = device_->SetFVF(fvf_);
      if (SUCCEEDED(result)) result = device_->SetStreamSource(0, vertices_, 0, stride_);
      if (SUCCEEDED(result)) result = device_->SetIndices(indices_);
      if (FAILED(result)) return result;
      bound = true;
    }
    result = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                           range.FaceStart * 3, range.FaceCount);
    if (FAILED(result)) return result;
  }
  return result;
}

HRESULT Mesh::CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, ID3DXMesh** cloneMesh) {
  if (!device || !cloneMesh) return D3DERR_INVALIDCALL;
  *cloneMesh = nullptr;
  Mesh* clone = nullptr;
  HRESULT result = Create(device, options, fvf, faceCount_, vertexCount_, &clone);
  if (FAILED(result)) return result;
  FvfLayout from = DescribeFvf(fvf_), to = DescribeFvf(fvf);
  void *source = nullptr, *target = nullptr;
  result = LockVertexBuffer(D3DLOCK_READONLY, &source);
  if (SUCCEEDED(result)) {
    result = clone->LockVertexBuffer(0, &target);
    if (SUCCEEDED(result)) {
      for (DWORD v = 0; v < vertexCount_; ++v)
        ConvertVertex(from, static_cast<uint8_t*>(source) + size_t(v) * from.stride, to,
                      static_cast<uint8_t*>(target) + size_t(v) * to.stride);
      clone->UnlockVertexBuffer();
    }
    UnlockVertexBuffer();
  }
  if (SUCCEEDED(result)) result = LockIndexBuffer(D3DLOCK_READONLY, &source);
  if (SUCCEEDED(result)) {
    result = clone->indices_->Lock(0, 0, &target, 0);
    if (SUCCEEDED(result)) {
      for (DWORD face = 0; face < faceCount_; ++face)
        for (DWORD corner = 0; corner < 3; ++corner)
          clone->SetIndexAt(target, face, corner, IndexAt(source, face, corner));
      clone->indices_->Unlock();
    }
    indices_->Unlock();
  }
  clone->attributes_ = attributes_;
  if (SUCCEEDED(result)) result = clone->RebuildAttributeTable();
  if (FAILED(result)) {
    clone->Release();
    return result;
  }
  *cloneMesh = clone;
  return S_OK;
}

}  // namespace platform::d3dx9

UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf) { return platform::d3dx9::DescribeFvf(fvf).stride; }
