// Generated spheres, normals computed from faces, cloning into other vertex formats, subsets
// drawn through the device, attribute tables and buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "d3d9_test.h"
#include "d3dx9.h"
#include "platform/d3d9/null_device_fixture.h"

namespace {

struct PositionNormal {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
};

class MeshTest : public NullDeviceTest {
 protected:
  void TearDown() override {
    for (ID3DXMesh* m : meshes)
      if (m) m->Release();
    if (adjacency) adjacency->Release();
    NullDeviceTest::TearDown();
  }

  ID3DXMesh* Sphere(float radius, UINT slices, UINT stacks) {
    ID3DXMesh* sphere = nullptr;
    EXPECT_EQ(D3DXCreateSphere(device, radius, slices, stacks, &sphere, nullptr), D3D_OK);
    meshes.push_back(sphere);
    return sphere;
  }

  ID3DXMesh* Clone(ID3DXMesh* source, DWORD fvf) {
    ID3DXMesh* clone = nullptr;
    EXPECT_EQ(source->CloneMeshFVF(D3DXMESH_MANAGED, fvf, device, &clone), D3D_OK);
    meshes.push_back(clone);
    return clone;
  }

  std::vector<ID3DXMesh*> meshes;
  ID3DXBuffer* adjacency = nullptr;
};

TEST_F(MeshTest, SphereHasPolesAndRingsOfTheGivenRadius) {
  ID3DXMesh* sphere = Sphere(0.25f, 15, 6);
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(sphere->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
  EXPECT_EQ(sphere->GetNumVertices(), 15u * 5 + 2);
  EXPECT_EQ(sphere->GetNumFaces(), 2u * 15 * 5);
  void* data = nullptr;
  ASSERT_EQ(sphere->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
  const auto* vertices = static_cast<const PositionNormal*>(data);
  for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) {
    D3DXVECTOR3 p = vertices[i].position;
    EXPECT_NEAR(D3DXVec3Length(&p), 0.25f, 1e-5f) << i;
    EXPECT_NEAR(vertices[i].normal.x, p.x * 4, 1e-5f);
    EXPECT_NEAR(vertices[i].normal.z, p.z * 4, 1e-5f);
  }
  sphere->UnlockVertexBuffer();
}

TEST_F(MeshTest, SphereFacesAreClockwiseSeenFromOutsideAndClosed) {
  ID3DXMesh* sphere = nullptr;
  ASSERT_EQ(D3DXCreateSphere(device, 1.0f, 8, 4, &sphere, &adjacency), D3D_OK);
  meshes.push_back(sphere);
  void *data = nullptr, *indexData = nullptr;
  ASSERT_EQ(sphere->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
  ASSERT_EQ(sphere->LockIndexBuffer(D3DLOCK_READONLY, &indexData), D3D_OK);
  const auto* vertices = static_cast<const PositionNormal*>(data);
  const auto* indices = static_cast<const uint16_t*>(indexData);
  for (DWORD face = 0; face < sphere->GetNumFaces(); ++face) {
    D3DXVECTOR3 a = vertices[indices[face * 3]].position, b = vertices[indices[face * 3 + 1]].position,
                c = vertices[indices[face * 3 + 2]].position;
    D3DXVECTOR3 e1 = b - a, e2 = c - a, normal, centre = (a + b + c) / 3;
    D3DXVec3Cross(&normal, &e1, &e2);
    EXPECT_GT(D3DXVec3Dot(&normal, &centre), 0.0f) << face;
  }
  sphere->UnlockIndexBuffer();
  sphere->UnlockVertexBuffer();
  ASSERT_NE(adjacency, nullptr);
  const auto* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  for (DWORD i = 0; i < sphere->GetNumFaces() * 3; ++i) EXPECT_LT(neighbours[i], sphere->GetNumFaces()) << i;
}

TEST_F(MeshTest, SphereArgumentsAreChecked) {
  ID3DXMesh* sphere = nullptr;
  EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 1, 4, &sphere, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 4, 1, &sphere, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateSphere(nullptr, 1.0f, 4, 4, &sphere, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(sphere, nullptr);
}

TEST_F(MeshTest, CloneCopiesSharedComponentsAndWhitensNewColours) {
  ID3DXMesh* sphere = Sphere(2.0f, 6, 3);
  const DWORD engineFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x152
  ID3DXMesh* clone = Clone(sphere, engineFormat);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetFVF(), 0x152u);
  EXPECT_EQ(clone->GetNumBytesPerVertex(), 36u);
  EXPECT_EQ(clone->GetNumFaces(), sphere->GetNumFaces());
  void *from = nullptr, *to = nullptr;
  ASSERT_EQ(sphere->LockVertexBuffer(D3DLOCK_READONLY, &from), D3D_OK);
  ASSERT_EQ(clone->LockVertexBuffer(D3DLOCK_READONLY, &to), D3D_OK);
  for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) {
    const auto* source = static_cast<const uint8_t*>(from) + i * 24;
    const auto* target = static_cast<const uint8_t*>(to) + i * 36;
    EXPECT_EQ(std::memcmp(source, target, 24), 0) << i;
    DWORD diffuse;
    float uv[2];
    std::memcpy(&diffuse, target + 24, 4);
    std::memcpy(uv, target + 28, 8);
    EXPECT_EQ(diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(uv[0], 0.0f);
    EXPECT_EQ(uv[1], 0.0f);
  }
  clone->UnlockVertexBuffer();
  sphere->UnlockVertexBuffer();
  ID3DXMesh* back = Clone(clone, D3DFVF_XYZ);
  EXPECT_EQ(back->GetNumBytesPerVertex(), 12u);
  EXPECT_EQ(D3DXGetFVFVertexSize(0x112), 32u);
  EXPECT_EQ(D3DXGetFVFVertexSize(0x142), 24u);
}

TEST_F(MeshTest, ComputedNormalsPointOutwardOnASphere) {
  ID3DXMesh* sphere = Sphere(1.0f, 24, 12);
  void* data = nullptr;
  ASSERT_EQ(sphere->LockVertexBuffer(0, &data), D3D_OK);
  auto* vertices = static_cast<PositionNormal*>(data);
  for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) vertices[i].normal = D3DXVECTOR3(0, 0, 0);
  sphere->UnlockVertexBuffer();
  ASSERT_EQ(D3DXComputeNormals(sphere, nullptr), D3D_OK);
  ASSERT_EQ(sphere->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
  vertices = static_cast<PositionNormal*>(data);
  for (DWORD i = 0; i < sphere->GetNumVertices(); ++i) {
    EXPECT_NEAR(D3DXVec3Length(&vertices[i].normal), 1.0f, 1e-5f);
    EXPECT_GT(D3DXVec3Dot(&vertices[i].normal, &vertices[i].position), 0.98f) << i;
  }
  sphere->UnlockVertexBuffer();
}

TEST_F(MeshTest, ComputeNormalsNeedsANormalComponent) {
  ID3DXMesh* positionsOnly = Clone(Sphere(1.0f, 4, 3), D3DFVF_XYZ);
  EXPECT_EQ(D3DXComputeNormals(positionsOnly, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXComputeNormals(nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(MeshTest, DrawSubsetDrawsItsFacesWithTheMeshBuffers) {
  ID3DXMesh* sphere = Clone(Sphere(0.25f, 15, 6), 0x112);
  platform::NullDeviceCounters before = Counters();
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  ASSERT_EQ(sphere->DrawSubset(0), D3D_OK);
  device->EndScene();
  platform::NullDeviceCounters after = Counters();
  EXPECT_EQ(after.draws, before.draws + 1);
  EXPECT_EQ(after.primitives, before.primitives + 150);
  EXPECT_EQ(after.lastPrimitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(after.lastVertexStride, 32u);
  IDirect3DVertexBuffer9* bound = nullptr;
  UINT offset = 0, stride = 0;
  ASSERT_EQ(device->GetStreamSource(0, &bound, &offset, &stride), D3D_OK);
  IDirect3DVertexBuffer9* own = nullptr;
  ASSERT_EQ(sphere->GetVertexBuffer(&own), D3D_OK);
  EXPECT_EQ(bound, own);
  own->Release();
  bound->Release();
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
}

TEST_F(MeshTest, ChangedAttributesSplitTheSubsets) {
  ID3DXMesh* sphere = Sphere(1.0f, 4, 2);  // 8 faces
  DWORD* attributes = nullptr;
  ASSERT_EQ(sphere->LockAttributeBuffer(0, &attributes), D3D_OK);
  for (DWORD face = 4; face < 8; ++face) attributes[face] = 3;
  ASSERT_EQ(sphere->UnlockAttributeBuffer(), D3D_OK);
  DWORD entries = 0;
  ASSERT_EQ(sphere->GetAttributeTable(nullptr, &entries), D3D_OK);
  ASSERT_EQ(entries, 2u);
  D3DXATTRIBUTERANGE table[2];
  sphere->GetAttributeTable(table, &entries);
  EXPECT_EQ(table[1].AttribId, 3u);
  EXPECT_EQ(table[1].FaceStart, 4u);
  EXPECT_EQ(table[1].FaceCount, 4u);
  platform::NullDeviceCounters before = Counters();
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  ASSERT_EQ(sphere->DrawSubset(3), D3D_OK);
  device->EndScene();
  EXPECT_EQ(Counters().primitives, before.primitives + 4);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
}

TEST(D3DXBuffer, HoldsZeroedBytesOfTheRequestedSize) {
  ID3DXBuffer* buffer = nullptr;
  ASSERT_EQ(D3DXCreateBuffer(16, &buffer), D3D_OK);
  EXPECT_EQ(buffer->GetBufferSize(), 16u);
  const auto* bytes = static_cast<const uint8_t*>(buffer->GetBufferPointer());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0);
  void* same = nullptr;
  ASSERT_EQ(buffer->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
  EXPECT_EQ(same, buffer);
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace
