// Image headers that claim sizes far beyond any texture, or far beyond the pixels the file
// holds: a few bytes of TGA or JPEG must be refused before the decoder allocates for the
// claimed size, while small files of the same kinds, including the old bitmap header with
// 16-bit sizes, still load.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "d3dx9.h"
#include "platform/d3d9/null_device_fixture.h"
#include "platform/d3dx9/image_files.h"
#include "platform/win32/temp_dir.h"

namespace {

// A 33-byte run-length TGA claiming 62715 x 63959 pixels (16 GB when decoded), as the fuzzer
// found it.
const unsigned char kHugeRunLengthTga[] = {0x00, 0x00, 0x0a, 0x00, 0x06, 0x00, 0x00, 0x01, 0x00, 0x20, 0x08,
                                           0x05, 0xfb, 0xf4, 0xd7, 0xf9, 0x20, 0x08, 0x05, 0xfb, 0xf4, 0xd7,
                                           0xf9, 0xfb, 0x30, 0xdd, 0xfc, 0xfb, 0x30, 0xdd, 0xfc, 0xdd, 0x5d};

std::string ReadSeed(const std::string& name) {
  std::ifstream in(std::string(RALLIX_SOURCE_DIR) + "/tests/fuzz/corpus/texture/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 2x2 24-bit bitmap with the 12-byte core header, whose sizes are 16-bit.
std::string CoreHeaderBmp() {
  std::string bmp = "BM";
  image_files::Put32(&bmp, 14 + 12 + 2 * 8);
  image_files::Put32(&bmp, 0);
  image_files::Put32(&bmp, 14 + 12);
  image_files::Put32(&bmp, 12);
  image_files::Put16(&bmp, 2);
  image_files::Put16(&bmp, 2);
  image_files::Put16(&bmp, 1);
  image_files::Put16(&bmp, 24);
  for (int row = 0; row < 2; ++row) bmp += std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
  return bmp;
}

class ImageHeaderLimits : public NullDeviceTest {
 protected:
  HRESULT Load(const std::string& name, const std::string& bytes) {
    dir.Write(name, bytes);
    if (texture != nullptr) texture->Release();
    texture = nullptr;
    return D3DXCreateTextureFromFileExA(device, dir.Path(name).c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFF000000,
                                        &info, nullptr, &texture);
  }
  void TearDown() override {
    if (texture != nullptr) texture->Release();
    NullDeviceTest::TearDown();
  }

  TempDir dir;
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* texture = nullptr;
};

TEST_F(ImageHeaderLimits, TgaClaimingHugeSizesIsRefusedBeforeDecoding) {
  EXPECT_EQ(Load("found.tga", std::string(std::begin(kHugeRunLengthTga), std::end(kHugeRunLengthTga))),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);

  std::string wide = image_files::Tga32(2, 1, {0xFFFF0000, 0xFF00FF00});
  wide[12] = '\x00';
  wide[13] = '\x50';  // 20480 pixels wide, one past the largest texture side
  EXPECT_EQ(Load("wide.tga", wide), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Load("short.tga", wide.substr(0, 17)), D3DXERR_INVALIDDATA);

  // 28 bytes claiming 12396 x 13056 raw pixels (2 GB on the way to a texture), as found.
  const unsigned char shortRaw[] = {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x67, 0x6c, 0x30, 0x00, 0x33, 0x20, 0x08, 0x05, 0xf7,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xd5, 0xf8};
  EXPECT_EQ(Load("found_raw.tga", std::string(std::begin(shortRaw), std::end(shortRaw))), D3DXERR_INVALIDDATA);
  const std::string whole = image_files::Tga32(2, 1, {0xFFFF0000, 0xFF00FF00});
  EXPECT_EQ(Load("cut.tga", whole.substr(0, whole.size() - 1)), D3DXERR_INVALIDDATA) << "one byte short";

  ASSERT_EQ(Load("small.tga", whole), D3D_OK);
  EXPECT_EQ(info.Width, 2u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
}

TEST_F(ImageHeaderLimits, JpegClaimingHugeSizesIsRefusedWhereverItsFrameHeaderIs) {
  const std::string jpeg = ReadSeed("small.jpg");
  ASSERT_EQ(Load("small.jpg", jpeg), D3D_OK);
  EXPECT_EQ(info.Width, 8u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_JPG);

  const size_t frame = jpeg.find("\xff\xc0");
  ASSERT_NE(frame, std::string::npos);
  std::string huge = jpeg;
  huge.replace(frame + 5, 4, "\xfd\xe8\xfd\xe8");  // 65000 x 65000
  EXPECT_EQ(Load("huge.jpg", huge), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  // Fill bytes before the frame header do not hide it.
  std::string filled = huge;
  filled.insert(frame, "\xff\xff\xff");
  EXPECT_EQ(Load("filled.jpg", filled), D3DXERR_INVALIDDATA);
}

TEST_F(ImageHeaderLimits, BitmapWithTheCoreHeaderLoads) {
  ASSERT_EQ(Load("core.bmp", CoreHeaderBmp()), D3D_OK);
  EXPECT_EQ(info.Width, 2u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);

  std::string huge = CoreHeaderBmp();
  huge[19] = '\x60';  // 24578 pixels wide
  EXPECT_EQ(Load("huge.bmp", huge), D3DXERR_INVALIDDATA);
}

}  // namespace
