// Loading text .x models: frames and their transforms, polygons split into fans, normals,
// texture coordinates, materials (inline and by reference, with and without textures), subsets,
// and damaged files that must fail cleanly.
#include <gtest/gtest.h>

#include <random>

#include "d3d9_test.h"
#include "d3dx9.h"
#include "platform/d3d9/null_device_fixture.h"
#include "platform/win32/temp_dir.h"

namespace {

// A quad and two triangles under two nested frames, with three materials: one referenced by
// name and textured, one inline without a texture, one inline with a texture.
const char kModel[] = R"(xof 0302txt 0032
template Header {
 <3D82AB43-62DA-11cf-AB39-0020AF71E433>
 WORD major; WORD minor; DWORD flags;
}
Header { 1; 0; 1; }
// a comment
Material Shared {
 1.000000;0.000000;0.000000;1.000000;;
 5.000000;
 1.000000;1.000000;1.000000;;
 0.000000;0.000000;0.000000;;
 TextureFilename { "red.png"; }
}
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,5,1;; }
 Frame Child {
  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 1,0,0,1;; }
  Mesh Panel {
   6;
   0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;0;0;, 2;1;0;;
   3;
   4;0,3,2,1;,
   3;1,2,5;,
   3;1,5,4;;
   MeshNormals { 1; 0;0;-1;; 3; 4;0,0,0,0;, 3;0,0,0;, 3;0,0,0;; }
   MeshTextureCoords { 6; 0;1;, 0.5;1;, 0.5;0;, 0;0;, 1;1;, 1;0;; }
   MeshMaterialList {
    3; 3; 2, 0, 1;;
    { Shared }
    Material Green { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; }
    Material Blue { 0;0;1;0.5;; 2; 0;0;0;; 0;0;0;; TextureFilename { "blue.png"; } }
   }
  }
 }
}
)";

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

class XFileLoading : public NullDeviceTest {
 protected:
  HRESULT LoadText(const std::string& text) {
    dir.Write("model.x", text);
    return Load(dir.Path("model.x"));
  }

  HRESULT Load(const std::string& path) {
    ReleaseResults();
    return D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, device, &adjacency, &materials, nullptr,
                              &materialCount, &mesh);
  }

  void ReleaseResults() {
    if (mesh) mesh->Release();
    if (materials) materials->Release();
    if (adjacency) adjacency->Release();
    mesh = nullptr;
    materials = nullptr;
    adjacency = nullptr;
  }

  void TearDown() override {
    ReleaseResults();
    NullDeviceTest::TearDown();
  }

  // The three positions of face `face`.
  std::vector<D3DXVECTOR3> FacePositions(DWORD face) {
    void *vertexData = nullptr, *indexData = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertexData), D3D_OK);
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indexData), D3D_OK);
    std::vector<D3DXVECTOR3> result;
    for (int c = 0; c < 3; ++c) {
      const Vertex& v = static_cast<const Vertex*>(vertexData)[static_cast<const uint16_t*>(indexData)[face * 3 + c]];
      result.emplace_back(v.x, v.y, v.z);
    }
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return result;
  }

  TempDir dir;
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  DWORD materialCount = 0;
};

TEST_F(XFileLoading, ModelHasTheFileFormatFacesAndVertices) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);
  EXPECT_EQ(mesh->GetNumFaces(), 4u);  // the quad is two triangles
  EXPECT_EQ(mesh->GetNumVertices(), 6u);
  ASSERT_NE(adjacency, nullptr);
  EXPECT_EQ(adjacency->GetBufferSize(), 4u * 3 * sizeof(DWORD));
}

TEST_F(XFileLoading, MaterialsComeInListOrderWithTextureNames) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  ASSERT_EQ(materialCount, 3u);
  ASSERT_GE(materials->GetBufferSize(), 3 * sizeof(D3DXMATERIAL));
  auto* list = static_cast<D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_STREQ(list[0].pTextureFilename, "red.png");
  EXPECT_FLOAT_EQ(list[0].MatD3D.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(list[0].MatD3D.Power, 5.0f);
  EXPECT_FLOAT_EQ(list[0].MatD3D.Specular.g, 1.0f);
  EXPECT_EQ(list[1].pTextureFilename, nullptr);
  EXPECT_FLOAT_EQ(list[1].MatD3D.Diffuse.g, 1.0f);
  EXPECT_STREQ(list[2].pTextureFilename, "blue.png");
  EXPECT_FLOAT_EQ(list[2].MatD3D.Diffuse.a, 0.5f);
}

