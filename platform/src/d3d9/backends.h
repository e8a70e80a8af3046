// The Direct3D back ends, by the name ARU_VIDEO gives them.
#pragma once

#include "d3d9.h"

namespace platform::d3d9 {

IDirect3D9* CreateNullDirect3D();
IDirect3D9* CreateGlDirect3D();

}  // namespace platform::d3d9
