// Generated and derived geometry: the sphere, vertex normals from faces, and face adjacency.
// Front faces are clockwise as Direct3D sees them, so a face normal is
// cross(v1 - v0, v2 - v0).
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "d3dx9/geometry.h"
#include "d3dx9/mesh.h"

namespace platform::d3dx9 {
namespace {

struct SphereVertex {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
};

D3DXVECTOR3 SpherePoint(UINT stack, UINT stacks, UINT slice, UINT slices) {
  float theta = D3DX_PI * float(stack) / float(stacks);
  float phi = 2.0f * D3DX_PI * float(slice) / float(slices);
  return D3DXVECTOR3(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta));
}

void FillSphereVertices(SphereVertex* vertices, float radius, UINT slices, UINT stacks) {
  DWORD v = 0;
  vertices[v++] = {D3DXVECTOR3(0, 0, radius), D3DXVECTOR3(0, 0, 1)};
  for (UINT stack = 1; stack < stacks; ++stack)
    for (UINT slice = 0; slice < slices; ++slice) {
      D3DXVECTOR3 direction = SpherePoint(stack, stacks, slice, slices);
      vertices[v++] = {direction * radius, direction};
    }
  vertices[v] = {D3DXVECTOR3(0, 0, -radius), D3DXVECTOR3(0, 0, -1)};
}

// Top fan, bands of two triangles per slice, bottom fan; each loop runs upper ring -> lower
// ring -> next slice, which is clockwise seen from outside.
void FillSphereFaces(Mesh* mesh, void* indices, UINT slices, UINT stacks) {
  DWORD face = 0;
  auto add = [&](DWORD a, DWORD b, DWORD c) {
    mesh->SetIndexAt(indices, face, 0, a);
    mesh->SetIndexAt(indices, face, 1, b);
    mesh->SetIndexAt(indices, face, 2, c);
    ++face;
  };
  auto ring = [&](UINT stack, UINT slice) { return DWORD(1 + (stack - 1) * slices + slice % slices); };
  DWORD bottom = DWORD(slices * (stacks - 1) + 1);
  for (UINT slice = 0; slice < slices; ++slice) add(0, ring(1, slice), ring(1, slice + 1));
  for (UINT stack = 1; stack + 1 < stacks; ++stack)
    for (UINT slice = 0; slice < slices; ++slice) {
      add(ring(stack, slice), ring(stack + 1, slice), ring(stack + 1, slice + 1));
      add(ring(stack, slice), ring(stack + 1, slice + 1), ring(stack, slice + 1));
    }
  for (UINT slice = 0; slice < slices; ++slice) add(ring(stacks - 1, slice), bottom, ring(stacks - 1, slice + 1));
}

}  // namespace

HRESULT CreateAdjacency(ID3DXBaseMesh* mesh, LPD3DXBUFFER* adjacency) {
  if (!adjacency) return S_OK;
  *adjacency = nullptr;
  auto* concrete = static_cast<Mesh*>(mesh);
  DWORD faces = mesh->GetNumFaces();
  HRESULT result = D3DXCreateBuffer(faces * 3 * sizeof(DWORD), adjacency);
  if (FAILED(result)) return result;
  auto* out = static_cast<DWORD*>((*adjacency)->GetBufferPointer());
  void* indices = nullptr;
  result = mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices);
  if (FAILED(result)) {
    (*adjacency)->Release();
    *adjacency = nullptr;
    return result;
  }
  // An edge (a, b) of one face meets the face that has the edge (b, a).
  std::map<std::pair<DWORD, DWORD>, DWORD> edgeOwner;
  for (DWORD face = 0; face < faces; ++face)
    for (DWORD e = 0; e < 3; ++e)
      edgeOwner[{concrete->IndexAt(indices, face, e), concrete->IndexAt(indices, face, (e + 1) % 3)}] = face;
  for (DWORD face = 0; face < faces; ++face)
    for (DWORD e = 0; e < 3; ++e) {
      auto found = edgeOwner.find({concrete->IndexAt(indices, face, (e + 1) % 3), concrete->IndexAt(indices, face, e)});
      out[face * 3 + e] = found == edgeOwner.end() || found->second == face ? 0xFFFFFFFF : found->second;
    }
  mesh->UnlockIndexBuffer();
  return S_OK;
}

}  // namespace platform::d3dx9