TEST_F(XFileLoading, OneSubsetPerMaterialInMaterialOrder) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  DWORD entries = 0;
  ASSERT_EQ(mesh->GetAttributeTable(nullptr, &entries), D3D_OK);
  ASSERT_EQ(entries, 3u);
  D3DXATTRIBUTERANGE table[3];
  ASSERT_EQ(mesh->GetAttributeTable(table, &entries), D3D_OK);
  for (DWORD i = 0; i < 3; ++i) EXPECT_EQ(table[i].AttribId, i);
  EXPECT_EQ(table[0].FaceCount, 1u);
  EXPECT_EQ(table[1].FaceCount, 1u);
  EXPECT_EQ(table[2].FaceStart, 2u);
  EXPECT_EQ(table[2].FaceCount, 2u);

  platform::NullDeviceCounters before = Counters();
  ASSERT_EQ(device->SetFVF(mesh->GetFVF()), D3D_OK);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  ASSERT_EQ(mesh->DrawSubset(2), D3D_OK);
  platform::NullDeviceCounters after = Counters();
  EXPECT_EQ(after.draws, before.draws + 1);
  EXPECT_EQ(after.primitives, before.primitives + 2);
  EXPECT_EQ(after.lastVertexStride, 32u);
  ASSERT_EQ(mesh->DrawSubset(7), D3D_OK);  // no such subset: nothing drawn
  device->EndScene();
  EXPECT_EQ(Counters().draws, after.draws);
}

TEST_F(XFileLoading, NestedFrameTransformsAreApplied) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  // Material 1's triangle is (1,5,4): (1,0,0) (2,1,0) (2,0,0), scaled by 2, moved by (1,0,0)
  // in the inner frame and by (0,0,5) in the outer one.
  std::vector<D3DXVECTOR3> triangle = FacePositions(1);
  EXPECT_EQ(triangle[0], D3DXVECTOR3(3, 0, 5));
  EXPECT_EQ(triangle[1], D3DXVECTOR3(5, 2, 5));
  EXPECT_EQ(triangle[2], D3DXVECTOR3(5, 0, 5));
}

TEST_F(XFileLoading, PolygonsBecomeFansFromTheirFirstCorner) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  // The quad 0,3,2,1 gives (0,3,2) and (0,2,1).
  std::vector<D3DXVECTOR3> first = FacePositions(2), second = FacePositions(3);
  EXPECT_EQ(first[0], D3DXVECTOR3(1, 0, 5));
  EXPECT_EQ(first[1], D3DXVECTOR3(1, 2, 5));
  EXPECT_EQ(first[2], D3DXVECTOR3(3, 2, 5));
  EXPECT_EQ(second[0], D3DXVECTOR3(1, 0, 5));
  EXPECT_EQ(second[2], D3DXVECTOR3(3, 0, 5));
}

TEST_F(XFileLoading, NormalsAndTextureCoordinatesFollowTheirVertices) {
  ASSERT_EQ(LoadText(kModel), D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
  const auto* vertices = static_cast<const Vertex*>(data);
  for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
    EXPECT_NEAR(vertices[i].nz, -1.0f, 1e-6f);  // scaling keeps normals unit length
    // Texture coordinates of the file: u = x / 2 and v = 1 - y in the model's own space.
    float modelX = (vertices[i].x - 1) / 2, modelY = vertices[i].y / 2;
    EXPECT_FLOAT_EQ(vertices[i].u, modelX / 2) << i;
    EXPECT_FLOAT_EQ(vertices[i].v, 1 - modelY) << i;
  }
  mesh->UnlockVertexBuffer();
}

TEST_F(XFileLoading, MeshWithoutMaterialsGetsOneDefaultMaterial) {
  ASSERT_EQ(LoadText("xof 0303txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }\n"), D3D_OK);
  EXPECT_EQ(materialCount, 1u);
  EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ));
  auto* list = static_cast<D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_EQ(list[0].pTextureFilename, nullptr);
  const D3DMATERIAL9& m = list[0].MatD3D;
  for (float channel : {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Specular.r, m.Specular.g, m.Specular.b})
    EXPECT_FLOAT_EQ(channel, 0.5f);
  EXPECT_FLOAT_EQ(m.Diffuse.a, 0.0f);
  EXPECT_FLOAT_EQ(m.Power, 0.0f);
  for (float channel : {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Emissive.r, m.Emissive.g, m.Emissive.b})
    EXPECT_FLOAT_EQ(channel, 0.0f);
}

