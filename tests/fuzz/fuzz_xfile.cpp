// libFuzzer harness for the text .x reader: every input is a whole model file, loaded on the
// null device as the engine's mesh service loads it (managed, with materials), then with every
// optional output asked for. A loaded mesh is locked and walked so that indexes that point
// past its vertices are caught.
#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_device.h"
#include "fuzz_file.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_xfile: %s\n", what);
  std::abort();
}

void Release(IUnknown* object) {
  if (object != nullptr) object->Release();
}

// Every index of the loaded mesh names one of its vertices; every material has a readable name.
void CheckMesh(ID3DXMesh* mesh, ID3DXBuffer* materials, DWORD materialCount) {
  const DWORD vertices = mesh->GetNumVertices();
  const DWORD indexes = mesh->GetNumFaces() * 3;
  void* data = nullptr;
  if (mesh->LockIndexBuffer(D3DLOCK_READONLY, &data) != D3D_OK) Fail("cannot lock the loaded indexes");
  const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
  for (DWORD i = 0; i < indexes; ++i) {
    const DWORD index = wide ? static_cast<const DWORD*>(data)[i] : static_cast<const WORD*>(data)[i];
    if (index >= vertices) Fail("an index points past the vertices");
  }
  mesh->UnlockIndexBuffer();
  if (materialCount > 0 && materials == nullptr) Fail("materials counted but not returned");
  if (materials == nullptr) return;
  const auto* list = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  for (DWORD i = 0; i < materialCount; ++i) {
    if (list[i].pTextureFilename != nullptr) (void)std::string(list[i].pTextureFilename);
  }
}

void LoadAsTheEngineDoes(const char* path) {
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  ID3DXMesh* mesh = nullptr;
  if (SUCCEEDED(D3DXLoadMeshFromXA(path, D3DXMESH_MANAGED, fuzz_support::NullDevice(), nullptr, &materials,
                                   nullptr, &count, &mesh))) {
    if (mesh == nullptr) Fail("success without a mesh");
    CheckMesh(mesh, materials, count);
  }
  Release(mesh);
  Release(materials);
}

void LoadWithEveryOutput(const char* path) {
  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* effects = nullptr;
  DWORD count = 0;
  ID3DXMesh* mesh = nullptr;
  if (SUCCEEDED(D3DXLoadMeshFromXA(path, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, fuzz_support::NullDevice(),
                                   &adjacency, &materials, &effects, &count, &mesh))) {
    if (mesh == nullptr) Fail("success without a mesh");
    CheckMesh(mesh, materials, count);
  }
  Release(mesh);
  Release(materials);
  Release(effects);
  Release(adjacency);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("model.x", data, size);
  LoadAsTheEngineDoes(path.c_str());
  LoadWithEveryOutput(path.c_str());
  return 0;
}
