// A managed 32-bit texture gives up its memory copy once GL holds it: the process shrinks by the
// texture's size after the first draw, and locking, eviction and rewriting still see and show the
// texels. Runs on SDL's offscreen driver; skipped where no OpenGL device can be created.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "gl_test_device.h"

namespace {

constexpr UINT kBackBuffer = 16;
constexpr UINT kTexture = 2048;  // 16 MB at four bytes a texel: well above the allocator's noise

struct TexturedVertex {  // D3DFVF_XYZRHW | D3DFVF_TEX1
  float x, y, z, rhw, u, v;
};

D3DCOLOR Texel(UINT x, UINT y, D3DCOLOR seed) { return 0xFF000000 | (((x * 7 + y * 13) ^ seed) & 0xFFFFFF); }

long ResidentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class GlTextureMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string problem = gl_test::Create("GlTextureMemoryTest", kBackBuffer, kBackBuffer, &made_);
    if (problem.rfind("skip: ", 0) == 0) GTEST_SKIP() << problem.substr(6);
    ASSERT_EQ(problem, "");
    device_ = made_.device;
    gl_test::ShowTexelsAsTheyAre(device_);
  }

  void TearDown() override {
    if (device_) device_->SetTexture(0, nullptr);
    if (texture_) texture_->Release();
    EXPECT_EQ(gl_test::Destroy(made_), 0u);
  }

  void Fill(D3DCOLOR seed) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < kTexture; ++y) {
      auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < kTexture; ++x) row[x] = Texel(x, y, seed);
    }
    ASSERT_EQ(texture_->UnlockRect(0), D3D_OK);
  }

  // Texels that differ from the pattern of `seed`, read through a read-only lock.
  int WrongTexels(D3DCOLOR seed) {
    D3DLOCKED_RECT locked{};
    if (texture_->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return -1;
    int wrong = 0;
    for (UINT y = 0; y < kTexture; ++y) {
      auto* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < kTexture; ++x) wrong += row[x] != Texel(x, y, seed);
    }
    texture_->UnlockRect(0);
    return wrong;
  }

  // Draws texel (0, 0) .. (kBackBuffer - 1, kBackBuffer - 1) one to one and returns the top-left pixel.
  D3DCOLOR DrawCorner() {
    device_->SetTexture(0, texture_);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    const float a = -0.5f, b = kBackBuffer - 0.5f, t = static_cast<float>(kBackBuffer) / kTexture;
    TexturedVertex quad[4] = {{a, a, 0.5f, 1, 0, 0}, {b, a, 0.5f, 1, t, 0}, {a, b, 0.5f, 1, 0, t}, {b, b, 0.5f, 1, t, t}};
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex)), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    std::string error;
    std::vector<D3DCOLOR> picture = gl_test::ReadBackBuffer(device_, kBackBuffer, kBackBuffer, &error);
    EXPECT_EQ(error, "");
    return picture.empty() ? 0 : picture[0] | 0xFF000000;
  }

  gl_test::Device made_;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DTexture9* texture_ = nullptr;
};

TEST_F(GlTextureMemoryTest, ManagedTextureDropsItsCopyAfterUploadAndReadsBackFromGl) {
  ASSERT_EQ(device_->CreateTexture(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr),
            D3D_OK);
  Fill(0x00A5C3);
  ASSERT_EQ(DrawCorner(), Texel(0, 0, 0x00A5C3));  // uploads: GL's copy now exists too
  long afterFirstDraw = ResidentKilobytes();
  // The first read-only lock brings the 16 MB copy back from GL, and the texels are the same.
  EXPECT_EQ(WrongTexels(0x00A5C3), 0);
  long withCopy = ResidentKilobytes();
  EXPECT_GT(withCopy - afterFirstDraw, 12 * 1024) << "the memory copy was still there after the upload";
}

TEST_F(GlTextureMemoryTest, RewritingAndEvictingAfterTheCopyWentKeepTheTexels) {
  ASSERT_EQ(device_->CreateTexture(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr),
            D3D_OK);
  Fill(0x111111);
  ASSERT_EQ(DrawCorner(), Texel(0, 0, 0x111111));
  Fill(0x222222);  // the lock brings the copy back; the unlock uploads the new texels
  EXPECT_EQ(DrawCorner(), Texel(0, 0, 0x222222));
  EXPECT_EQ(device_->EvictManagedResources(), D3D_OK);
  EXPECT_EQ(DrawCorner(), Texel(0, 0, 0x222222)) << "eviction lost the texels";
  EXPECT_EQ(WrongTexels(0x222222), 0);
  // AddDirtyRect on a level without a memory copy leaves GL's texels as they are.
  EXPECT_EQ(texture_->AddDirtyRect(nullptr), D3D_OK);
  EXPECT_EQ(DrawCorner(), Texel(0, 0, 0x222222));
}

TEST_F(GlTextureMemoryTest, SixteenBitTextureKeepsItsCopy) {
  ASSERT_EQ(device_->CreateTexture(64, 64, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture_, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, 0), D3D_OK);
  static_cast<WORD*>(locked.pBits)[0] = 0x07E0;  // pure green, which a 5-5-5 GL store would not keep
  ASSERT_EQ(texture_->UnlockRect(0), D3D_OK);
  DrawCorner();
  ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<WORD*>(locked.pBits)[0], 0x07E0);
  texture_->UnlockRect(0);
}

}  // namespace
