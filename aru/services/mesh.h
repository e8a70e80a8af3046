// aruCMesh: the engine's 3-D model, either loaded from a DirectX .x file with its materials and
// textures, or a generated sphere with texture coordinates made from its normals. Drawn subset by
// subset with the fixed-function pipeline; textures belong to the texture pool.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <string>

class ARU;

// Position, normal and one texture coordinate set: flexible vertex format 0x112.
struct aruMeshVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(aruMeshVertex) == 32, "mesh vertices are 32 bytes");

class aruCMesh {
 public:
  static constexpr uint32_t kFromFile = 1;
  static constexpr uint32_t kSphere = 2;
  static constexpr DWORD kMeshFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

  explicit aruCMesh(ARU* engine);
  ~aruCMesh();
  aruCMesh(const aruCMesh&) = delete;
  aruCMesh& operator=(const aruCMesh&) = delete;

  // Texture names in the file are looked up as texturePath followed by the name.
  bool LoadX(const char* fileName, const char* texturePath);
  bool CreateSphere(float radius, uint32_t slices, uint32_t stacks, int32_t texture, bool sphereMapping);
  // Repeats the last LoadX or CreateSphere (after a device reset).
  bool Reload();
  int32_t* GetTextures() { return textures.get(); }
  // Draws every subset; returns the face count, 0 when there is no mesh.
  uint32_t Draw();
  // Replaces each position (x, y, z) by the first three rows of m applied to (x, y, z, 1).
  void Transform(const float m[16]);
  void Release();

  uint32_t GetKind() const { return kind; }
  uint32_t GetSubsetCount() const { return subsetCount; }
  const D3DMATERIAL9* GetMaterials() const { return materials.get(); }
  ID3DXMesh* GetMesh() const { return mesh; }

 private:
  bool CloneIntoMeshFormat(ID3DXMesh* source);
  void LoadMaterials(const D3DXMATERIAL* loaded);
  bool MapSphereCoordinates();

  ARU* engine;
  ID3DXMesh* mesh = nullptr;
  uint32_t kind = 0;
  uint32_t subsetCount = 0;
  std::unique_ptr<D3DMATERIAL9[]> materials;
  std::unique_ptr<int32_t[]> textures;
  std::string fileName;
  std::string texturePath;
  bool hasTexturePath = false;
  float radius = 0;
  uint32_t slices = 0;
  uint32_t stacks = 0;
  bool sphereMapping = false;
  int32_t sphereTexture = -1;
};
