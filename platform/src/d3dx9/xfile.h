// Reader of text .x model files: the header, templates (skipped), frames with their transforms,
// meshes with normals, texture coordinates and material lists, and top-level materials used by
// reference. The result is a list of meshes already moved into the file's root space.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "d3dx9mesh.h"

namespace platform::d3dx9 {

struct XMaterial {
  D3DMATERIAL9 material{};
  std::string textureFileName;
};

// Polygons are stored flat: polygon i uses corners[starts[i] .. starts[i] + counts[i]).
struct XPolygons {
  std::vector<DWORD> starts;
  std::vector<DWORD> counts;
  std::vector<DWORD> corners;
  size_t size() const { return starts.size(); }
};

struct XMesh {
  std::vector<D3DXVECTOR3> positions;
  XPolygons faces;
  std::vector<D3DXVECTOR3> normals;  // empty when the mesh has none
  XPolygons normalFaces;             // same shape as faces, indices into normals
  std::vector<D3DXVECTOR2> texCoords;  // empty or one per position
  std::vector<DWORD> faceMaterials;    // one per face once loaded; empty without a material list
  std::vector<XMaterial> materials;
};

// Parses a whole text .x file. Returns S_OK with at least one mesh, D3DXERR_INVALIDDATA for
// malformed, binary or compressed files, D3DXERR_LOADEDMESHHASNODATA for a file without meshes.
HRESULT ParseXFile(std::string_view text, std::vector<XMesh>* meshes);

}  // namespace platform::d3dx9
