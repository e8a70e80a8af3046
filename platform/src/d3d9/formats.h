// Pixel-format and vertex-format facts shared by both Direct3D back ends: which colour formats
// textures and surfaces accept, their sizes, how flexible vertex formats lay out a vertex, and
// how many vertices a primitive count needs.
#pragma once

#include "d3d9.h"

namespace platform::d3d9 {

// Bytes per pixel of a colour format textures and surfaces accept; 0 for any other format.
UINT BytesPerPixel(D3DFORMAT format);

// The formats textures and off-screen surfaces may have.
bool IsTextureFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
// Display and back-buffer formats the devices render to.
bool IsDisplayFormat(D3DFORMAT format);
bool IsBackBufferFormat(D3DFORMAT format);

// Converts one pixel of a texture format to A8R8G8B8 (X formats read as opaque).
DWORD PixelToArgb(D3DFORMAT format, const BYTE* pixel);
// Stores an A8R8G8B8 colour as one pixel of a texture format.
void ArgbToPixel(D3DFORMAT format, DWORD argb, BYTE* pixel);

// Where each element of a flexible-vertex-format vertex lies; -1 when absent.
struct VertexLayout {
  UINT stride = 0;
  bool transformed = false;  // D3DFVF_XYZRHW: positions are already in screen pixels
  int normal = -1;
  int diffuse = -1;
  int specular = -1;
  int texCoord[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int texCoordSize[8] = {};
  UINT texCoordCount = 0;
};

// False for formats without a position or with elements the devices do not draw (blend weights).
bool DescribeVertexFormat(DWORD fvf, VertexLayout* layout);

// Number of vertices (or indices) that primitiveCount primitives of this type use; 0 for an
// unknown type.
UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

// The number of levels of a full mip chain down to 1x1.
UINT FullMipChainLength(UINT width, UINT height);

}  // namespace platform::d3d9
