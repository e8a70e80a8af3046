// Which pixels the OpenGL device covers: quads whose edges fall exactly on pixel centres or
// between them, pre-transformed and through the projection, with and without a viewport offset,
// at back-buffer sizes even and odd. Direct3D puts pixel centres on integer coordinates and
// keeps a pixel whose centre lies on an edge only when that edge is a top or a left one.
// Runs on SDL's offscreen driver; skipped where no OpenGL device can be created.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl_test_device.h"

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
  float x, y, z, rhw;
  D3DCOLOR colour;
};

struct ColourVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR colour;
};

// Columns left..right and rows top..bottom, inclusive, measured from the top-left corner.
struct Cover {
  int left, top, right, bottom;
};

std::string Describe(const Cover& c) {
  return "columns " + std::to_string(c.left) + ".." + std::to_string(c.right) + ", rows " + std::to_string(c.top) +
         ".." + std::to_string(c.bottom);
}

struct BackBufferSize {
  UINT width, height;
};

class GlRasterTest : public ::testing::TestWithParam<BackBufferSize> {
 protected:
  void SetUp() override {
    std::string problem = gl_test::Create("GlRasterTest", GetParam().width, GetParam().height, &made_);
    if (problem.rfind("skip: ", 0) == 0) GTEST_SKIP() << problem.substr(6);
    ASSERT_EQ(problem, "");
    device_ = made_.device;
    params_.BackBufferWidth = GetParam().width;
    params_.BackBufferHeight = GetParam().height;
  }

  void TearDown() override { EXPECT_EQ(gl_test::Destroy(made_), 0u); }

  int width() const { return static_cast<int>(params_.BackBufferWidth); }
  int height() const { return static_cast<int>(params_.BackBufferHeight); }

  void SetViewport(DWORD x, DWORD y, DWORD w, DWORD h) {
    D3DVIEWPORT9 viewport{x, y, w, h, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  }

  // A white quad with corners (x0, y0) and (x1, y1) in back-buffer pixels, drawn as a strip
  // in either winding.
  void DrawScreenQuad(float x0, float y0, float x1, float y1, bool clockwise) {
    ScreenVertex quad[4] = {{x0, y0, 0.5f, 1, kWhite}, {x1, y0, 0.5f, 1, kWhite}, {x0, y1, 0.5f, 1, kWhite},
                            {x1, y1, 0.5f, 1, kWhite}};
    if (!clockwise) std::swap(quad[1], quad[2]);
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
  }

  // A white quad through an orthographic projection that maps (0, 0)..(w, h) onto the viewport,
  // y upwards as the engine's 2-D space has it.
  void DrawProjectedQuad(float w, float h, float x0, float y0, float x1, float y1) {
    D3DMATRIX identity{}, ortho{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    ortho = identity;
    ortho._11 = 2.0f / w;
    ortho._22 = 2.0f / h;
    ortho._41 = -1.0f;
    ortho._42 = -1.0f;
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetTransform(D3DTS_VIEW, &identity);
    device_->SetTransform(D3DTS_PROJECTION, &ortho);
    ColourVertex quad[4] = {{x0, y0, 0, kWhite}, {x0, y1, 0, kWhite}, {x1, y0, 0, kWhite}, {x1, y1, 0, kWhite}};
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex)), D3D_OK);
  }

  void Begin() {
    D3DVIEWPORT9 whole{0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
    D3DVIEWPORT9 current{};
    device_->GetViewport(&current);
    device_->SetViewport(&whole);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), D3D_OK);
    device_->SetViewport(&current);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
  }

  // Ends the scene, reads the back buffer and checks that the white pixels are exactly `wanted`.
  void ExpectCover(const Cover& wanted, const std::string& what) {
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    std::vector<D3DCOLOR> picture = ReadBackBuffer();
    ASSERT_EQ(picture.size(), static_cast<size_t>(width()) * height());
    Cover got{width(), height(), -1, -1};
    int wrong = 0;
    for (int y = 0; y < height(); ++y) {
      for (int x = 0; x < width(); ++x) {
        D3DCOLOR pixel = picture[static_cast<size_t>(y) * width() + x] | 0xFF000000;
        ASSERT_TRUE(pixel == kWhite || pixel == kBlack) << "pixel (" << x << ", " << y << ") is " << std::hex << pixel;
        bool covered = pixel == kWhite;
        if (covered) got = {std::min(got.left, x), std::min(got.top, y), std::max(got.right, x), std::max(got.bottom, y)};
        bool inside = x >= wanted.left && x <= wanted.right && y >= wanted.top && y <= wanted.bottom;
        if (covered != inside) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << what << " at " << width() << "x" << height() << ": wanted " << Describe(wanted)
                        << ", covered " << Describe(got);
  }

  std::vector<D3DCOLOR> ReadBackBuffer() {
    std::string error;
    std::vector<D3DCOLOR> picture = gl_test::ReadBackBuffer(device_, params_.BackBufferWidth, params_.BackBufferHeight,
                                                            &error);
    EXPECT_EQ(error, "");
    return picture;
  }

  gl_test::Device made_;
  IDirect3DDevice9* device_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};  // the back buffer's size
};

