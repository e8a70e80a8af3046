// Matrix and vector helpers against hand-computed values in Direct3D's conventions: row vectors
// (p * M), left-handed view space, depth 0..1.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx9.h"

namespace {

constexpr float kHalfPi = D3DX_PI / 2;

D3DXVECTOR3 Apply(const D3DXMATRIX& m, float x, float y, float z) {
  D3DXVECTOR3 in(x, y, z), out;
  D3DXVec3TransformCoord(&out, &in, &m);
  return out;
}

void ExpectNear(const D3DXVECTOR3& actual, float x, float y, float z) {
  EXPECT_NEAR(actual.x, x, 1e-5f);
  EXPECT_NEAR(actual.y, y, 1e-5f);
  EXPECT_NEAR(actual.z, z, 1e-5f);
}

void ExpectIdentity(const D3DXMATRIX& m) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f) << i << "," << j;
}

TEST(D3DXMatrix, LookAtAlongZMovesTheEyeToTheOrigin) {
  D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view;
  EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
  ExpectNear(Apply(view, 0, 0, 0), 0, 0, 10);
  ExpectNear(Apply(view, 1, 2, 0), 1, 2, 10);
  EXPECT_FLOAT_EQ(view._43, 10.0f);
  EXPECT_FLOAT_EQ(view._44, 1.0f);
}

TEST(D3DXMatrix, LookAtFromTheSideIsLeftHanded) {
  D3DXVECTOR3 eye(5, 0, 0), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  // Looking down -x with y up, world +z is on the right.
  ExpectNear(Apply(view, 0, 0, 1), 1, 0, 5);
  ExpectNear(Apply(view, 0, 3, 0), 0, 3, 5);
}

TEST(D3DXMatrix, PerspectiveMapsNearAndFarToZeroAndOne) {
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kHalfPi, 2.0f, 1.0f, 101.0f);
  EXPECT_NEAR(projection._11, 0.5f, 1e-6f);
  EXPECT_NEAR(projection._22, 1.0f, 1e-6f);
  EXPECT_NEAR(projection._33, 1.01f, 1e-6f);
  EXPECT_FLOAT_EQ(projection._34, 1.0f);
  EXPECT_NEAR(projection._43, -1.01f, 1e-6f);
  EXPECT_FLOAT_EQ(projection._44, 0.0f);
  ExpectNear(Apply(projection, 0, 0, 1), 0, 0, 0);
  ExpectNear(Apply(projection, 0, 0, 101), 0, 0, 1);
  ExpectNear(Apply(projection, 2, 1, 1), 1, 1, 0);  // the frustum's corner at the near plane
}

TEST(D3DXMatrix, OrthoOffCenterMapsPixelsToClipSpace) {
  D3DXMATRIX projection;
  D3DXMatrixOrthoOffCenterLH(&projection, 0, 640, 0, 480, 0, 1);
  ExpectNear(Apply(projection, 0, 0, 0), -1, -1, 0);
  ExpectNear(Apply(projection, 640, 480, 1), 1, 1, 1);
  ExpectNear(Apply(projection, 320, 240, 0.5f), 0, 0, 0.5f);
  D3DXMATRIX centred;
  D3DXMatrixOrthoLH(&centred, 640, 480, 0, 1);
  ExpectNear(Apply(centred, 320, -240, 0), 1, -1, 0);
}

TEST(D3DXMatrix, RotationsTurnAxesTheLeftHandedWay) {
  D3DXMATRIX m;
  D3DXMatrixRotationX(&m, kHalfPi);
  ExpectNear(Apply(m, 0, 1, 0), 0, 0, 1);
  D3DXMatrixRotationY(&m, kHalfPi);
  ExpectNear(Apply(m, 1, 0, 0), 0, 0, -1);
  D3DXMatrixRotationZ(&m, kHalfPi);
  ExpectNear(Apply(m, 1, 0, 0), 0, 1, 0);
  D3DXVECTOR3 axis(2, 0, 0);
  D3DXMATRIX aroundAxis, aroundX;
  D3DXMatrixRotationAxis(&aroundAxis, &axis, 0.7f);
  D3DXMatrixRotationX(&aroundX, 0.7f);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(aroundAxis.m[i / 4][i % 4], aroundX.m[i / 4][i % 4], 1e-6f);
}

