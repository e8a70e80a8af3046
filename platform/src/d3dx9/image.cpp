// Image decoding on SDL2_image (PNG and JPEG through libpng and libjpeg-turbo, BMP and TGA by
// SDL's own readers) and the pixel work of texture loading: colour key, resampling, mip levels
// and conversion into texel formats.
#include "d3dx9/image.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "aru_platform.h"

namespace platform::d3dx9 {
namespace {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// Larger than any texture a device offers; refused before the decoder allocates for it.
constexpr uint32_t kMaxImageSide = 16384;

uint32_t ReadBigEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

uint32_t ReadLittleEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24;
}

uint32_t ReadBigEndian16(const std::vector<uint8_t>& bytes, size_t at) { return uint32_t(bytes[at]) << 8 | bytes[at + 1]; }

uint32_t ReadLittleEndian16(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | uint32_t(bytes[at + 1]) << 8; }

bool TooLarge(uint32_t width, uint32_t height) { return width > kMaxImageSide || height > kMaxImageSide; }

// A JPEG's size is in its start-of-frame segment, after any number of other segments. A
// stream that ends or breaks before it is left to the decoder, which refuses it.
bool JpegClaimsHugeSize(const std::vector<uint8_t>& bytes) {
  size_t at = 2;
  while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
    const uint8_t marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) return at + 9 <= bytes.size() && TooLarge(ReadBigEndian16(bytes, at + 7), ReadBigEndian16(bytes, at + 5));
    const bool standalone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
    at += standalone ? 2 : 2 + ReadBigEndian16(bytes, at + 2);
  }
  return false;
}

// The TGA decoder gives a picture even when the pixel data stops early, so a few bytes could
// claim hundreds of megabytes of pixels. Raw data needs every pixel; run-length data at least
// one packet (a count byte and one pixel) per 128 pixels. Other image types are left to it.
bool TgaLacksItsPixels(const std::vector<uint8_t>& bytes) {
  const uint32_t imageType = bytes[2];
  const bool raw = imageType >= 1 && imageType <= 3;
  const bool runLength = imageType >= 9 && imageType <= 11;
  if (!raw && !runLength) return false;
  const uint64_t colourMapBytes = bytes[1] == 1 ? uint64_t(ReadLittleEndian16(bytes, 5)) * ((bytes[7] + 7u) / 8) : 0;
  const uint64_t pixels = uint64_t(ReadLittleEndian16(bytes, 12)) * ReadLittleEndian16(bytes, 14);
  const uint64_t pixelBytes = (bytes[16] + 7u) / 8;
  const uint64_t dataBytes = raw ? pixels * pixelBytes : (pixels + 127) / 128 * (1 + pixelBytes);
  return bytes.size() < 18 + bytes[0] + colourMapBytes + dataBytes;
}

// Headers can claim sizes of billions of pixels from a few bytes, which the decoders would
// allocate before finding the data missing; such files are refused before decoding.
bool ClaimsHugeSize(const std::vector<uint8_t>& bytes, D3DXIMAGE_FILEFORMAT fileFormat) {
  switch (fileFormat) {
    case D3DXIFF_PNG:
      return bytes.size() < 24 || TooLarge(ReadBigEndian32(bytes, 16), ReadBigEndian32(bytes, 20));
    case D3DXIFF_BMP: {
      if (bytes.size() < 26) return true;
      if (ReadLittleEndian32(bytes, 14) == 12)  // the old core header has 16-bit sizes
        return TooLarge(ReadLittleEndian16(bytes, 18), ReadLittleEndian16(bytes, 20));
      const auto height = int32_t(ReadLittleEndian32(bytes, 22));
      return TooLarge(ReadLittleEndian32(bytes, 18), height < 0 ? 0u - uint32_t(height) : uint32_t(height));
    }
    case D3DXIFF_JPG:
      return JpegClaimsHugeSize(bytes);
    default:  // TGA: the 16-bit width and height follow the 12 bytes of type and colour map
      return bytes.size() < 18 || TooLarge(ReadLittleEndian16(bytes, 12), ReadLittleEndian16(bytes, 14)) ||
             TgaLacksItsPixels(bytes);
  }
}

