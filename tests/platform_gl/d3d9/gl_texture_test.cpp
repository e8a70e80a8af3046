// Which levels the OpenGL device samples: a minified texture reads its reduced levels exactly
// when the sampler asks for a mip filter, a single-level texture always reads level 0 (no chain
// is made up for it), D3DSAMP_MAXMIPLEVEL picks the largest level even when only one is left,
// and a texture drawn at its own size keeps its texels. Mirror addressing still mirrors wherever coordinates leave the
// texture, directly or through a texture transform. Runs on SDL's offscreen driver; skipped where no OpenGL device
// can be created.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl_test_device.h"

namespace {

constexpr UINT kSize = 64;  // back buffer and texture, in pixels
constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

struct TexturedVertex {  // D3DFVF_XYZRHW | D3DFVF_TEX1
  float x, y, z, rhw, u, v;
};

// A checkerboard of single texels: its average is a mid grey, any one texel black or white.
D3DCOLOR Checker(UINT x, UINT y) { return (x + y) % 2 == 0 ? kWhite : kBlack; }
// Level 1 blue, level 2 mid grey: told apart from each other and from level 0.
D3DCOLOR Reduced(UINT level) { return level == 1 ? 0xFF0000FF : 0xFF808080; }
// Black on the left half, white on the right: mirrored beyond u = 1 the right end turns black.
D3DCOLOR LeftBlack(UINT x, UINT) { return x < kSize / 2 ? kBlack : kWhite; }

class GlTextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string problem = gl_test::Create("GlTextureTest", kSize, kSize, &made_);
    if (problem.rfind("skip: ", 0) == 0) GTEST_SKIP() << problem.substr(6);
    ASSERT_EQ(problem, "");
    device_ = made_.device;
    gl_test::ShowTexelsAsTheyAre(device_);
    MakeTexture(1);
  }

  // A texture of `levels` levels: a checkerboard on level 0, `Reduced` colours below it.
  void MakeTexture(UINT levels) {
    if (texture_) texture_->Release();
    texture_ = nullptr;
    ASSERT_EQ(device_->CreateTexture(kSize, kSize, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr),
              D3D_OK);
    Fill(Checker);
    for (UINT level = 1; level < levels; ++level) FillLevel(level, Reduced(level));
    device_->SetTexture(0, texture_);
  }

  void FillLevel(UINT level, D3DCOLOR colour) {
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture_->GetLevelDesc(level, &desc), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture_->LockRect(level, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y) {
      auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) row[x] = colour;
    }
    ASSERT_EQ(texture_->UnlockRect(level), D3D_OK);
  }

  void TearDown() override {
    if (device_) device_->SetTexture(0, nullptr);
    if (texture_) texture_->Release();
    EXPECT_EQ(gl_test::Destroy(made_), 0u);
  }

  void Fill(D3DCOLOR (*texel)(UINT x, UINT y)) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < kSize; ++y) {
      auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < kSize; ++x) row[x] = texel(x, y);
    }
    ASSERT_EQ(texture_->UnlockRect(0), D3D_OK);
  }

  // Draws the whole texture onto the square of `side` pixels at the top-left corner, with the
  // given mip filter and u running from 0 to `uEnd`, and returns the back buffer.
  std::vector<D3DCOLOR> Draw(float side, DWORD mipFilter, float uEnd = 1.0f) {
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, mipFilter);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    const float a = -0.5f, b = side - 0.5f;
    TexturedVertex quad[4] = {{a, a, 0.5f, 1, 0, 0}, {b, a, 0.5f, 1, uEnd, 0}, {a, b, 0.5f, 1, 0, 1},
                              {b, b, 0.5f, 1, uEnd, 1}};
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex)), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    return ReadBackBuffer();
  }

  std::vector<D3DCOLOR> ReadBackBuffer() {
    std::string error;
    std::vector<D3DCOLOR> picture = gl_test::ReadBackBuffer(device_, kSize, kSize, &error);
    EXPECT_EQ(error, "");
    picture.resize(static_cast<size_t>(kSize) * kSize);
    return picture;
  }

  // Counts the pixels of the top-left `side` square that are pure black or white, and those
  // that are a grey between 0x60 and 0xA0.
  static void Classify(const std::vector<D3DCOLOR>& picture, int side, int* blackOrWhite, int* grey) {
    *blackOrWhite = *grey = 0;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        D3DCOLOR pixel = picture[static_cast<size_t>(y) * kSize + x] | 0xFF000000;
        BYTE red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        if (pixel == kBlack || pixel == kWhite) ++*blackOrWhite;
        if (red == green && green == blue && red >= 0x60 && red <= 0xA0) ++*grey;
      }
    }
  }

  gl_test::Device made_;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DTexture9* texture_ = nullptr;
};

