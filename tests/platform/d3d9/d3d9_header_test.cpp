// Checks that the Direct3D 9 declarations carry Direct3D's numbers and structure layouts:
// engine code and data (materials read from model files, logged result codes) depend on them.
#include <gtest/gtest.h>

#include <cstddef>

#include "d3d9.h"

static_assert(sizeof(D3DMATRIX) == 64);
static_assert(sizeof(D3DMATERIAL9) == 68);
static_assert(sizeof(D3DLIGHT9) == 104);
static_assert(sizeof(D3DCAPS9) == 304);
static_assert(offsetof(D3DCAPS9, MaxTextureWidth) == 88);
static_assert(offsetof(D3DCAPS9, VertexProcessingCaps) == 156);
static_assert(offsetof(D3DCAPS9, MaxActiveLights) == 160);
static_assert(sizeof(D3DVIEWPORT9) == 24);
static_assert(sizeof(D3DDISPLAYMODE) == 16);
static_assert(sizeof(D3DSURFACE_DESC) == 32);
static_assert(sizeof(D3DFORMAT) == 4 && sizeof(D3DRENDERSTATETYPE) == 4);

TEST(D3D9Header, ResultCodesHaveDirect3DValues) {
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_WRONGTEXTUREFORMAT), 0x88760818u);
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_DEVICELOST), 0x88760868u);
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_DEVICENOTRESET), 0x88760869u);
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_INVALIDCALL), 0x8876086Cu);
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_OUTOFVIDEOMEMORY), 0x8876017Cu);
  EXPECT_EQ(static_cast<uint32_t>(D3DERR_WASSTILLDRAWING), 0x8876021Cu);
  EXPECT_EQ(static_cast<uint32_t>(D3DOK_NOAUTOGEN), 0x0876086Fu);
  EXPECT_TRUE(FAILED(D3DERR_NOTAVAILABLE));
  EXPECT_TRUE(SUCCEEDED(D3DOK_NOAUTOGEN));
}

TEST(D3D9Header, ColourMacrosPackArgb) {
  EXPECT_EQ(D3DCOLOR_ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
  EXPECT_EQ(D3DCOLOR_XRGB(1, 2, 3), 0xFF010203u);
  EXPECT_EQ(D3DCOLOR_RGBA(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(D3DCOLOR_ARGB(0x1FF, 0, 0, 0), 0xFF000000u);
}

TEST(D3D9Header, EngineVertexFormatsAreTheKnownCodes) {
  EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, 0x152);
  EXPECT_EQ(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 0x142);
  EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 0x112);
  EXPECT_EQ(D3DFVF_XYZRHW | D3DFVF_TEX1, 0x104);
  EXPECT_EQ(D3DTS_WORLD, 256);
  EXPECT_EQ(D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK, 0x810);
  EXPECT_EQ(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x208);
}
