// Pixel-format conversions and flexible-vertex-format layouts for the Direct3D back ends.
#include "d3d9/formats.h"

#include <algorithm>
#include <cstring>

namespace platform::d3d9 {

UINT BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

bool IsTextureFormat(D3DFORMAT format) { return BytesPerPixel(format) != 0; }

bool IsDepthFormat(D3DFORMAT format) {
  return format == D3DFMT_D16 || format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D32;
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

bool IsBackBufferFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
         format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

namespace {

// Widens an n-bit channel to 8 bits by repeating its top bits.
DWORD Expand(DWORD value, int bits) {
  value &= (1u << bits) - 1;
  return bits == 8 ? value : ((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

}  // namespace

DWORD PixelToArgb(D3DFORMAT format, const BYTE* pixel) {
  DWORD value = 0;
  std::memcpy(&value, pixel, BytesPerPixel(format));
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return value;
    case D3DFMT_X8R8G8B8:
      return value | 0xFF000000u;
    case D3DFMT_R5G6B5:
      return 0xFF000000u | Expand(value >> 11, 5) << 16 | Expand(value >> 5, 6) << 8 | Expand(value, 5);
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      DWORD alpha = (format == D3DFMT_X1R5G5B5 || (value & 0x8000)) ? 0xFF000000u : 0;
      return alpha | Expand(value >> 10, 5) << 16 | Expand(value >> 5, 5) << 8 | Expand(value, 5);
    }
    case D3DFMT_A4R4G4B4:
      return Expand(value >> 12, 4) << 24 | Expand(value >> 8, 4) << 16 | Expand(value >> 4, 4) << 8 |
             Expand(value, 4);
    default:
      return 0;
  }
}

void ArgbToPixel(D3DFORMAT format, DWORD argb, BYTE* pixel) {
  DWORD a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  DWORD value = 0;
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      value = argb;
      break;
    case D3DFMT_R5G6B5:
      value = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
      break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      value = (a >= 0x80 ? 0x8000u : 0u) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
      break;
    case D3DFMT_A4R4G4B4:
      value = (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
      break;
    default:
      return;
  }
  std::memcpy(pixel, &value, BytesPerPixel(format));
}

bool DescribeVertexFormat(DWORD fvf, VertexLayout* layout) {
  VertexLayout out;
  DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position == D3DFVF_XYZ) {
    out.stride = 12;
  } else if (position == D3DFVF_XYZRHW) {
    out.stride = 16;
    out.transformed = true;
  } else {
    return false;
  }
  if (fvf & D3DFVF_NORMAL) {
    if (out.transformed) return false;
    out.normal = static_cast<int>(out.stride);
    out.stride += 12;
  }
  if (fvf & D3DFVF_PSIZE) out.stride += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    out.diffuse = static_cast<int>(out.stride);
    out.stride += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    out.specular = static_cast<int>(out.stride);
    out.stride += 4;
  }
  out.texCoordCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (out.texCoordCount > 8) return false;
  for (UINT i = 0; i < out.texCoordCount; ++i) {
    static const int kSizes[4] = {2, 3, 4, 1};  // by the two-bit D3DFVF_TEXTUREFORMAT code
    out.texCoord[i] = static_cast<int>(out.stride);
    out.texCoordSize[i] = kSizes[(fvf >> (16 + 2 * i)) & 3];
    out.stride += 4 * out.texCoordSize[i];
  }
  *layout = out;
  return true;
}

UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  switch (type) {
    case D3DPT_POINTLIST: return primitiveCount;
    case D3DPT_LINELIST: return primitiveCount * 2;
    case D3DPT_LINESTRIP: return primitiveCount + 1;
    case D3DPT_TRIANGLELIST: return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitiveCount + 2;
    default: return 0;
  }
}

UINT FullMipChainLength(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

}  // namespace platform::d3d9