TEST_F(GlTextureTest, MinifiedTextureReadsItsReducedLevelsOnlyWhenTheSamplerAsks) {
  constexpr int kSide = 16;  // a quarter of the texture's size: level 2
  MakeTexture(3);
  int blackOrWhite = 0, grey = 0;
  Classify(Draw(kSide, D3DTEXF_NONE), kSide, &blackOrWhite, &grey);
  EXPECT_EQ(blackOrWhite, kSide * kSide) << "without a mip filter only level 0 is sampled";
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    Classify(Draw(kSide, filter), kSide, &blackOrWhite, &grey);
    EXPECT_EQ(grey, kSide * kSide) << "mip filter " << filter << " reads level 2";
  }
  Classify(Draw(kSide, D3DTEXF_NONE), kSide, &blackOrWhite, &grey);
  EXPECT_EQ(blackOrWhite, kSide * kSide) << "turning the mip filter off goes back to level 0";
}

TEST_F(GlTextureTest, SingleLevelTextureReadsLevelZeroWhateverTheMipFilter) {
  constexpr int kSide = 16;
  for (DWORD filter : {D3DTEXF_NONE, D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    int blackOrWhite = 0, grey = 0;
    Classify(Draw(kSide, filter), kSide, &blackOrWhite, &grey);
    EXPECT_EQ(blackOrWhite, kSide * kSide) << "mip filter " << filter;
  }
}

// At the texture's own size level 0 would be read; the largest level allowed wins instead,
// also when it is the last one and no choice between levels is left.
TEST_F(GlTextureTest, LargestLevelAllowedIsReadEvenWhenItIsTheLastOne) {
  MakeTexture(3);
  for (DWORD largest : {DWORD{1}, DWORD{2}, DWORD{5}}) {
    device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, largest);
    D3DCOLOR wanted = Reduced(static_cast<UINT>(std::min<DWORD>(largest, 2)));
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
      std::vector<D3DCOLOR> picture = Draw(static_cast<float>(kSize), filter);
      int wrong = 0;
      for (D3DCOLOR pixel : picture) wrong += (pixel | 0xFF000000) != wanted;
      EXPECT_EQ(wrong, 0) << "largest level " << largest << ", mip filter " << filter;
    }
  }
}

TEST_F(GlTextureTest, TextureAtItsOwnSizeKeepsItsTexelsWithAnyMipFilter) {
  for (DWORD filter : {D3DTEXF_NONE, D3DTEXF_POINT}) {
    std::vector<D3DCOLOR> picture = Draw(static_cast<float>(kSize), filter);
    int wrong = 0;
    for (UINT y = 0; y < kSize; ++y) {
      for (UINT x = 0; x < kSize; ++x) wrong += (picture[y * kSize + x] | 0xFF000000) != Checker(x, y);
    }
    EXPECT_EQ(wrong, 0) << "mip filter " << filter;
  }
}

// Columns of the top row: u runs to 2 across the back buffer, so the last quarter reads the
// mirrored left half when mirroring and the right edge when clamping.
TEST_F(GlTextureTest, MirrorAddressingMirrorsCoordinatesBeyondTheTexture) {
  Fill(LeftBlack);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  std::vector<D3DCOLOR> mirrored = Draw(static_cast<float>(kSize), D3DTEXF_NONE, 2.0f);
  EXPECT_EQ(mirrored[8] | 0xFF000000, kBlack);
  EXPECT_EQ(mirrored[24] | 0xFF000000, kWhite);
  EXPECT_EQ(mirrored[40] | 0xFF000000, kWhite);
  EXPECT_EQ(mirrored[56] | 0xFF000000, kBlack) << "u beyond 1 must be mirrored";

  // The same coordinates reached through a texture transform from coordinates inside [0, 1].
  D3DMATRIX stretch{};
  stretch._11 = 2.0f;
  stretch._22 = stretch._33 = stretch._44 = 1.0f;
  device_->SetTransform(D3DTS_TEXTURE0, &stretch);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  std::vector<D3DCOLOR> transformed = Draw(static_cast<float>(kSize), D3DTEXF_NONE, 1.0f);
  EXPECT_EQ(transformed[24] | 0xFF000000, kWhite);
  EXPECT_EQ(transformed[56] | 0xFF000000, kBlack) << "transformed u beyond 1 must be mirrored";

  // Inside [0, 1] the picture is the texture itself; then clamping reaches the right edge.
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  std::vector<D3DCOLOR> inside = Draw(static_cast<float>(kSize), D3DTEXF_NONE, 1.0f);
  int wrong = 0;
  for (UINT x = 0; x < kSize; ++x) wrong += (inside[x] | 0xFF000000) != LeftBlack(x, 0);
  EXPECT_EQ(wrong, 0);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  std::vector<D3DCOLOR> clamped = Draw(static_cast<float>(kSize), D3DTEXF_NONE, 2.0f);
  EXPECT_EQ(clamped[56] | 0xFF000000, kWhite);
}

}  // namespace
