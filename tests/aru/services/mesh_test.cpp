// aruCMesh on the null device: a .x model with three materials (one untextured) whose textures
// come through the pool once, the generated sphere's texture coordinates, drawing and Transform.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "aru/test_support.h"
#include "service_engine.h"
#include "services/mesh.h"

using testing_support::ScopedCurrentDirectory;
using testing_support::ServiceEngine;
using testing_support::TempDir;
using testing_support::WriteFile;
using testing_support::WriteSolidBitmap;

namespace {

// A fan of three triangles around (0, 0, 0), one face per material; the middle material has no
// texture.
const char* const kThreeMaterialModel = R"(xof 0302txt 0032
Frame Paddle {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
  Mesh PaddleMesh {
    5;
    0.0;0.0;0.0;,
    -1.0;1.0;0.0;,
    1.0;1.0;0.0;,
    1.0;-1.0;0.0;,
    -1.0;-1.0;0.0;;
    3;
    3;0,1,2;,
    3;0,2,3;,
    3;0,3,4;;
    MeshTextureCoords {
      5;
      0.5;0.5;,
      0.0;0.0;,
      1.0;0.0;,
      1.0;1.0;,
      0.0;1.0;;
    }
    MeshMaterialList {
      3;
      3;
      0,1,2;
      Material {
        1.0;0.0;0.0;1.0;;
        20.0;
        1.0;1.0;1.0;;
        0.0;0.0;0.0;;
        TextureFilename { "Wood.tex"; }
      }
      Material {
        0.0;1.0;0.0;1.0;;
        10.0;
        0.0;0.0;0.0;;
        0.0;0.0;0.0;;
      }
      Material {
        0.0;0.0;1.0;0.5;;
        5.0;
        0.0;0.0;0.0;;
        0.0;0.0;0.0;;
        TextureFilename { "stone.tex"; }
      }
    }
  }
}
)";

class Mesh : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(engine.GetDevice(), nullptr);
    std::filesystem::create_directories(temp.path() / "base/tex");
    std::filesystem::create_directories(temp.path() / "base/mdl");
    WriteSolidBitmap(temp.File("base/tex/wood.tex"), 4, 4, 0x996633);
    WriteSolidBitmap(temp.File("base/tex/stone.tex"), 4, 4, 0x808080);
    WriteFile(temp.File("base/mdl/paddle.x"), kThreeMaterialModel);
  }

  TempDir temp;
  ScopedCurrentDirectory inTemp{temp.path()};
  ServiceEngine engine;
};

TEST_F(Mesh, ModelWithThreeMaterialsLoadsTwoTexturesAndLeavesOneSubsetUntextured) {
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX(".\\base\\mdl\\paddle.x", ".\\base\\tex\\"));
  EXPECT_EQ(model.GetKind(), aruCMesh::kFromFile);
  ASSERT_EQ(model.GetSubsetCount(), 3u);
  const int32_t* textures = model.GetTextures();
  EXPECT_GE(textures[0], 0);
  EXPECT_EQ(textures[1], -1);
  EXPECT_GE(textures[2], 0);
  EXPECT_NE(textures[0], textures[2]);
  EXPECT_EQ(engine.GetDisplayName(textures[0]), "\"./base/tex/wood.tex\"");
  // Model textures get three mip levels.
  ASSERT_EQ(engine.BindTexture(textures[0], 0), D3D_OK);
  ASSERT_NE(engine.BoundTexture(0), nullptr);
  EXPECT_EQ(engine.BoundTexture(0)->GetLevelCount(), 3u);
  EXPECT_EQ(model.GetMesh()->GetFVF(), 0x112u);
  EXPECT_EQ(model.GetMesh()->GetNumFaces(), 3u);
}

