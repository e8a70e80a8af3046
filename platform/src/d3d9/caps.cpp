// Capability values of the fixed-function devices and the standard display-mode list.
#include <algorithm>
#include <tuple>
#include <vector>

#include "d3d9/caps.h"

namespace platform::d3d9 {

D3DCAPS9 FixedFunctionCaps(const RendererLimits& limits) {
  D3DCAPS9 caps{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.Caps2 = D3DCAPS2_CANMANAGERESOURCE | D3DCAPS2_DYNAMICTEXTURES |
               (limits.autoGenerateMipmaps ? D3DCAPS2_CANAUTOGENMIPMAP : 0);
  caps.Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD | D3DCAPS3_COPY_TO_VIDMEM | D3DCAPS3_COPY_TO_SYSTEMMEM;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                 D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                 D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                 D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION |
                 D3DDEVCAPS_PUREDEVICE;
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                           D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
  caps.RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_MIPMAPLODBIAS |
                    D3DPRASTERCAPS_COLORPERSPECTIVE | D3DPRASTERCAPS_MULTISAMPLE_TOGGLE;
  DWORD allCompares = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_LESSEQUAL |
                      D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL | D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_ALWAYS;
  caps.ZCmpCaps = caps.AlphaCmpCaps = allCompares;
  caps.SrcBlendCaps = caps.DestBlendCaps =
      D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR |
      D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA | D3DPBLENDCAPS_INVDESTALPHA |
      D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR | D3DPBLENDCAPS_SRCALPHASAT;
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP |
                     D3DPTEXTURECAPS_PROJECTED;
  caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                           D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                            D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV;
  caps.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP;
  caps.MaxTextureWidth = caps.MaxTextureHeight = limits.maxTextureSize;
  caps.MaxTextureRepeat = 8192;
  caps.MaxTextureAspectRatio = limits.maxTextureSize;
  caps.MaxAnisotropy = limits.maxAnisotropy;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = caps.GuardBandTop = -8192.0f;
  caps.GuardBandRight = caps.GuardBandBottom = 8192.0f;
  caps.FVFCaps = 8;  // texture-coordinate sets per vertex
  caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                       D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD |
                       D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_SUBTRACT;
  caps.MaxTextureBlendStages = std::min<DWORD>(limits.textureUnits, 8);
  caps.MaxSimultaneousTextures = std::min<DWORD>(limits.textureUnits, 8);
  caps.VertexProcessingCaps = D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                              D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  caps.MaxActiveLights = std::min<DWORD>(limits.maxLights, 8);
  caps.MaxUserClipPlanes = 0;
  caps.MaxPointSize = limits.maxPointSize;
  caps.MaxPrimitiveCount = 0xFFFFF;
  caps.MaxVertexIndex = limits.maxElementIndex;
  caps.MaxStreams = 1;
  caps.MaxStreamStride = 255;
  caps.VertexShaderVersion = D3DVS_VERSION(0, 0);
  caps.PixelShaderVersion = D3DPS_VERSION(0, 0);
  caps.NumberOfAdaptersInGroup = 1;
  caps.NumSimultaneousRTs = 1;
  return caps;
}

void AddStandardModes(std::vector<D3DDISPLAYMODE>* modes, UINT refreshRate) {
  static const UINT kSizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
    for (const auto& size : kSizes) modes->push_back(D3DDISPLAYMODE{size[0], size[1], refreshRate, format});
  }
}

void SortModes(std::vector<D3DDISPLAYMODE>* modes) {
  std::sort(modes->begin(), modes->end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    return std::tie(a.Format, a.Width, a.Height, a.RefreshRate) < std::tie(b.Format, b.Width, b.Height, b.RefreshRate);
  });
}

}  // namespace platform::d3d9
