// Textures from image files: decode, apply the colour key, choose size, format and mip count the
// way the utility library does, then create the texture through the device and fill every level
// by LockRect, so any device implementation receives ordinary texels.
#include <algorithm>

#include "d3dx9/image.h"

namespace platform::d3dx9 {
namespace {

UINT NextPowerOfTwo(UINT value) {
  UINT result = 1;
  while (result < value && result < 0x80000000u) result <<= 1;
  return result;
}

// D3DX_DEFAULT (and 0) round the file's size up to a power of two; D3DX_DEFAULT_NONPOW2 and
// D3DX_FROM_FILE keep it; anything else is an explicit size.
UINT ChooseSize(UINT requested, UINT fileSize) {
  if (requested == 0 || requested == D3DX_DEFAULT) return NextPowerOfTwo(fileSize);
  if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) return fileSize;
  return requested;
}

UINT ChooseLevels(UINT requested, UINT width, UINT height) {
  UINT full = FullMipChainLength(width, height);
  if (requested == 0 || requested == D3DX_DEFAULT) return full;
  if (requested == D3DX_FROM_FILE) return 1;
  return std::min(requested, full);
}

D3DFORMAT ChooseFormat(D3DFORMAT requested, bool needsAlpha) {
  if (requested == D3DFMT_UNKNOWN || requested == D3DFMT_FROM_FILE)
    return needsAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  return requested;
}

bool ExceedsDevice(IDirect3DDevice9* device, UINT width, UINT height) {
  D3DCAPS9 caps{};
  if (FAILED(device->GetDeviceCaps(&caps))) return false;
  return (caps.MaxTextureWidth && width > caps.MaxTextureWidth) ||
         (caps.MaxTextureHeight && height > caps.MaxTextureHeight);
}

HRESULT FillLevel(IDirect3DTexture9* texture, UINT level, const ArgbImage& image, D3DFORMAT format) {
  D3DLOCKED_RECT locked{};
  HRESULT result = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(result)) return result;
  if (!locked.pBits) {
    texture->UnlockRect(level);
    return D3DERR_INVALIDCALL;
  }
  for (UINT y = 0; y < image.height; ++y)
    WriteTexelRow(&image.pixels[size_t(y) * image.width], image.width, format,
                  static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch);
  return texture->UnlockRect(level);
}

HRESULT FillChain(IDirect3DTexture9* texture, UINT levels, ArgbImage image, D3DFORMAT format, DWORD mipFilter) {
  for (UINT level = 0; level < levels; ++level) {
    if (level > 0) image = ReduceForMip(image, mipFilter);
    HRESULT result = FillLevel(texture, level, image, format);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

}  // namespace
}  // namespace platform::d3dx9

using namespace platform::d3dx9;

HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR srcFile, D3DXIMAGE_INFO* srcInfo) {
  if (!srcFile || !srcInfo) return D3DERR_INVALIDCALL;
  DecodedImage decoded;
  HRESULT result = DecodeImageFile(srcFile, &decoded);
  if (SUCCEEDED(result)) *srcInfo = decoded.info;
  return result;
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* /*palette*/,
                                            LPDIRECT3DTEXTURE9* texture) {
  if (!device || !srcFile || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  DecodedImage decoded;
  HRESULT result = DecodeImageFile(srcFile, &decoded);
  if (FAILED(result)) return result;
  if (colorKey != 0) ApplyColourKey(&decoded.image, colorKey);

  UINT textureWidth = ChooseSize(width, decoded.image.width);
  UINT textureHeight = ChooseSize(height, decoded.image.height);
  UINT levels = ChooseLevels(mipLevels, textureWidth, textureHeight);
  D3DFORMAT textureFormat = ChooseFormat(format, decoded.hasAlpha || colorKey != 0);
  if (TexelSize(textureFormat) == 0) return D3DERR_INVALIDCALL;
  if (ExceedsDevice(device, textureWidth, textureHeight)) return D3DERR_INVALIDCALL;

  IDirect3DTexture9* created = nullptr;
  result = device->CreateTexture(textureWidth, textureHeight, levels, usage, textureFormat, pool, &created, nullptr);
  if (FAILED(result)) return result;
  if (!created) return D3DERR_INVALIDCALL;
  ArgbImage top = (textureWidth == decoded.image.width && textureHeight == decoded.image.height)
                      ? std::move(decoded.image)
                      : Resample(decoded.image, textureWidth, textureHeight, filter);
  result = FillChain(created, created->GetLevelCount(), std::move(top), textureFormat, mipFilter);
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  if (srcInfo) *srcInfo = decoded.info;
  *texture = created;
  return S_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, LPDIRECT3DTEXTURE9* texture) {
  return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, texture);
}