TEST_F(Mesh, MaterialsTakeTheirDiffuseColourAsAmbient) {
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX("base/mdl/paddle.x", "base/tex/"));
  const D3DMATERIAL9* materials = model.GetMaterials();
  ASSERT_NE(materials, nullptr);
  EXPECT_FLOAT_EQ(materials[0].Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(materials[0].Ambient.r, 1.0f);
  EXPECT_FLOAT_EQ(materials[1].Ambient.g, 1.0f);
  EXPECT_FLOAT_EQ(materials[2].Ambient.a, 0.5f);
  EXPECT_FLOAT_EQ(materials[0].Power, 20.0f);
}

TEST_F(Mesh, LoadingTheSameModelTwiceLoadsEachTextureOnce) {
  aruCMesh first(&engine), second(&engine);
  ASSERT_TRUE(first.LoadX("base/mdl/paddle.x", ".\\base\\tex\\"));
  ASSERT_TRUE(second.LoadX("base/mdl/paddle.x", "./base/tex/"));
  EXPECT_EQ(engine.GetCount(), 2);
  EXPECT_EQ(first.GetTextures()[0], second.GetTextures()[0]);
  EXPECT_EQ(first.GetTextures()[2], second.GetTextures()[2]);
}

TEST_F(Mesh, DrawingBindsEachSubsetsTextureAndDrawsEverySubset) {
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX("base/mdl/paddle.x", "base/tex/"));
  const auto before = engine.Counters();
  EXPECT_EQ(model.Draw(), 3u);
  const auto after = engine.Counters();
  EXPECT_EQ(after.draws - before.draws, 3u);
  EXPECT_EQ(after.primitives - before.primitives, 3u);
  EXPECT_EQ(engine.RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
  // The last subset is textured with stone; its material is the current one.
  EXPECT_NE(engine.BoundTexture(0), nullptr);
  D3DMATERIAL9 current{};
  engine.GetDevice()->GetMaterial(&current);
  EXPECT_FLOAT_EQ(current.Diffuse.b, 1.0f);
}

TEST_F(Mesh, TexturesDroppedByTheEngineComeBackWhenTheMeshIsDrawn) {
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX("base/mdl/paddle.x", "base/tex/"));
  engine.ReleaseAll();
  model.Draw();
  EXPECT_TRUE(engine.IsLoaded(model.GetTextures()[0]));
  EXPECT_TRUE(engine.IsLoaded(model.GetTextures()[2]));
}

TEST_F(Mesh, MissingOrMalformedFilesLeaveAnEmptyMeshThatDrawsNothing) {
  aruCMesh model(&engine);
  EXPECT_FALSE(model.LoadX("base/mdl/none.x", "base/tex/"));
  WriteFile(temp.File("base/mdl/broken.x"), std::string(kThreeMaterialModel).substr(0, 300));
  EXPECT_FALSE(model.LoadX("base/mdl/broken.x", "base/tex/"));
  const unsigned before = engine.Counters().draws;
  EXPECT_EQ(model.Draw(), 0u);
  EXPECT_EQ(engine.Counters().draws, before);
}

TEST_F(Mesh, ReloadRepeatsTheLastLoad) {
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX("base/mdl/paddle.x", "base/tex/"));
  model.Release();
  EXPECT_EQ(model.Draw(), 0u);
  ASSERT_TRUE(model.Reload());
  EXPECT_EQ(model.Draw(), 3u);
  EXPECT_EQ(engine.GetCount(), 2);
}

TEST_F(Mesh, TextureNamesWithoutAPathAreUsedAsTheyStand) {
  ScopedCurrentDirectory inTextures(temp.path() / "base/tex");
  aruCMesh model(&engine);
  ASSERT_TRUE(model.LoadX("../mdl/paddle.x", nullptr));
  EXPECT_EQ(engine.GetDisplayName(model.GetTextures()[0]), "\"wood.tex\"");
}

class Sphere : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(engine.GetDevice(), nullptr); }

  template <typename Check>
  void ForEachVertex(aruCMesh& sphere, Check check) {
    void* data = nullptr;
    ID3DXMesh* mesh = sphere.GetMesh();
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    const auto* vertices = static_cast<const aruMeshVertex*>(data);
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) check(vertices[i]);
    mesh->UnlockVertexBuffer();
  }

  ServiceEngine engine;
};

