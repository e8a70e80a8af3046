// Texture loading from image files on the null device: formats detected from the content, the
// reported image information, sizes, mip chains, colour keys, texel formats and bad files.
#include <gtest/gtest.h>

#include "d3dx9.h"
#include "platform/d3d9/null_device_fixture.h"
#include "platform/d3dx9/image_files.h"
#include "platform/win32/temp_dir.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// A 3x2 picture: red green blue / white blue red.
std::vector<uint32_t> Picture() { return {kRed, kGreen, kBlue, kWhite, kBlue, kRed}; }

class TextureLoading : public NullDeviceTest {
 protected:
  std::string Save(const std::string& name, const std::string& bytes) {
    image_files::Write(dir.Path(name), bytes);
    return dir.Path(name);
  }

  HRESULT Load(const std::string& path, UINT size, UINT levels, D3DFORMAT format, D3DCOLOR key) {
    return D3DXCreateTextureFromFileExA(device, path.c_str(), size, size, levels, 0, format, D3DPOOL_MANAGED,
                                        D3DX_FILTER_POINT, D3DX_FILTER_BOX, key, &info, nullptr, &texture);
  }

  uint32_t Texel32(UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t value = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch)[x];
    texture->UnlockRect(level);
    return value;
  }

  void TearDown() override {
    if (texture) texture->Release();
    NullDeviceTest::TearDown();
  }

  TempDir dir;
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
};

TEST_F(TextureLoading, PngKeepsItsSizeWithNonPowerOfTwoAndReportsTheFile) {
  std::string path = Save("pic.png", image_files::Png(3, 2, Picture()));
  ASSERT_EQ(Load(path, D3DX_DEFAULT_NONPOW2, 1, D3DFMT_UNKNOWN, 0), D3D_OK);
  EXPECT_EQ(info.Width, 3u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.Depth, 1u);
  EXPECT_EQ(info.MipLevels, 1u);
  EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
  EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 3u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(Texel32(0, 0, 0), kRed);
  EXPECT_EQ(Texel32(0, 1, 0), kGreen);
  EXPECT_EQ(Texel32(0, 0, 1), kWhite);
  EXPECT_EQ(Texel32(0, 2, 1), kRed);
}

