// D3DXLoadMeshFromXA: reads a text .x file and builds one mesh from all its meshes. A vertex of
// the result is a (position, normal) pair of the file, polygons become triangle fans, faces are
// ordered by material so that each subset is one run, and the materials are returned with their
// texture names stored in the same buffer.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "aru_platform.h"
#include "d3dx9/geometry.h"
#include "d3dx9/mesh.h"
#include "d3dx9/xfile.h"
#include "d3dx9tex.h"

namespace platform::d3dx9 {
namespace {

struct BuiltVertex {
  D3DXVECTOR3 position{0, 0, 0};
  D3DXVECTOR3 normal{0, 0, 0};
  D3DXVECTOR2 texCoord{0, 0};
};

struct BuiltTriangle {
  DWORD corners[3];
  DWORD material;
};

struct BuiltModel {
  std::vector<BuiltVertex> vertices;
  std::vector<BuiltTriangle> triangles;
  std::vector<XMaterial> materials;
  bool hasNormals = false;
  bool hasTexCoords = false;
};

// The material a mesh without a material list is given: mid grey, with a specular colour of
// the same grey and power 0, transparent alpha, no texture.
XMaterial DefaultMaterial() {
  XMaterial material;
  material.material.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
  material.material.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
  material.material.Power = 0.0f;
  return material;
}

void AddMesh(const XMesh& mesh, BuiltModel* model, DWORD* defaultMaterial) {
  DWORD materialBase = static_cast<DWORD>(model->materials.size());
  if (mesh.faceMaterials.empty() && *defaultMaterial == 0xFFFFFFFF) {
    *defaultMaterial = materialBase;
    model->materials.push_back(DefaultMaterial());
  }
  model->materials.insert(model->materials.end(), mesh.materials.begin(), mesh.materials.end());
  bool withNormals = !mesh.normals.empty();
  std::map<std::pair<DWORD, DWORD>, DWORD> vertexFor;  // (position, normal) -> built vertex
  auto vertex = [&](DWORD face, DWORD corner) {
    DWORD position = mesh.faces.corners[mesh.faces.starts[face] + corner];
    DWORD normal = withNormals ? mesh.normalFaces.corners[mesh.normalFaces.starts[face] + corner] : 0;
    auto [slot, added] = vertexFor.try_emplace({position, normal}, static_cast<DWORD>(model->vertices.size()));
    if (added) {
      BuiltVertex built;
      built.position = mesh.positions[position];
      if (withNormals) built.normal = mesh.normals[normal];
      if (!mesh.texCoords.empty()) built.texCoord = mesh.texCoords[position];
      model->vertices.push_back(built);
    }
    return slot->second;
  };
  for (DWORD face = 0; face < mesh.faces.size(); ++face) {
    DWORD material = mesh.faceMaterials.empty() ? *defaultMaterial : materialBase + mesh.faceMaterials[face];
    DWORD first = vertex(face, 0);
    for (DWORD corner = 1; corner + 1 < mesh.faces.counts[face]; ++corner)
      model->triangles.push_back({{first, vertex(face, corner), vertex(face, corner + 1)}, material});
  }
}

BuiltModel BuildModel(const std::vector<XMesh>& meshes) {
  BuiltModel model;
  DWORD defaultMaterial = 0xFFFFFFFF;
  for (const XMesh& mesh : meshes) {
    model.hasNormals |= !mesh.normals.empty();
    model.hasTexCoords |= !mesh.texCoords.empty();
    AddMesh(mesh, &model, &defaultMaterial);
  }
  std::stable_sort(model.triangles.begin(), model.triangles.end(),
                   [](const BuiltTriangle& a, const BuiltTriangle& b) { return a.material < b.material; });
  return model;
}

HRESULT FillMesh(const BuiltModel& model, Mesh* mesh) {
  FvfLayout layout = DescribeFvf(mesh->GetFVF());
  void* data = nullptr;
  HRESULT result = mesh->LockVertexBuffer(0, &data);
  if (FAILED(result)) return result;
  auto* bytes = static_cast<uint8_t*>(data);
  for (size_t v = 0; v < model.vertices.size(); ++v) {
    uint8_t* out = bytes + v * layout.stride;
    std::memcpy(out, &model.vertices[v].position, 12);
    if (layout.normal >= 0) std::memcpy(out + layout.normal, &model.vertices[v].normal, 12);
    if (layout.texCount > 0) std::memcpy(out + layout.texOffset[0], &model.vertices[v].texCoord, 8);
  }
  mesh->UnlockVertexBuffer();
  DWORD* attributes = nullptr;
  mesh->LockAttributeBuffer(0, &attributes);
  for (size_t t = 0; t < model.triangles.size(); ++t) attributes[t] = model.triangles[t].material;
  result = mesh->LockIndexBuffer(0, &data);
  if (FAILED(result)) return result;
  for (size_t t = 0; t < model.triangles.size(); ++t)
    for (DWORD c = 0; c < 3; ++c) mesh->SetIndexAt(data, DWORD(t), c, model.triangles[t].corners[c]);
  return mesh->UnlockIndexBuffer();
}

// D3DXMATERIAL entries first, then the texture names they point to.
HRESULT CreateMaterialBuffer(const std::vector<XMaterial>& materials, LPD3DXBUFFER* buffer) {
  size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
  for (const XMaterial& m : materials)
    if (!m.textureFileName.empty()) bytes += m.textureFileName.size() + 1;
  HRESULT result = D3DXCreateBuffer(static_cast<DWORD>(bytes), buffer);
  if (FAILED(result)) return result;
  auto* entries = static_cast<D3DXMATERIAL*>((*buffer)->GetBufferPointer());
  char* names = reinterpret_cast<char*>(entries + materials.size());
  for (size_t i = 0; i < materials.size(); ++i) {
    entries[i].MatD3D = materials[i].material;
    entries[i].pTextureFilename = nullptr;
    const std::string& name = materials[i].textureFileName;
    if (name.empty()) continue;
    std::memcpy(names, name.c_str(), name.size() + 1);
    entries[i].pTextureFilename = names;
    names += name.size() + 1;
  }
  return S_OK;
}

HRESULT ReadModelFile(const char* fileName, std::vector<XMesh>* meshes) {
  std::ifstream file(ResolvePath(fileName), std::ios::binary);
  if (!file) return D3DXERR_INVALIDDATA;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return ParseXFile(text, meshes);
}

}  // namespace
}  // namespace platform::d3dx9