TEST_F(Sphere, TheBallsTextureCoordinatesLieInTheUnitSquareCentredOnTheZAxis) {
  aruCMesh ball(&engine);
  ASSERT_TRUE(ball.CreateSphere(0.25f, 15, 6, -1, true));
  EXPECT_EQ(ball.GetKind(), aruCMesh::kSphere);
  EXPECT_EQ(ball.GetSubsetCount(), 1u);
  EXPECT_EQ(ball.GetTextures()[0], -1);
  EXPECT_EQ(ball.GetMaterials(), nullptr);
  int alongZ = 0;
  ForEachVertex(ball, [&](const aruMeshVertex& vertex) {
    EXPECT_NEAR(std::sqrt(vertex.x * vertex.x + vertex.y * vertex.y + vertex.z * vertex.z), 0.25f, 1e-4);
    EXPECT_GE(vertex.u, 0.0f);
    EXPECT_LE(vertex.u, 1.0f);
    EXPECT_GE(vertex.v, 0.0f);
    EXPECT_LE(vertex.v, 1.0f);
    EXPECT_NEAR(vertex.u, std::asin(vertex.nx) / 3.14159265f + 0.5f, 1e-4);
    if (std::fabs(std::fabs(vertex.nz) - 1.0f) < 1e-4) {
      ++alongZ;
      EXPECT_NEAR(vertex.u, 0.5f, 1e-3);
      EXPECT_NEAR(vertex.v, 0.5f, 1e-3);
    }
  });
  EXPECT_GT(alongZ, 0);
}

TEST_F(Sphere, WithoutSphereMappingCoordinatesAreHalfTheNormalPlusOneHalf) {
  aruCMesh ball(&engine);
  ASSERT_TRUE(ball.CreateSphere(1.0f, 8, 8, 7, false));
  EXPECT_EQ(ball.GetTextures()[0], 7);
  ForEachVertex(ball, [](const aruMeshVertex& vertex) {
    EXPECT_NEAR(vertex.u, vertex.nx * 0.5f + 0.5f, 1e-5);
    EXPECT_NEAR(vertex.v, vertex.ny * 0.5f + 0.5f, 1e-5);
  });
}

TEST_F(Sphere, TransformMovesPositionsAndKeepsNormalsAndCoordinates) {
  aruCMesh ball(&engine);
  ASSERT_TRUE(ball.CreateSphere(0.5f, 10, 5, -1, true));
  std::vector<aruMeshVertex> before;
  ForEachVertex(ball, [&](const aruMeshVertex& vertex) { before.push_back(vertex); });
  // Columns carry the translation: x' = 2x + 1, y' = y - 3, z' = z.
  const float m[16] = {2, 0, 0, 1, 0, 1, 0, -3, 0, 0, 1, 0, 0, 0, 0, 1};
  ball.Transform(m);
  size_t i = 0;
  ForEachVertex(ball, [&](const aruMeshVertex& vertex) {
    EXPECT_FLOAT_EQ(vertex.x, before[i].x * 2 + 1);
    EXPECT_FLOAT_EQ(vertex.y, before[i].y - 3);
    EXPECT_FLOAT_EQ(vertex.z, before[i].z);
    EXPECT_EQ(vertex.nx, before[i].nx);
    EXPECT_EQ(vertex.u, before[i].u);
    ++i;
  });
  EXPECT_EQ(i, before.size());
}

TEST_F(Sphere, ReloadBuildsTheSameSphereAgain) {
  aruCMesh ball(&engine);
  ASSERT_TRUE(ball.CreateSphere(0.25f, 15, 6, -1, true));
  const DWORD faces = ball.GetMesh()->GetNumFaces();
  ball.Release();
  ASSERT_TRUE(ball.Reload());
  EXPECT_EQ(ball.GetMesh()->GetNumFaces(), faces);
  EXPECT_EQ(ball.Draw(), faces);
}

}  // namespace
