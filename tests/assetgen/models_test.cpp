// Paddle models: the written .x text parses back to the same mesh, faces wind the way the
// left-handed pipeline culls, the models fit the arena, and the reader rejects broken files.
#include <gtest/gtest.h>

#include <cmath>

#include "catalogue.h"
#include "xfile.h"

namespace assetgen {
namespace {

Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& u, const Vec3& v) { return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}; }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

XMesh parsed(const PaddleModel& model) {
  XMesh mesh;
  std::string error;
  EXPECT_TRUE(parseX(writeX(model.mesh, "Paddle"), mesh, error)) << model.path << ": " << error;
  return mesh;
}

TEST(PaddleModels, WrittenTextParsesBackToTheSameMesh) {
  for (const PaddleModel& model : paddleModels()) {
    const XMesh mesh = parsed(model);
    SCOPED_TRACE(model.path);
    ASSERT_EQ(mesh.positions.size(), model.mesh.positions.size());
    ASSERT_EQ(mesh.faces, model.mesh.faces);
    EXPECT_EQ(mesh.faceMaterials, model.mesh.faceMaterials);
    ASSERT_EQ(mesh.uvs.size(), mesh.positions.size());
    ASSERT_EQ(mesh.materials.size(), 2u);
    EXPECT_FALSE(mesh.materials[0].texture.empty()) << "the face material names a texture";
    EXPECT_TRUE(mesh.materials[1].texture.empty());
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
      EXPECT_NEAR(mesh.positions[i].x, model.mesh.positions[i].x, 1e-5f);
      EXPECT_NEAR(mesh.positions[i].z, model.mesh.positions[i].z, 1e-5f);
    }
  }
}

// Clockwise seen from outside: the face normal (b - a) x (c - a) points away from the centre.
TEST(PaddleModels, EveryFaceIsClockwiseSeenFromOutside) {
  for (const PaddleModel& model : paddleModels()) {
    const XMesh& mesh = model.mesh;
    for (const auto& f : mesh.faces) {
      const Vec3 n = cross(sub(mesh.positions[f[1]], mesh.positions[f[0]]), sub(mesh.positions[f[2]], mesh.positions[f[0]]));
      const Vec3& a = mesh.positions[f[0]];
      const Vec3& b = mesh.positions[f[1]];
      const Vec3& c = mesh.positions[f[2]];
      const Vec3 centre{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
      EXPECT_GT(dot(n, centre), 0.0f) << model.path;
    }
  }
}

// Scaled by 0.5 at load, a paddle must fit the 7.5 x 6 arena with room to move and be large
// enough to cover the hit zone (about 0.9 units around the centre at the ends).
TEST(PaddleModels, SizedForTheArena) {
  for (const PaddleModel& model : paddleModels()) {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    for (const Vec3& p : model.mesh.positions) {
      minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
      minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z);
    }
    SCOPED_TRACE(model.path);
    EXPECT_GT((maxX - minX) * 0.5f, 1.4f);
    EXPECT_LT((maxX - minX) * 0.5f, 2.6f);
    EXPECT_GT((maxY - minY) * 0.5f, 0.8f);
    EXPECT_LT((maxY - minY) * 0.5f, 2.0f);
    EXPECT_LT((maxZ - minZ) * 0.5f, 0.5f) << "a paddle is a thin slab";
    EXPECT_NEAR(minX + maxX, 0.0f, 1e-4f) << "centred on the origin";
    for (const auto& uv : model.mesh.uvs) {
      EXPECT_GE(uv[0], 0.0f);
      EXPECT_LE(uv[0], 1.0f);
      EXPECT_GE(uv[1], 0.0f);
      EXPECT_LE(uv[1], 1.0f);
    }
  }
}

TEST(XReader, AcceptsTemplatesFramesAndNamedMaterialReferences) {
  const std::string text =
      "xof 0302txt 0064\n"
      "template Header { <3D82AB43-62DA-11cf-AB39-0020AF71E433> WORD major; }\n"
      "Header { 1; 0; 1; }\n"
      "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"red.tex\"; } }\n"
      "Frame Root {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
      " Mesh Quad {\n  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n  1; 4;0,3,2,1;;\n"
      "  MeshMaterialList { 1; 1; 0;; {Red} }\n }\n}\n";
  XMesh mesh;
  std::string error;
  ASSERT_TRUE(parseX(text, mesh, error)) << error;
  EXPECT_EQ(mesh.faces.size(), 2u) << "a quad becomes two triangles";
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0].texture, "red.tex");
  EXPECT_FLOAT_EQ(mesh.materials[0].diffuse[0], 1.0f);
}

TEST(XReader, RejectsBrokenFilesWithAReason) {
  const std::string good = writeX(paddleModels().front().mesh, "Paddle");
  XMesh mesh;
  std::string error;
  EXPECT_FALSE(parseX("xof 0302bin 0032" + good.substr(16), mesh, error)) << "binary files are not text";
  EXPECT_FALSE(parseX(good.substr(0, good.size() / 2), mesh, error)) << "truncated";
  EXPECT_FALSE(parseX("xof 0302txt 0064\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }", mesh, error));
  EXPECT_NE(error.find("index"), std::string::npos) << error;
  EXPECT_FALSE(parseX("xof 0302txt 0064\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                      " MeshMaterialList { 1; 1; 2;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
                      mesh, error))
      << "material index beyond the list";
  EXPECT_FALSE(parseX("xof 0302txt 0064\nHeader { 1; 0; 1; }", mesh, error));
  EXPECT_NE(error.find("no Mesh"), std::string::npos) << error;
  EXPECT_FALSE(parseX("xof 0302txt 0064\nMesh { 99999999999; }", mesh, error)) << "absurd count";
}

}  // namespace
}  // namespace assetgen
