// libFuzzer harness for texture decoding: every input is a whole image file (PNG, JPEG, BMP or
// TGA, told apart by content), made into a texture on the null device as the texture pool
// makes one (sizes from the file, a full mip chain, a colour key), then at its own size in a
// 16-bit format. Every level of a made texture is locked and read to its last row.
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
  std::fprintf(stderr, "fuzz_texture: %s\n", what);
  std::abort();
}

// Sums every texel of every level, so a level shorter than its description is caught.
void ReadEveryLevel(IDirect3DTexture9* texture) {
  volatile uint32_t sum = 0;
  for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC description{};
    D3DLOCKED_RECT locked{};
    if (texture->GetLevelDesc(level, &description) != D3D_OK ||
        texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
      Fail("a level of a made texture cannot be read");
    }
    const UINT rowBytes = description.Format == D3DFMT_A8R8G8B8 || description.Format == D3DFMT_X8R8G8B8
                              ? description.Width * 4
                              : description.Width * 2;
    for (UINT y = 0; y < description.Height; ++y) {
      const auto* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
      for (UINT x = 0; x < rowBytes; ++x) sum = sum + row[x];
    }
    texture->UnlockRect(level);
  }
}

void Load(const char* path, UINT size, UINT levels, D3DFORMAT format, DWORD filter, D3DCOLOR key) {
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result = D3DXCreateTextureFromFileExA(fuzz_support::NullDevice(), path, size, size, levels, 0,
                                                      format, D3DPOOL_MANAGED, filter, filter, key, &info,
                                                      nullptr, &texture);
  if (FAILED(result)) {
    if (texture != nullptr) Fail("a failed load returned a texture");
    return;
  }
  if (texture == nullptr || info.Width == 0 || info.Height == 0) Fail("a made texture is empty");
  ReadEveryLevel(texture);
  texture->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("picture.tex", data, size);
  Load(path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN, D3DX_DEFAULT, 0xFF000000);
  Load(path.c_str(), D3DX_DEFAULT_NONPOW2, 1, D3DFMT_R5G6B5, D3DX_FILTER_POINT, 0);
  return 0;
}