TEST_F(TextureLoading, DefaultSizeRoundsUpToPowersOfTwoWithAFullMipChain) {
  std::string path = Save("pic.png", image_files::Png(3, 2, Picture()));
  ASSERT_EQ(Load(path, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN, 0), D3D_OK);
  EXPECT_EQ(info.Width, 3u);  // the file's size, not the texture's
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(texture->GetLevelCount(), 3u);  // 4x2, 2x1, 1x1
  ASSERT_EQ(texture->GetLevelDesc(2, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
}

TEST_F(TextureLoading, MipLevelsAverageTheLevelAbove) {
  // 2x2: red, blue / blue, red -> one texel (127, 0, 127) rounded to 128.
  std::string path = Save("check.png", image_files::Png(2, 2, {kRed, kBlue, kBlue, kRed}));
  ASSERT_EQ(Load(path, D3DX_DEFAULT, 2, D3DFMT_UNKNOWN, 0), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 2u);
  EXPECT_EQ(Texel32(1, 0, 0), 0xFF800080u);
}

TEST_F(TextureLoading, ColourKeyMakesMatchingPixelsTransparentBlack) {
  std::string path = Save("keyed.bmp", image_files::Bmp24(3, 2, Picture()));
  ASSERT_EQ(Load(path, D3DX_DEFAULT_NONPOW2, 1, D3DFMT_UNKNOWN, kBlue), D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);  // the key needs an alpha channel
  EXPECT_EQ(Texel32(0, 2, 0), 0u);
  EXPECT_EQ(Texel32(0, 1, 1), 0u);
  EXPECT_EQ(Texel32(0, 0, 0), kRed);
}

TEST_F(TextureLoading, OpaqueBmpWithoutKeyBecomesX8R8G8B8) {
  std::string path = Save("plain.bmp", image_files::Bmp24(3, 2, Picture()));
  ASSERT_EQ(Load(path, D3DX_DEFAULT_NONPOW2, 1, D3DFMT_UNKNOWN, 0), D3D_OK);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(Texel32(0, 1, 0) & 0x00FFFFFF, kGreen & 0x00FFFFFF);
}

TEST_F(TextureLoading, TgaIsReadWithoutASignature) {
  std::string path = Save("pic.tex", image_files::Tga32(3, 2, {kRed, 0x80112233, kBlue, kWhite, kBlue, kRed}));
  ASSERT_EQ(Load(path, D3DX_DEFAULT_NONPOW2, 1, D3DFMT_UNKNOWN, 0), D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
  EXPECT_EQ(Texel32(0, 1, 0), 0x80112233u);
  EXPECT_EQ(Texel32(0, 0, 1), kWhite);
}

TEST_F(TextureLoading, ExplicitSixteenBitFormatPacksTexels) {
  std::string path = Save("pic.png", image_files::Png(2, 1, {0x80FF0000, 0xFF00FF00}));
  ASSERT_EQ(Load(path, 0, 1, D3DFMT_A4R4G4B4, 0), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto* texels = static_cast<const uint16_t*>(locked.pBits);
  EXPECT_EQ(texels[0], 0x8F00);
  EXPECT_EQ(texels[1], 0xF0F0);
  texture->UnlockRect(0);
}

TEST_F(TextureLoading, ExplicitSizeResamplesWithThePointFilter) {
  std::string path = Save("pic.png", image_files::Png(2, 1, {kRed, kBlue}));
  ASSERT_EQ(Load(path, 4, 1, D3DFMT_UNKNOWN, 0), D3D_OK);
  EXPECT_EQ(Texel32(0, 0, 0), kRed);
  EXPECT_EQ(Texel32(0, 1, 2), kRed);
  EXPECT_EQ(Texel32(0, 2, 3), kBlue);
}

TEST_F(TextureLoading, PathWithBackslashesAndOtherCaseIsFound) {
  std::filesystem::create_directories(dir.Path("Tex"));
  Save("Tex/Ball.png", image_files::Png(3, 2, Picture()));
  std::string windowsStyle = dir.Path() + "\\tex\\BALL.PNG";
  EXPECT_EQ(Load(windowsStyle, D3DX_DEFAULT, 1, D3DFMT_UNKNOWN, 0), D3D_OK);
}

TEST_F(TextureLoading, UndecodableMissingAndTruncatedFilesAreInvalidData) {
  std::string png = image_files::Png(3, 2, Picture());
  const std::string cases[] = {Save("text.png", "this is not a picture"), Save("empty.png", ""),
                               Save("cut.png", png.substr(0, png.size() / 2)), dir.Path("missing.png")};
  for (const std::string& path : cases) {
    EXPECT_EQ(Load(path, D3DX_DEFAULT, 1, D3DFMT_UNKNOWN, 0), D3DXERR_INVALIDDATA) << path;
    EXPECT_EQ(texture, nullptr);
  }
  EXPECT_EQ(D3DXGetImageInfoFromFileA(dir.Path("missing.png").c_str(), &info), D3DXERR_INVALIDDATA);
}

TEST_F(TextureLoading, HeadersClaimingHugeSizesAreRefusedBeforeDecoding) {
  std::string png = image_files::Png(3, 2, Picture());
  png.replace(16, 8, std::string("\x00\x01\x86\xA0\x00\x01\x86\xA0", 8));  // 100000 x 100000
  std::string bmp = image_files::Bmp24(3, 2, Picture());
  bmp.replace(18, 4, std::string("\xA0\x86\x01\x00", 4));
  for (const std::string& path : {Save("huge.png", png), Save("huge.bmp", bmp)}) {
    EXPECT_EQ(Load(path, D3DX_DEFAULT, 1, D3DFMT_UNKNOWN, 0), D3DXERR_INVALIDDATA) << path;
    EXPECT_EQ(D3DXGetImageInfoFromFileA(path.c_str(), &info), D3DXERR_INVALIDDATA) << path;
  }
}

TEST_F(TextureLoading, TextureLargerThanTheDeviceAllowsIsRefused) {
  D3DCAPS9 caps{};
  ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
  std::string path = Save("pic.png", image_files::Png(3, 2, Picture()));
  EXPECT_EQ(Load(path, caps.MaxTextureWidth * 2, 1, D3DFMT_UNKNOWN, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureLoading, ImageInfoWithoutATexture) {
  std::string path = Save("pic.png", image_files::Png(3, 2, Picture()));
  ASSERT_EQ(D3DXGetImageInfoFromFileA(path.c_str(), &info), D3D_OK);
  EXPECT_EQ(info.Width, 3u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
}

TEST_F(TextureLoading, ShortFormLoadsAManagedFullChain) {
  std::string path = Save("pic.png", image_files::Png(3, 2, Picture()));
  ASSERT_EQ(D3DXCreateTextureFromFileA(device, path.c_str(), &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
}

}  // namespace
