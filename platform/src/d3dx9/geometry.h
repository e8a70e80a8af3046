// Helpers shared by the mesh producers of the utility library.
#pragma once

#include "d3dx9mesh.h"

namespace platform::d3dx9 {

// Fills *adjacency (when not null) with three face indices per face: the neighbour across
// each edge, 0xFFFFFFFF where there is none.
HRESULT CreateAdjacency(ID3DXBaseMesh* mesh, LPD3DXBUFFER* adjacency);

}  // namespace platform::d3dx9