using namespace platform::d3dx9;

HRESULT WINAPI D3DXCreateSphere(LPDIRECT3DDEVICE9 device, FLOAT radius, UINT slices, UINT stacks, LPD3DXMESH* mesh,
                                LPD3DXBUFFER* adjacency) {
  if (!device || !mesh || radius < 0.0f || slices < 2 || stacks < 2 || slices > 4096 || stacks > 4096)
    return D3DERR_INVALIDCALL;
  *mesh = nullptr;
  DWORD vertexCount = slices * (stacks - 1) + 2, faceCount = 2 * slices * (stacks - 1);
  Mesh* sphere = nullptr;
  HRESULT result = Mesh::Create(device, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, faceCount, vertexCount, &sphere);
  if (FAILED(result)) return result;
  void* data = nullptr;
  result = sphere->LockVertexBuffer(0, &data);
  if (SUCCEEDED(result)) {
    FillSphereVertices(static_cast<SphereVertex*>(data), radius, slices, stacks);
    sphere->UnlockVertexBuffer();
    result = sphere->LockIndexBuffer(0, &data);
  }
  if (SUCCEEDED(result)) {
    FillSphereFaces(sphere, data, slices, stacks);
    result = sphere->UnlockIndexBuffer();
  }
  if (SUCCEEDED(result)) result = CreateAdjacency(sphere, adjacency);
  if (FAILED(result)) {
    sphere->Release();
    return result;
  }
  *mesh = sphere;
  return S_OK;
}

HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* /*adjacency*/) {
  if (!mesh) return D3DERR_INVALIDCALL;
  FvfLayout layout = DescribeFvf(mesh->GetFVF());
  if (layout.normal < 0 || layout.positionSize < 12) return D3DERR_INVALIDCALL;
  auto* concrete = static_cast<Mesh*>(mesh);
  void *vertexData = nullptr, *indices = nullptr;
  HRESULT result = mesh->LockVertexBuffer(0, &vertexData);
  if (FAILED(result)) return result;
  result = mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices);
  if (FAILED(result)) {
    mesh->UnlockVertexBuffer();
    return result;
  }
  auto* bytes = static_cast<uint8_t*>(vertexData);
  DWORD vertexCount = mesh->GetNumVertices();
  auto position = [&](DWORD v) {
    D3DXVECTOR3 p;
    std::memcpy(&p, bytes + size_t(v) * layout.stride, sizeof p);
    return p;
  };
  auto normal = [&](DWORD v) { return reinterpret_cast<float*>(bytes + size_t(v) * layout.stride + layout.normal); };
  for (DWORD v = 0; v < vertexCount; ++v) std::memset(normal(v), 0, 12);
  // The unnormalised cross product weights each face by its area.
  for (DWORD face = 0; face < mesh->GetNumFaces(); ++face) {
    DWORD corner[3];
    for (DWORD c = 0; c < 3; ++c) corner[c] = concrete->IndexAt(indices, face, c);
    if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) continue;
    D3DXVECTOR3 p0 = position(corner[0]), e1 = position(corner[1]) - p0, e2 = position(corner[2]) - p0, n;
    D3DXVec3Cross(&n, &e1, &e2);
    for (DWORD v : corner)
      for (int axis = 0; axis < 3; ++axis) normal(v)[axis] += n[axis];
  }
  for (DWORD v = 0; v < vertexCount; ++v) {
    D3DXVECTOR3 n;
    std::memcpy(&n, normal(v), sizeof n);
    D3DXVec3Normalize(&n, &n);
    std::memcpy(normal(v), &n, sizeof n);
  }
  mesh->UnlockIndexBuffer();
  return mesh->UnlockVertexBuffer();
}