using namespace platform::d3dx9;

HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                                  LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                                  LPD3DXMESH* mesh) {
  if (!filename || !device || !mesh) return D3DERR_INVALIDCALL;
  *mesh = nullptr;
  if (adjacency) *adjacency = nullptr;
  if (materials) *materials = nullptr;
  if (effectInstances) *effectInstances = nullptr;
  std::vector<XMesh> meshes;
  HRESULT result = ReadModelFile(filename, &meshes);
  if (FAILED(result)) return result;
  BuiltModel model = BuildModel(meshes);
  if (model.triangles.empty()) return D3DXERR_LOADEDMESHHASNODATA;
  DWORD fvf = D3DFVF_XYZ | (model.hasNormals ? D3DFVF_NORMAL : 0) | (model.hasTexCoords ? D3DFVF_TEX1 : 0);
  Mesh* built = nullptr;
  result = Mesh::Create(device, options, fvf, DWORD(model.triangles.size()), DWORD(model.vertices.size()), &built);
  if (SUCCEEDED(result)) result = FillMesh(model, built);
  if (SUCCEEDED(result) && materials) result = CreateMaterialBuffer(model.materials, materials);
  if (SUCCEEDED(result)) result = CreateAdjacency(built, adjacency);
  if (FAILED(result)) {
    if (materials && *materials) {
      (*materials)->Release();
      *materials = nullptr;
    }
    if (built) built->Release();
    return result;
  }
  if (numMaterials) *numMaterials = DWORD(model.materials.size());
  *mesh = built;
  return S_OK;
}
