// The small render-state operations the rest of the program uses, and the default states set
// after device creation and after every reset. Operations that make several calls stop at the
// first failure and return E_FAIL.
#include "core/aru.h"

#include <cstring>

#define RETURN_ON_FAILURE(call) \
  do {                          \
    if (FAILED(call)) return E_FAIL; \
  } while (0)

HRESULT ARU::SetAlphaBlend(bool on) {
  if (on) {
    RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
    RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE));
    RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE));
    RETURN_ON_FAILURE(device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA));
    RETURN_ON_FAILURE(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA));
    RETURN_ON_FAILURE(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
  } else {
    RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE));
    RETURN_ON_FAILURE(device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE));
  }
  return 0;
}

HRESULT ARU::SetCullMode(DWORD mode) { return device->SetRenderState(D3DRS_CULLMODE, mode); }

HRESULT ARU::SetVertexShader(IDirect3DVertexShader9* shader) { return device->SetVertexShader(shader); }

HRESULT ARU::SetWorldTransform(const aruMatrix& matrix) {
  D3DMATRIX world;
  static_assert(sizeof world == sizeof matrix.m, "the engine's matrix has D3DMATRIX's layout");
  memcpy(&world, matrix.m, sizeof world);
  return device->SetTransform(D3DTS_WORLD, &world);
}

HRESULT ARU::SetTextureTransformFlags(DWORD flags) {
  return device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
}

HRESULT ARU::SetDither(bool on) { return device->SetRenderState(D3DRS_DITHERENABLE, on ? TRUE : FALSE); }

HRESULT ARU::SetShadeMode(DWORD mode) { return device->SetRenderState(D3DRS_SHADEMODE, mode); }

HRESULT ARU::SetTextureFilter(DWORD filter) {
  RETURN_ON_FAILURE(device->SetSamplerState(0, D3DSAMP_MINFILTER, filter));
  RETURN_ON_FAILURE(device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter));
  return 0;
}

HRESULT ARU::SetColourModulate(int n) {
  DWORD operation = D3DTOP_MODULATE;
  if (n == 2) operation = D3DTOP_MODULATE2X;
  if (n == 3) operation = D3DTOP_MODULATE4X;
  RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_COLOROP, operation));
  RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE));
  RETURN_ON_FAILURE(device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  return 0;
}

HRESULT ARU::SetLighting(bool on, D3DCOLOR ambientColour) {
  lighting = on;
  ambient = ambientColour;
  if (on) RETURN_ON_FAILURE(device->SetRenderState(D3DRS_AMBIENT, ambientColour));
  RETURN_ON_FAILURE(device->SetRenderState(D3DRS_LIGHTING, on ? TRUE : FALSE));
  return 0;
}

HRESULT ARU::SetMipmapping(DWORD stage, float lodBias, DWORD mipFilter, DWORD maxMipLevel) {
  DWORD biasBits;
  memcpy(&biasBits, &lodBias, sizeof biasBits);
  RETURN_ON_FAILURE(device->SetSamplerState(stage, D3DSAMP_MAXMIPLEVEL, maxMipLevel));
  RETURN_ON_FAILURE(device->SetSamplerState(stage, D3DSAMP_MIPFILTER, mipFilter));
  RETURN_ON_FAILURE(device->SetSamplerState(stage, D3DSAMP_MIPMAPLODBIAS, biasBits));
  return 0;
}

HRESULT ARU::SetTextureClamp(bool clamp) {
  const DWORD mode = clamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
  RETURN_ON_FAILURE(device->SetSamplerState(0, D3DSAMP_ADDRESSU, mode));
  RETURN_ON_FAILURE(device->SetSamplerState(0, D3DSAMP_ADDRESSV, mode));
  return 0;
}

HRESULT ARU::SetDefaultRenderStates() {
  RETURN_ON_FAILURE(device->SetRenderState(D3DRS_ZENABLE, TRUE));
  RETURN_ON_FAILURE(device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE));
  RETURN_ON_FAILURE(SetColourModulate(0));
  RETURN_ON_FAILURE(SetAlphaBlend(true));
  RETURN_ON_FAILURE(device->SetRenderState(D3DRS_SPECULARENABLE, TRUE));
  RETURN_ON_FAILURE(SetTextureTransformFlags(D3DTTFF_COUNT2));
  RETURN_ON_FAILURE(SetVertexShader(nullptr));
  RETURN_ON_FAILURE(SetShadeMode(D3DSHADE_GOURAUD));
  RETURN_ON_FAILURE(SetDither(true));
  RETURN_ON_FAILURE(SetMipmapping(0, 0.0f, D3DTEXF_LINEAR, 3));
  RETURN_ON_FAILURE(SetTextureFilter(textureFilter));
  RETURN_ON_FAILURE(SetLighting(lighting, ambient));
  RETURN_ON_FAILURE(device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, useAA ? TRUE : FALSE));
  return 0;
}
