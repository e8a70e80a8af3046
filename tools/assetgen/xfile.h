// Paddle models: meshes built from a flat outline extruded into a slab, written as DirectX
// text ".x" files (a top-level Mesh with normals, texture coordinates and a material list), and a
// reader for that format used by the tests to check the written files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

struct XMaterial {
  std::array<float, 4> diffuse{1, 1, 1, 1};
  float power = 0;
  std::array<float, 3> specular{0, 0, 0};
  std::array<float, 3> emissive{0, 0, 0};
  std::string texture;  // empty: no TextureFilename
};

struct XMesh {
  std::vector<Vec3> positions;
  std::vector<std::array<float, 2>> uvs;  // one per position
  std::vector<std::array<uint32_t, 3>> faces;
  std::vector<uint32_t> faceMaterials;  // one per face
  std::vector<XMaterial> materials;
};

// A slab whose front (facing -z) and back faces are the outline, textured by planar mapping with
// material 0, and whose rim uses material 1. Triangles are clockwise seen from outside, as the
// left-handed pipeline with counter-clockwise culling expects. The outline is convex, x/y pairs
// in counter-clockwise order.
XMesh extrudeOutline(const std::vector<std::array<float, 2>>& outline, float thickness, const XMaterial& face,
                     const XMaterial& rim);

std::string writeX(const XMesh& mesh, const std::string& name);

// Parses the text format produced above and by common exporters (templates are skipped, nested
// frames searched for the first Mesh). Returns false with a reason on any structural error.
bool parseX(const std::string& text, XMesh& mesh, std::string& error);

}  // namespace assetgen
