// The null device mirrors Direct3D state: defaults, round trips and refusals of invalid
// arguments for render, texture-stage and sampler states, transforms, viewport and lights.
#include <gtest/gtest.h>

#include <cstring>

#include "null_device_fixture.h"

namespace {

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  m._41 = x;
  m._42 = y;
  m._43 = z;
  return m;
}

D3DMATRIX Scaling(float s) {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = s;
  m._44 = 1.0f;
  return m;
}

TEST_F(NullDeviceTest, RenderStatesStartAtDirect3DDefaultsAndRoundTrip) {
  DWORD value = 0;
  struct Expected { D3DRENDERSTATETYPE state; DWORD value; };
  for (Expected e : {Expected{D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_LIGHTING, TRUE},
                     {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ZERO},
                     {D3DRS_SHADEMODE, D3DSHADE_GOURAUD}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
                     {D3DRS_MULTISAMPLEANTIALIAS, TRUE}, {D3DRS_COLORWRITEENABLE, 0xF}, {D3DRS_AMBIENT, 0}}) {
    ASSERT_EQ(device->GetRenderState(e.state, &value), D3D_OK);
    EXPECT_EQ(value, e.value) << "state " << e.state;
  }
  EXPECT_EQ(device->SetRenderState(D3DRS_AMBIENT, 0xFF102030), D3D_OK);
  device->GetRenderState(D3DRS_AMBIENT, &value);
  EXPECT_EQ(value, 0xFF102030u);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1), 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(500), 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->GetRenderState(D3DRS_AMBIENT, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, DepthIsOffByDefaultWithoutAnAutomaticDepthBuffer) {
  D3DPRESENT_PARAMETERS p = WindowedParameters(320, 240);
  p.EnableAutoDepthStencil = FALSE;
  IDirect3DDevice9* plain = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &plain),
            D3D_OK);
  DWORD value = 7;
  plain->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DZB_FALSE));
  EXPECT_EQ(plain->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(plain->Release(), 0u);
}

TEST_F(NullDeviceTest, TextureStageAndSamplerDefaultsDifferPerStage) {
  DWORD value = 0;
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_SELECTARG1));
  device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_DISABLE));
  device->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &value);
  EXPECT_EQ(value, 3u);
  device->GetTextureStageState(0, D3DTSS_COLORARG2, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTA_CURRENT));
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
  device->GetSamplerState(5, D3DSAMP_MINFILTER, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));

  EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X), D3D_OK);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE2X));
  float bias = -0.5f;
  DWORD bits;
  std::memcpy(&bits, &bias, 4);
  EXPECT_EQ(device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, bits), D3D_OK);
  device->GetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, &value);
  EXPECT_EQ(value, bits);
  EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(40), 0), D3DERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, TransformsStartAsIdentityAndMultiplyOnTheLeft) {
  D3DMATRIX m{};
  ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &m), D3D_OK);
  EXPECT_EQ(m._11, 1.0f);
  EXPECT_EQ(m._41, 0.0f);
  D3DMATRIX move = Translation(1.0f, 2.0f, 3.0f);
  ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &move), D3D_OK);
  D3DMATRIX scale = Scaling(2.0f);
  // MultiplyTransform gives scale * world: the scale acts first, the translation is unchanged.
  ASSERT_EQ(device->MultiplyTransform(D3DTS_WORLD, &scale), D3D_OK);
  device->GetTransform(D3DTS_WORLD, &m);
  EXPECT_EQ(m._11, 2.0f);
  EXPECT_EQ(m._41, 1.0f);
  EXPECT_EQ(m._43, 3.0f);
  D3DMATRIX view{};
  device->GetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(view._41, 0.0f);
  EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &move), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTransform(D3DTS_PROJECTION, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, ViewportMustLieInsideTheBackBuffer) {
  D3DVIEWPORT9 viewport{};
  ASSERT_EQ(device->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, 640u);
  EXPECT_EQ(viewport.Height, 480u);
  EXPECT_EQ(viewport.MaxZ, 1.0f);
  D3DVIEWPORT9 half{0, 240, 320, 240, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&half), D3D_OK);
  D3DVIEWPORT9 tooWide{100, 0, 600, 480, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&tooWide), D3DERR_INVALIDCALL);
  D3DVIEWPORT9 badDepth{0, 0, 10, 10, 0.8f, 0.2f};
  EXPECT_EQ(device->SetViewport(&badDepth), D3DERR_INVALIDCALL);
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Y, 240u);
}

TEST_F(NullDeviceTest, LightsAndMaterialRoundTrip) {
  D3DLIGHT9 light{};
  EXPECT_EQ(device->GetLight(0, &light), D3DERR_INVALIDCALL);
  light.Type = D3DLIGHT_DIRECTIONAL;
  EXPECT_EQ(device->SetLight(0, &light), D3DERR_INVALIDCALL);  // zero direction
  light.Direction = D3DVECTOR{0.0f, -1.0f, 0.0f};
  light.Diffuse = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
  ASSERT_EQ(device->SetLight(2, &light), D3D_OK);
  D3DLIGHT9 back{};
  ASSERT_EQ(device->GetLight(2, &back), D3D_OK);
  EXPECT_EQ(back.Direction.y, -1.0f);
  BOOL enabled = TRUE;
  ASSERT_EQ(device->GetLightEnable(2, &enabled), D3D_OK);
  EXPECT_FALSE(enabled);
  device->LightEnable(2, TRUE);
  device->GetLightEnable(2, &enabled);
  EXPECT_TRUE(enabled);

  // Enabling a light that was never set installs Direct3D's default white light along +z.
  ASSERT_EQ(device->LightEnable(5, TRUE), D3D_OK);
  ASSERT_EQ(device->GetLight(5, &back), D3D_OK);
  EXPECT_EQ(back.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(back.Direction.z, 1.0f);
  EXPECT_EQ(back.Diffuse.r, 1.0f);

  D3DMATERIAL9 material{};
  material.Diffuse = D3DCOLORVALUE{0.1f, 0.2f, 0.3f, 1.0f};
  material.Power = 12.0f;
  ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
  D3DMATERIAL9 read{};
  device->GetMaterial(&read);
  EXPECT_EQ(read.Power, 12.0f);
  EXPECT_EQ(read.Diffuse.g, 0.2f);
  EXPECT_EQ(device->SetMaterial(nullptr), D3DERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, OnlyTheFixedFunctionPipelineCanBeSelected) {
  EXPECT_EQ(device->SetVertexShader(nullptr), D3D_OK);
  EXPECT_EQ(device->SetPixelShader(nullptr), D3D_OK);
  EXPECT_EQ(device->SetFVF(0x152), D3D_OK);
  DWORD fvf = 0;
  device->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x152u);
  EXPECT_EQ(device->SetFVF(D3DFVF_NORMAL), D3DERR_INVALIDCALL);  // no position
  EXPECT_EQ(device->SetFVF(D3DFVF_XYZB2), D3DERR_INVALIDCALL);   // blend weights are not drawn
  DWORD passes = 0;
  EXPECT_EQ(device->ValidateDevice(&passes), D3D_OK);
  EXPECT_EQ(passes, 1u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, 99);
  EXPECT_EQ(device->ValidateDevice(&passes), D3DERR_UNSUPPORTEDCOLOROPERATION);
}

}  // namespace
