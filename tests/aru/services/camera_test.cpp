// The engine matrix and the camera's 3-D and 2-D modes on the null device.
#include <gtest/gtest.h>

#include <cmath>

#include "service_engine.h"

using testing_support::ServiceEngine;

namespace {

struct Point {
  float x, y, z, w;
};

// Row vector times matrix, as Direct3D transforms points.
Point Apply(const float* m, Point p) {
  return {p.x * m[0] + p.y * m[4] + p.z * m[8] + p.w * m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + p.w * m[13],
          p.x * m[2] + p.y * m[6] + p.z * m[10] + p.w * m[14], p.x * m[3] + p.y * m[7] + p.z * m[11] + p.w * m[15]};
}

const float* Elements(const D3DMATRIX& matrix) { return &matrix._11; }

TEST(EngineMatrix, TranslateThenScaleAppliesTheTranslationFirst) {
  aruMatrix matrix;
  matrix.Identity();
  matrix.Translate(1, 2, 3);
  matrix.Scale(2, 2, 2);
  const Point moved = Apply(matrix.m, {1, 1, 1, 1});
  EXPECT_FLOAT_EQ(moved.x, 4);
  EXPECT_FLOAT_EQ(moved.y, 6);
  EXPECT_FLOAT_EQ(moved.z, 8);
  EXPECT_FLOAT_EQ(matrix.m[12], 2);
  EXPECT_FLOAT_EQ(matrix.m[14], 6);
}

TEST(EngineMatrix, MultiplyIsThisTimesTheOther) {
  aruMatrix matrix;
  matrix.Identity();
  matrix.Scale(3, 1, 1);
  const float swapXY[16] = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  matrix.Multiply(swapXY);
  const Point result = Apply(matrix.m, {1, 0, 0, 1});
  EXPECT_FLOAT_EQ(result.x, 0);
  EXPECT_FLOAT_EQ(result.y, 3);
}

class Camera : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(engine.GetDevice(), nullptr); }
  ServiceEngine engine{800, 600};
};

TEST_F(Camera, Begin2DMapsTheBackBufferOntoTheWholeClipSpaceWithYUp) {
  ASSERT_EQ(engine.Begin2D(), D3D_OK);
  const D3DMATRIX projection = engine.Transform(D3DTS_PROJECTION);
  const Point origin = Apply(Elements(projection), {0, 0, 0, 1});
  EXPECT_NEAR(origin.x, -1, 1e-6);
  EXPECT_NEAR(origin.y, -1, 1e-6);
  const Point corner = Apply(Elements(projection), {800, 600, 0, 1});
  EXPECT_NEAR(corner.x, 1, 1e-6);
  EXPECT_NEAR(corner.y, 1, 1e-6);
  EXPECT_NEAR(corner.w, 1, 1e-6);
  const Point centre = Apply(Elements(projection), {400, 300, 0.5f, 1});
  EXPECT_NEAR(centre.x, 0, 1e-6);
  EXPECT_NEAR(centre.z, 0.5, 1e-6);
  EXPECT_EQ(engine.RenderState(D3DRS_ZENABLE), DWORD(FALSE));
  EXPECT_EQ(engine.RenderState(D3DRS_LIGHTING), DWORD(FALSE));
  const D3DMATRIX view = engine.Transform(D3DTS_VIEW);
  const D3DMATRIX world = engine.Transform(D3DTS_WORLD);
  for (int i = 0; i < 16; ++i) {
    const float expected = i % 5 == 0 ? 1.0f : 0.0f;
    EXPECT_EQ(Elements(view)[i], expected) << i;
    EXPECT_EQ(Elements(world)[i], expected) << i;
  }
}

TEST_F(Camera, SetViewLooksFromTheEyeAtTheTarget) {
  ASSERT_EQ(engine.SetView(0, 0, -10, 0, 0, 0, 0, 1, 0, 1, 100, 0.785398f, 1.25f), D3D_OK);
  const D3DMATRIX view = engine.Transform(D3DTS_VIEW);
  // The target lies straight ahead at the eye's distance; a point above it stays above.
  const Point target = Apply(Elements(view), {0, 0, 0, 1});
  EXPECT_NEAR(target.x, 0, 1e-5);
  EXPECT_NEAR(target.z, 10, 1e-5);
  EXPECT_GT(Apply(Elements(view), {0, 1, 0, 1}).y, 0);
  const D3DMATRIX projection = engine.Transform(D3DTS_PROJECTION);
  const Point nearPoint = Apply(Elements(projection), {0, 0, 1, 1});
  const Point farPoint = Apply(Elements(projection), {0, 0, 100, 1});
  EXPECT_NEAR(nearPoint.z / nearPoint.w, 0, 1e-5);
  EXPECT_NEAR(farPoint.z / farPoint.w, 1, 1e-5);
  // Vertical field of view: a point at 22.5 degrees above the axis lands on the top edge.
  const float height = std::tan(0.785398f / 2) * 10;
  const Point top = Apply(Elements(projection), {0, height, 10, 1});
  EXPECT_NEAR(top.y / top.w, 1, 1e-4);
}

TEST_F(Camera, ApplyRestoresThe3DStateAfterBegin2D) {
  engine.SetView(0, 5, -10, 0, 0, 0, 0, 1, 0, 1, 1000, 0.785398f, 1.25f);
  const D3DMATRIX view = engine.Transform(D3DTS_VIEW);
  const D3DMATRIX projection = engine.Transform(D3DTS_PROJECTION);
  engine.Begin2D();
  ASSERT_EQ(engine.Apply(), D3D_OK);
  EXPECT_EQ(engine.RenderState(D3DRS_ZENABLE), DWORD(TRUE));
  EXPECT_EQ(engine.RenderState(D3DRS_LIGHTING), DWORD(TRUE));
  const D3DMATRIX viewAgain = engine.Transform(D3DTS_VIEW);
  const D3DMATRIX projectionAgain = engine.Transform(D3DTS_PROJECTION);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Elements(viewAgain)[i], Elements(view)[i]) << i;
    EXPECT_EQ(Elements(projectionAgain)[i], Elements(projection)[i]) << i;
  }
}

TEST_F(Camera, SetEyeAndTargetTakeEffectAtTheNextApply) {
  engine.SetView(0, 0, -10, 0, 0, 0, 0, 1, 0, 1, 1000, 0.785398f, 1.25f);
  engine.SetEye(10, 0, 0);
  engine.SetTarget(0, 0, 0);
  ASSERT_EQ(engine.Apply(), D3D_OK);
  const Point origin = Apply(Elements(engine.Transform(D3DTS_VIEW)), {0, 0, 0, 1});
  EXPECT_NEAR(origin.z, 10, 1e-5);
  EXPECT_NEAR(Apply(Elements(engine.Transform(D3DTS_VIEW)), {10, 0, 0, 1}).z, 0, 1e-5);
}

}  // namespace
