// Decoded images for texture loading: a file read into 32-bit ARGB pixels with the format facts
// the loader reports, and the pixel operations a texture needs (colour key, resampling, mip
// reduction, conversion into Direct3D texel formats).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9tex.h"

namespace platform::d3dx9 {

// Pixels as 0xAARRGGBB words, rows top to bottom without padding.
struct ArgbImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint32_t> pixels;
};

struct DecodedImage {
  ArgbImage image;
  D3DXIMAGE_INFO info{};
  bool hasAlpha = false;
};

// Decodes PNG, JPEG, BMP or TGA, chosen by the content. The path goes through the file-name
// rule. Returns D3DXERR_INVALIDDATA for a missing or undecodable file.
HRESULT DecodeImageFile(const char* path, DecodedImage* decoded);

// Opaque pixels equal to `key` (compared as full ARGB words) become transparent black.
void ApplyColourKey(ArgbImage* image, D3DCOLOR key);

// Resamples to the given size with a D3DX_FILTER_* filter: NONE copies (cropping or leaving the
// rest transparent black), POINT takes nearest pixels, the others average the covered area.
ArgbImage Resample(const ArgbImage& source, UINT width, UINT height, DWORD filter);

// The next smaller mip level (each side halved, at least 1).
ArgbImage ReduceForMip(const ArgbImage& source, DWORD filter);

// Number of levels of a full chain down to 1x1.
UINT FullMipChainLength(UINT width, UINT height);

// Bytes per texel of the texel formats textures can be created in; 0 for others.
UINT TexelSize(D3DFORMAT format);

// Writes one row of ARGB pixels in the given texel format.
void WriteTexelRow(const uint32_t* pixels, UINT count, D3DFORMAT format, uint8_t* row);

}  // namespace platform::d3dx9
