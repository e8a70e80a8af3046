// aruCMesh: loading .x models (materials with Ambient = Diffuse, textures through the pool),
// generating the textured sphere, drawing subsets and transforming vertices in place. Every mesh
// is cloned into the managed pool in format 0x112 with normals recomputed from its faces.
#include "services/mesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/aru.h"

namespace {
constexpr size_t kMaxTextureName = 255;
constexpr uint32_t kModelMipLevels = 3;
}  // namespace

aruCMesh::aruCMesh(ARU* owner) : engine(owner) {}

aruCMesh::~aruCMesh() { Release(); }

void aruCMesh::Release() {
  if (mesh != nullptr) mesh->Release();
  mesh = nullptr;
  materials.reset();
  textures.reset();
  subsetCount = 0;
}

bool aruCMesh::CloneIntoMeshFormat(ID3DXMesh* source) {
  ID3DXMesh* clone = nullptr;
  const HRESULT cloned = source->CloneMeshFVF(D3DXMESH_MANAGED, kMeshFVF, engine->GetDevice(), &clone);
  source->Release();
  if (FAILED(cloned) || clone == nullptr) return false;
  mesh = clone;
  D3DXComputeNormals(mesh, nullptr);
  return true;
}

void aruCMesh::LoadMaterials(const D3DXMATERIAL* loaded) {
  materials = std::make_unique<D3DMATERIAL9[]>(subsetCount);
  textures = std::make_unique<int32_t[]>(subsetCount);
  for (uint32_t i = 0; i < subsetCount; ++i) {
    materials[i] = loaded[i].MatD3D;
    materials[i].Ambient = materials[i].Diffuse;
    textures[i] = -1;
    if (loaded[i].pTextureFilename == nullptr) continue;
    std::string name = hasTexturePath ? texturePath + loaded[i].pTextureFilename : loaded[i].pTextureFilename;
    if (name.size() > kMaxTextureName) name.resize(kMaxTextureName);
    textures[i] = engine->LoadTexture(name.c_str(), 0, kModelMipLevels);
  }
}

bool aruCMesh::LoadX(const char* file, const char* path) {
  Release();
  fileName = file != nullptr ? file : "";
  hasTexturePath = path != nullptr;
  texturePath = hasTexturePath ? path : "";
  kind = kFromFile;

  ID3DXBuffer* materialBuffer = nullptr;
  DWORD count = 0;
  ID3DXMesh* loaded = nullptr;
  if (FAILED(D3DXLoadMeshFromXA(fileName.c_str(), D3DXMESH_MANAGED, engine->GetDevice(), nullptr, &materialBuffer,
                                nullptr, &count, &loaded)) ||
      loaded == nullptr) {
    if (materialBuffer != nullptr) materialBuffer->Release();
    return false;
  }
  subsetCount = count;
  const bool materialsComplete =
      materialBuffer != nullptr && materialBuffer->GetBufferSize() >= count * sizeof(D3DXMATERIAL);
  if (materialsComplete && count > 0) {
    LoadMaterials(static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer()));
  } else {
    // A model without materials is one untextured subset drawn with the current material.
    subsetCount = 1;
    textures = std::make_unique<int32_t[]>(1);
    textures[0] = -1;
  }
  if (materialBuffer != nullptr) materialBuffer->Release();
  if (!CloneIntoMeshFormat(loaded)) {
    Release();
    return false;
  }
  return true;
}

bool aruCMesh::CreateSphere(float sphereRadius, uint32_t sliceCount, uint32_t stackCount, int32_t texture,
                            bool mapping) {
  Release();
  radius = sphereRadius;
  slices = sliceCount;
  stacks = stackCount;
  sphereTexture = texture;
  sphereMapping = mapping;
  kind = kSphere;

  ID3DXMesh* created = nullptr;
  if (FAILED(D3DXCreateSphere(engine->GetDevice(), radius, slices, stacks, &created, nullptr)) ||
      created == nullptr) {
    return false;
  }
  if (!CloneIntoMeshFormat(created) || !MapSphereCoordinates()) {
    Release();
    return false;
  }
  subsetCount = 1;
  textures = std::make_unique<int32_t[]>(1);
  textures[0] = sphereTexture;
  return true;
}

bool aruCMesh::MapSphereCoordinates() {
  void* data = nullptr;
  if (FAILED(mesh->LockVertexBuffer(0, &data)) || data == nullptr) return false;
  auto* vertices = static_cast<aruMeshVertex*>(data);
  const float pi = std::numbers::pi_v<float>;
  for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
    aruMeshVertex& vertex = vertices[i];
    if (sphereMapping) {
      vertex.u = std::asin(std::clamp(vertex.nx, -1.0f, 1.0f)) / pi + 0.5f;
      vertex.v = std::asin(std::clamp(vertex.ny, -1.0f, 1.0f)) / pi + 0.5f;
    } else {
      vertex.u = vertex.nx * 0.5f + 0.5f;
      vertex.v = vertex.ny * 0.5f + 0.5f;
    }
  }
  mesh->UnlockVertexBuffer();
  return true;
}

bool aruCMesh::Reload() {
  if (kind == kFromFile) return LoadX(fileName.c_str(), hasTexturePath ? texturePath.c_str() : nullptr);
  if (kind == kSphere) return CreateSphere(radius, slices, stacks, sphereTexture, sphereMapping);
  return false;
}

uint32_t aruCMesh::Draw() {
  if (mesh == nullptr) return 0;
  IDirect3DDevice9* device = engine->GetDevice();
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetFVF(kMeshFVF);
  for (uint32_t i = 0; i < subsetCount; ++i) {
    if (materials != nullptr) device->SetMaterial(&materials[i]);
    engine->BindTexture(textures[i], 0);
    mesh->DrawSubset(i);
  }
  return mesh->GetNumFaces();
}

void aruCMesh::Transform(const float m[16]) {
  if (mesh == nullptr) return;
  void* data = nullptr;
  if (FAILED(mesh->LockVertexBuffer(D3DLOCK_DISCARD, &data)) || data == nullptr) return;
  auto* vertices = static_cast<aruMeshVertex*>(data);
  for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
    aruMeshVertex& vertex = vertices[i];
    const float x = vertex.x, y = vertex.y, z = vertex.z;
    vertex.x = m[0] * x + m[1] * y + m[2] * z + m[3];
    vertex.y = m[4] * x + m[5] * y + m[6] * z + m[7];
    vertex.z = m[8] * x + m[9] * y + m[10] * z + m[11];
  }
  mesh->UnlockVertexBuffer();
}