TEST_F(XFileLoading, OnlyTheMeshWithoutAListGetsTheDefaultMaterial) {
  ASSERT_EQ(LoadText("xof 0303txt 0032\n"
                     "Mesh a { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
                     " MeshMaterialList { 1; 1; 0;; Material { 0;0;1;1;; 4; 1;1;1;; 0;0;0;; } } }\n"
                     "Mesh b { 3; 0;0;1;, 0;1;1;, 1;0;1;; 1; 3;0,1,2;; }\n"),
            D3D_OK);
  ASSERT_EQ(materialCount, 2u);
  auto* list = static_cast<D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_FLOAT_EQ(list[0].MatD3D.Diffuse.b, 1.0f);
  EXPECT_FLOAT_EQ(list[0].MatD3D.Power, 4.0f);
  EXPECT_FLOAT_EQ(list[1].MatD3D.Diffuse.b, 0.5f);
  EXPECT_FLOAT_EQ(list[1].MatD3D.Specular.r, 0.5f);
}

TEST_F(XFileLoading, FewerMaterialIndicesThanFacesRepeatTheLast) {
  ASSERT_EQ(LoadText("xof 0302txt 0032\nMesh m { 4; 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;; 2; 3;0,1,2;, 3;1,3,2;;\n"
                     " MeshMaterialList { 2; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
                     " Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }\n"),
            D3D_OK);
  DWORD entries = 0;
  mesh->GetAttributeTable(nullptr, &entries);
  ASSERT_EQ(entries, 1u);
  D3DXATTRIBUTERANGE range;
  mesh->GetAttributeTable(&range, &entries);
  EXPECT_EQ(range.AttribId, 1u);
  EXPECT_EQ(range.FaceCount, 2u);
}

TEST_F(XFileLoading, BadFilesAreRefused) {
  const std::pair<const char*, HRESULT> cases[] = {
      {"xof 0302bin 0032\x01\x02", D3DXERR_INVALIDDATA},
      {"not a model at all", D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nHeader { 1; 0; 1; }\n", D3DXERR_LOADEDMESHHASNODATA},
      {"xof 0302txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,7;; }", D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nMesh { 4000000000; 0;0;0;; }", D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
       " MeshMaterialList { 1; 1; 0;; { Nowhere } } }",
       D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 2;0,1;; }", D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nMesh { 3; 0;0;zero;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }", D3DXERR_INVALIDDATA},
      {"xof 0302txt 0032\nMaterial { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"open", D3DXERR_INVALIDDATA},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(LoadText(text), expected) << text;
    EXPECT_EQ(mesh, nullptr);
  }
  EXPECT_EQ(Load(dir.Path("missing.x")), D3DXERR_INVALIDDATA);
}

TEST_F(XFileLoading, DeepNestingIsRefusedWithoutRecursingForever) {
  std::string text = "xof 0302txt 0032\n";
  for (int i = 0; i < 20000; ++i) text += "Frame {";
  EXPECT_EQ(LoadText(text), D3DXERR_INVALIDDATA);
}

TEST_F(XFileLoading, EveryTruncationFailsCleanly) {
  std::string model = kModel;
  size_t end = model.rfind('}');
  for (size_t length = 0; length < end; length += 3) {
    HRESULT result = LoadText(model.substr(0, length));
    EXPECT_TRUE(result == D3DXERR_INVALIDDATA || result == D3DXERR_LOADEDMESHHASNODATA) << length;
  }
}

TEST_F(XFileLoading, GarbledFilesFailOrLoadConsistentMeshes) {
  std::mt19937 random(1234);
  const std::string model = kModel;
  const char replacements[] = "{};,0123456789-.\"<> x";
  for (int round = 0; round < 300; ++round) {
    std::string damaged = model;
    for (int change = 0; change < 4; ++change)
      damaged[16 + random() % (damaged.size() - 16)] = replacements[random() % (sizeof replacements - 1)];
    HRESULT result = LoadText(damaged);
    if (FAILED(result)) continue;
    void* data = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    for (DWORD i = 0; i < mesh->GetNumFaces() * 3; ++i)
      ASSERT_LT(static_cast<const uint16_t*>(data)[i], mesh->GetNumVertices()) << damaged;
    mesh->UnlockIndexBuffer();
  }
}

}  // namespace