TEST(D3DXMatrix, YawPitchRollAppliesRollThenPitchThenYaw) {
  D3DXMATRIX m;
  D3DXMatrixRotationYawPitchRoll(&m, kHalfPi, 0, kHalfPi);
  ExpectNear(Apply(m, 1, 0, 0), 0, 1, 0);
  ExpectNear(Apply(m, 0, 0, 1), 1, 0, 0);
  D3DXMatrixRotationYawPitchRoll(&m, 0, kHalfPi, 0);
  ExpectNear(Apply(m, 0, 1, 0), 0, 0, 1);
}

TEST(D3DXMatrix, MultiplyAppliesTheLeftMatrixFirst) {
  D3DXMATRIX translate, scale;
  D3DXMatrixTranslation(&translate, 1, 2, 3);
  D3DXMatrixScaling(&scale, 2, 2, 2);
  ExpectNear(Apply(translate * scale, 0, 0, 0), 2, 4, 6);
  ExpectNear(Apply(scale * translate, 0, 0, 0), 1, 2, 3);
  D3DXMATRIX product;
  EXPECT_EQ(D3DXMatrixMultiply(&product, &translate, &scale), &product);
  EXPECT_EQ(product, translate * scale);
  D3DXMATRIX inPlace = translate;
  inPlace *= scale;  // out aliases an input
  EXPECT_EQ(inPlace, product);
}

TEST(D3DXMatrix, InverseUndoesAndSingularIsRefused) {
  D3DXMATRIX rotate, translate, m, inverse;
  D3DXMatrixRotationYawPitchRoll(&rotate, 0.3f, -0.2f, 1.1f);
  D3DXMatrixTranslation(&translate, 4, -5, 6);
  m = rotate * translate;
  float determinant = 0;
  ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &m), &inverse);
  EXPECT_NEAR(determinant, 1.0f, 1e-5f);
  ExpectIdentity(m * inverse);
  D3DXMATRIX flat;
  D3DXMatrixScaling(&flat, 1, 0, 1);
  EXPECT_EQ(D3DXMatrixInverse(&inverse, &determinant, &flat), nullptr);
  EXPECT_EQ(determinant, 0.0f);
}

TEST(D3DXMatrix, TransposeAndIdentity) {
  D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), t;
  D3DXMatrixTranspose(&t, &m);
  EXPECT_EQ(t._12, 5.0f);
  EXPECT_EQ(t._41, 4.0f);
  EXPECT_FALSE(D3DXMatrixIsIdentity(&m));
  D3DXMatrixIdentity(&m);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
}

TEST(D3DXVector, CrossDotLengthAndNormalize) {
  D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z;
  D3DXVec3Cross(&z, &x, &y);
  ExpectNear(z, 0, 0, 1);
  EXPECT_FLOAT_EQ(D3DXVec3Dot(&x, &y), 0.0f);
  D3DXVECTOR3 v(3, 4, 0);
  EXPECT_FLOAT_EQ(D3DXVec3Length(&v), 5.0f);
  D3DXVec3Normalize(&v, &v);
  ExpectNear(v, 0.6f, 0.8f, 0);
  D3DXVECTOR3 zero(0, 0, 0);
  D3DXVec3Normalize(&zero, &zero);
  ExpectNear(zero, 0, 0, 0);
}

TEST(D3DXVector, TransformNormalIgnoresTranslation) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, 10, 10, 10);
  D3DXVECTOR3 n(0, 1, 0), out;
  D3DXVec3TransformNormal(&out, &n, &m);
  ExpectNear(out, 0, 1, 0);
}

TEST(D3DXColor, ConvertsToAndFromPackedColours) {
  D3DXCOLOR c(0xFF804020);
  EXPECT_NEAR(c.r, 128 / 255.0f, 1e-6f);
  EXPECT_NEAR(c.b, 32 / 255.0f, 1e-6f);
  EXPECT_EQ(DWORD(c), 0xFF804020u);
  EXPECT_EQ(DWORD(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);
}

}  // namespace
