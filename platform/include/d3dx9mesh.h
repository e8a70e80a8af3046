// Meshes of the Direct3D 9 utility library: buffers, the mesh interface (vertex, index and
// attribute data with subsets drawn through the device), loading text .x files, the generated
// sphere and normal computation. Implemented in platform/src/d3dx9.
#pragma once

#include "d3d9.h"
#include "d3dx9math.h"

// Mesh creation options: where the vertex and index buffers live and how they are used.
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000
#define D3DXMESH_VB_SHARE 0x1000
#define D3DXMESH_USEHWONLY 0x2000
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880
#define D3DXMESH_SOFTWAREPROCESSING 0x18000

DEFINE_GUID(IID_ID3DXBuffer, 0x8ba5fb08, 0x5195, 0x40e2, 0xac, 0x58, 0x0d, 0x98, 0x9c, 0x3a, 0x01, 0x02);
DEFINE_GUID(IID_ID3DXBaseMesh, 0x7ed943dd, 0x52e8, 0x40b5, 0xa8, 0xd8, 0x76, 0x68, 0x5c, 0x40, 0x63, 0x30);
DEFINE_GUID(IID_ID3DXMesh, 0x4020e5c2, 0x1403, 0x4929, 0x88, 0x3f, 0xe2, 0xe8, 0x49, 0xfa, 0xc1, 0x95);

// A block of bytes handed out by the library (materials, adjacency).
struct ID3DXBuffer : public IUnknown {
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;

 protected:
  ~ID3DXBuffer() = default;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

typedef struct _D3DXMATERIAL {
  D3DMATERIAL9 MatD3D;
  LPSTR pTextureFilename;
} D3DXMATERIAL, *LPD3DXMATERIAL;

// One subset of a mesh: the faces with attribute id AttribId and the vertices they use.
typedef struct _D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
} D3DXATTRIBUTERANGE, *LPD3DXATTRIBUTERANGE;

struct ID3DXMesh;

struct ID3DXBaseMesh : public IUnknown {
  // Draws the faces whose attribute id equals attribId with the device's current state:
  // SetStreamSource, SetIndices and DrawIndexedPrimitive (triangle list). The caller sets the FVF.
  virtual HRESULT DrawSubset(DWORD attribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetNumBytesPerVertex() = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT GetDevice(LPDIRECT3DDEVICE9* device) = 0;
  // A copy in another vertex format: components present in both formats are copied, new ones
  // are zero (white for colours). Faces and attributes are kept.
  virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, ID3DXMesh** cloneMesh) = 0;
  virtual HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) = 0;
  virtual HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) = 0;
  virtual HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;
  // With a null table only the entry count is returned.
  virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* attribTable, DWORD* attribTableSize) = 0;

 protected:
  ~ID3DXBaseMesh() = default;
};

struct ID3DXMesh : public ID3DXBaseMesh {
  virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;

 protected:
  ~ID3DXMesh() = default;
};
typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer);

// Reads a text .x file ("xof 0302txt 0032" or "0064"): all Mesh objects of the file, with the
// transforms of their enclosing frames applied, merged into one mesh of format
// XYZ [| NORMAL] [| TEX1]; one subset per material, the materials as D3DXMATERIAL entries whose
// texture names point into the same buffer. Malformed or binary files give D3DXERR_INVALIDDATA.
HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device,
                                  LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials,
                                  LPD3DXBUFFER* effectInstances, DWORD* numMaterials, LPD3DXMESH* mesh);

// A sphere centred on the origin, format XYZ | NORMAL; slices around the z axis (>= 2), stacks
// from +z to -z (>= 2).
HRESULT WINAPI D3DXCreateSphere(LPDIRECT3DDEVICE9 device, FLOAT radius, UINT slices, UINT stacks,
                                LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency);

// Replaces the mesh's normals by the area-weighted average of the normals of the faces around
// each vertex (clockwise front faces). The mesh must have D3DFVF_NORMAL.
HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* adjacency);

// Size in bytes of one vertex of the given flexible vertex format.
UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf);

#define D3DXLoadMeshFromX D3DXLoadMeshFromXA