// The format by content; TGA has no signature, so it is what is left.
D3DXIMAGE_FILEFORMAT DetectFormat(SDL_RWops* stream) {
  if (IMG_isPNG(stream)) return D3DXIFF_PNG;
  if (IMG_isJPG(stream)) return D3DXIFF_JPG;
  if (IMG_isBMP(stream)) return D3DXIFF_BMP;
  return D3DXIFF_TGA;
}

const char* DecoderType(D3DXIMAGE_FILEFORMAT fileFormat) {
  switch (fileFormat) {
    case D3DXIFF_PNG: return "PNG";
    case D3DXIFF_JPG: return "JPG";
    case D3DXIFF_BMP: return "BMP";
    default: return "TGA";
  }
}

// Decodes with the reader chosen by the content.
SDL_Surface* DecodeBytes(const std::vector<uint8_t>& bytes, D3DXIMAGE_FILEFORMAT* fileFormat) {
  if (bytes.empty() || bytes.size() > size_t(INT32_MAX)) return nullptr;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return nullptr;
  *fileFormat = DetectFormat(stream);
  SDL_Surface* surface = nullptr;
  if (!ClaimsHugeSize(bytes, *fileFormat)) surface = IMG_LoadTyped_RW(stream, 0, DecoderType(*fileFormat));
  SDL_RWclose(stream);
  return surface;
}

// The Direct3D format that describes the file's own pixels.
D3DFORMAT SourceFormat(const SDL_PixelFormat* format, bool hasAlpha) {
  switch (format->BytesPerPixel) {
    case 1:
      return D3DFMT_P8;
    case 2:
      if (format->Amask) return D3DFMT_A1R5G5B5;
      return format->Gmask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    case 3:
      return D3DFMT_R8G8B8;
    default:
      return hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
}

bool CopyArgbPixels(SDL_Surface* surface, ArgbImage* image) {
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  if (!argb) return false;
  image->width = static_cast<UINT>(argb->w);
  image->height = static_cast<UINT>(argb->h);
  image->pixels.resize(size_t(image->width) * image->height);
  SDL_LockSurface(argb);
  for (UINT y = 0; y < image->height; ++y)
    std::memcpy(&image->pixels[size_t(y) * image->width], static_cast<uint8_t*>(argb->pixels) + size_t(y) * argb->pitch,
                size_t(image->width) * 4);
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return true;
}

// The filter kind in the low byte; D3DX_DEFAULT means an averaging filter.
DWORD FilterKind(DWORD filter) { return filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : (filter & 0xFF); }

uint32_t AverageArea(const ArgbImage& source, UINT x0, UINT y0, UINT x1, UINT y1) {
  uint64_t sum[4] = {0, 0, 0, 0};
  for (UINT y = y0; y < y1; ++y)
    for (UINT x = x0; x < x1; ++x) {
      uint32_t p = source.pixels[size_t(y) * source.width + x];
      for (int c = 0; c < 4; ++c) sum[c] += (p >> (c * 8)) & 0xFF;
    }
  uint64_t count = uint64_t(x1 - x0) * (y1 - y0);
  uint32_t result = 0;
  for (int c = 0; c < 4; ++c) result |= uint32_t((sum[c] + count / 2) / count) << (c * 8);
  return result;
}

uint32_t Bits(uint32_t argb, int shift, int bits) { return ((argb >> shift) & 0xFF) >> (8 - bits); }

}  // namespace