TEST_P(GlRasterTest, ScreenQuadEdgesOnPixelCentresKeepTopAndLeft) {
  for (bool clockwise : {true, false}) {
    Begin();
    DrawScreenQuad(10, 10, 20, 20, clockwise);
    ExpectCover({10, 10, 19, 19}, clockwise ? "clockwise strip" : "counter-clockwise strip");
  }
}

TEST_P(GlRasterTest, ScreenQuadEdgesBetweenPixelCentresCoverTheCentresInside) {
  for (bool clockwise : {true, false}) {
    Begin();
    DrawScreenQuad(10.5f, 10.5f, 20.5f, 20.5f, clockwise);
    ExpectCover({11, 11, 20, 20}, clockwise ? "clockwise strip" : "counter-clockwise strip");
  }
}

TEST_P(GlRasterTest, ScreenQuadAtTheFarCornerEndsAtTheLastPixel) {
  float w = static_cast<float>(width()), h = static_cast<float>(height());
  Begin();
  DrawScreenQuad(w - 7, h - 5, w, h, true);
  ExpectCover({width() - 7, height() - 5, width() - 1, height() - 1}, "quad ending at the far corner");
}

TEST_P(GlRasterTest, ScreenQuadKeepsBackBufferCoordinatesUnderAViewportOffset) {
  SetViewport(7, 5, 101, 77);
  Begin();
  DrawScreenQuad(10, 10, 20, 20, true);
  ExpectCover({10, 10, 19, 19}, "quad on pixel centres in an offset viewport");
  Begin();
  DrawScreenQuad(10.5f, 10.5f, 20.5f, 20.5f, false);
  ExpectCover({11, 11, 20, 20}, "quad between pixel centres in an offset viewport");
  // Edges 0.3 pixel past a centre: half a pixel of the whole back buffer, applied in a viewport
  // a fraction of its size, would leave them before the GL sample point.
  Begin();
  DrawScreenQuad(10.3f, 10.3f, 20.3f, 20.3f, true);
  ExpectCover({11, 11, 20, 20}, "quad with edges 0.3 past the centres in an offset viewport");
}

TEST_P(GlRasterTest, ProjectedQuadLandsOnPixelCentresOfAnOffsetViewport) {
  // The viewport maps x in 0..101 onto columns 7..108 and y in 0..77 onto rows 82..5 (upwards).
  SetViewport(7, 5, 101, 77);
  Begin();
  DrawProjectedQuad(101, 77, 3, 4, 13, 24);
  ExpectCover({7 + 3, 5 + 77 - 24, 7 + 12, 5 + 77 - 4 - 1}, "projected quad in an offset viewport");
  SetViewport(0, 0, params_.BackBufferWidth, params_.BackBufferHeight);
  Begin();
  DrawProjectedQuad(static_cast<float>(width()), static_cast<float>(height()), 0, 0, 16, 8);
  ExpectCover({0, height() - 8, 15, height() - 1}, "projected quad in the lower-left corner");
}

INSTANTIATE_TEST_SUITE_P(BackBufferSizes, GlRasterTest,
                         ::testing::Values(BackBufferSize{640, 480}, BackBufferSize{1277, 731}),
                         [](const ::testing::TestParamInfo<BackBufferSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
