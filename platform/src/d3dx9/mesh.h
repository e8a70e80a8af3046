// The mesh object behind ID3DXMesh: a vertex buffer and an index buffer created through the
// device, plus one attribute id per face kept in memory. Subsets are the runs of equal attribute
// ids; the attribute table lists them and DrawSubset draws them with one call per run.
#pragma once

#include <atomic>
#include <vector>

#include "d3dx9mesh.h"

namespace platform::d3dx9 {

class Mesh final : public ID3DXMesh {
 public:
  // Creates a mesh with uninitialised vertices, zeroed indices and attributes. Buffers go to the
  // pool the options name (managed, system memory or default); more than 65535 vertices or
  // D3DXMESH_32BIT give 32-bit indices.
  static HRESULT Create(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faceCount, DWORD vertexCount,
                        Mesh** mesh);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT DrawSubset(DWORD attribId) override;
  DWORD GetNumFaces() override { return faceCount_; }
  DWORD GetNumVertices() override { return vertexCount_; }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetNumBytesPerVertex() override { return stride_; }
  DWORD GetOptions() override { return options_; }
  HRESULT GetDevice(LPDIRECT3DDEVICE9* device) override;
  HRESULT CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, ID3DXMesh** cloneMesh) override;
  HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) override;
  HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) override;
  HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) override;
  HRESULT UnlockVertexBuffer() override;
  HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) override;
  HRESULT UnlockIndexBuffer() override;
  HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) override;
  HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override;
  HRESULT UnlockAttributeBuffer() override;

  bool Uses32BitIndices() const { return (options_ & D3DXMESH_32BIT) != 0; }
  // Reads corner `corner` (0..2) of face `face` from locked index data.
  DWORD IndexAt(const void* indices, DWORD face, DWORD corner) const;
  void SetIndexAt(void* indices, DWORD face, DWORD corner, DWORD value) const;
  // Recomputes the attribute table from the attribute ids and the index buffer.
  HRESULT RebuildAttributeTable();

 private:
  Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faceCount, DWORD vertexCount);
  ~Mesh();

  std::atomic<ULONG> refs_{1};
  IDirect3DDevice9* device_;
  DWORD options_;
  DWORD fvf_;
  DWORD stride_;
  DWORD faceCount_;
  DWORD vertexCount_;
  IDirect3DVertexBuffer9* vertices_ = nullptr;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  std::vector<DWORD> attributes_;
  std::vector<D3DXATTRIBUTERANGE> table_;
};

// One flexible-vertex-format component and where it sits in a vertex.
struct FvfLayout {
  UINT positionSize = 0;  // 12 for XYZ, 16 for XYZRHW/XYZW, more with blend weights
  int normal = -1, pointSize = -1, diffuse = -1, specular = -1;
  UINT texCount = 0;
  int texOffset[8] = {};
  UINT texSize[8] = {};  // bytes per set
  UINT stride = 0;
};
FvfLayout DescribeFvf(DWORD fvf);

}  // namespace platform::d3dx9