HRESULT DecodeImageFile(const char* path, DecodedImage* decoded) {
  std::vector<uint8_t> bytes;
  if (!path || !ReadWholeFile(ResolvePath(path), &bytes)) return D3DXERR_INVALIDDATA;
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  SDL_Surface* surface = DecodeBytes(bytes, &fileFormat);
  if (!surface) return D3DXERR_INVALIDDATA;
  decoded->hasAlpha = surface->format->Amask != 0 || SDL_HasColorKey(surface) ||
                      (surface->format->palette && surface->format->BytesPerPixel == 1 &&
                       std::any_of(surface->format->palette->colors,
                                   surface->format->palette->colors + surface->format->palette->ncolors,
                                   [](const SDL_Color& c) { return c.a != 0xFF; }));
  decoded->info = {static_cast<UINT>(surface->w), static_cast<UINT>(surface->h), 1, 1,
                   SourceFormat(surface->format, decoded->hasAlpha), D3DRTYPE_TEXTURE, fileFormat};
  bool copied = surface->w > 0 && surface->h > 0 && CopyArgbPixels(surface, &decoded->image);
  SDL_FreeSurface(surface);
  return copied ? S_OK : D3DXERR_INVALIDDATA;
}

void ApplyColourKey(ArgbImage* image, D3DCOLOR key) {
  for (uint32_t& p : image->pixels)
    if (p == key) p = 0;
}

ArgbImage Resample(const ArgbImage& source, UINT width, UINT height, DWORD filter) {
  ArgbImage result{width, height, std::vector<uint32_t>(size_t(width) * height, 0)};
  DWORD kind = FilterKind(filter);
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) {
      uint32_t& out = result.pixels[size_t(y) * width + x];
      if (kind == D3DX_FILTER_NONE) {
        if (x < source.width && y < source.height) out = source.pixels[size_t(y) * source.width + x];
        continue;
      }
      UINT x0 = UINT(uint64_t(x) * source.width / width), y0 = UINT(uint64_t(y) * source.height / height);
      if (kind == D3DX_FILTER_POINT) {
        out = source.pixels[size_t(y0) * source.width + x0];
        continue;
      }
      UINT x1 = std::max(x0 + 1, UINT(uint64_t(x + 1) * source.width / width));
      UINT y1 = std::max(y0 + 1, UINT(uint64_t(y + 1) * source.height / height));
      out = AverageArea(source, x0, y0, x1, y1);
    }
  return result;
}

ArgbImage ReduceForMip(const ArgbImage& source, DWORD filter) {
  UINT width = std::max(1u, source.width / 2), height = std::max(1u, source.height / 2);
  DWORD kind = FilterKind(filter);
  return Resample(source, width, height, kind == D3DX_FILTER_NONE ? D3DX_FILTER_POINT : kind);
}

UINT FullMipChainLength(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

UINT TexelSize(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return 2;
    default:
      return 0;
  }
}

void WriteTexelRow(const uint32_t* pixels, UINT count, D3DFORMAT format, uint8_t* row) {
  for (UINT i = 0; i < count; ++i) {
    uint32_t p = pixels[i];
    uint16_t texel16 = 0;
    switch (format) {
      case D3DFMT_A8R8G8B8:
        std::memcpy(row + i * 4, &p, 4);
        continue;
      case D3DFMT_X8R8G8B8:
        p |= 0xFF000000u;
        std::memcpy(row + i * 4, &p, 4);
        continue;
      case D3DFMT_A4R4G4B4:
        texel16 = uint16_t(Bits(p, 24, 4) << 12 | Bits(p, 16, 4) << 8 | Bits(p, 8, 4) << 4 | Bits(p, 0, 4));
        break;
      case D3DFMT_R5G6B5:
        texel16 = uint16_t(Bits(p, 16, 5) << 11 | Bits(p, 8, 6) << 5 | Bits(p, 0, 5));
        break;
      case D3DFMT_X1R5G5B5:
        texel16 = uint16_t(0x8000 | Bits(p, 16, 5) << 10 | Bits(p, 8, 5) << 5 | Bits(p, 0, 5));
        break;
      case D3DFMT_A1R5G5B5:
        texel16 = uint16_t(Bits(p, 24, 1) << 15 | Bits(p, 16, 5) << 10 | Bits(p, 8, 5) << 5 | Bits(p, 0, 5));
        break;
      default:
        return;
    }
    std::memcpy(row + i * 2, &texel16, 2);
  }
}

}  // namespace platform::d3dx9
