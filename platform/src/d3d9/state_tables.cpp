// The render, texture-stage and sampler state tables with Direct3D's defaults.
#include "d3d9/state_tables.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace platform::d3d9 {

namespace {

constexpr DWORD FloatBits(float value) {
  return __builtin_bit_cast(DWORD, value);
}

constexpr StateInfo kRenderStates[] = {
    {D3DRS_ZENABLE, "ZENABLE", D3DZB_TRUE, Support::Partial},
    {D3DRS_FILLMODE, "FILLMODE", D3DFILL_SOLID, Support::Full},
    {D3DRS_SHADEMODE, "SHADEMODE", D3DSHADE_GOURAUD, Support::Partial},
    {D3DRS_ZWRITEENABLE, "ZWRITEENABLE", TRUE, Support::Full},
    {D3DRS_ALPHATESTENABLE, "ALPHATESTENABLE", FALSE, Support::Full},
    {D3DRS_LASTPIXEL, "LASTPIXEL", TRUE, Support::Unsupported},
    {D3DRS_SRCBLEND, "SRCBLEND", D3DBLEND_ONE, Support::Partial},
    {D3DRS_DESTBLEND, "DESTBLEND", D3DBLEND_ZERO, Support::Partial},
    {D3DRS_CULLMODE, "CULLMODE", D3DCULL_CCW, Support::Full},
    {D3DRS_ZFUNC, "ZFUNC", D3DCMP_LESSEQUAL, Support::Full},
    {D3DRS_ALPHAREF, "ALPHAREF", 0, Support::Full},
    {D3DRS_ALPHAFUNC, "ALPHAFUNC", D3DCMP_ALWAYS, Support::Full},
    {D3DRS_DITHERENABLE, "DITHERENABLE", FALSE, Support::Full},
    {D3DRS_ALPHABLENDENABLE, "ALPHABLENDENABLE", FALSE, Support::Full},
    {D3DRS_FOGENABLE, "FOGENABLE", FALSE, Support::Unsupported},
    {D3DRS_SPECULARENABLE, "SPECULARENABLE", FALSE, Support::Full},
    {D3DRS_FOGCOLOR, "FOGCOLOR", 0, Support::Unsupported},
    {D3DRS_FOGTABLEMODE, "FOGTABLEMODE", D3DFOG_NONE, Support::Unsupported},
    {D3DRS_FOGSTART, "FOGSTART", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_FOGEND, "FOGEND", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_FOGDENSITY, "FOGDENSITY", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_RANGEFOGENABLE, "RANGEFOGENABLE", FALSE, Support::Unsupported},
    {D3DRS_STENCILENABLE, "STENCILENABLE", FALSE, Support::Unsupported},
    {D3DRS_STENCILFAIL, "STENCILFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILZFAIL, "STENCILZFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILPASS, "STENCILPASS", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILFUNC, "STENCILFUNC", D3DCMP_ALWAYS, Support::Unsupported},
    {D3DRS_STENCILREF, "STENCILREF", 0, Support::Unsupported},
    {D3DRS_STENCILMASK, "STENCILMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_STENCILWRITEMASK, "STENCILWRITEMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_TEXTUREFACTOR, "TEXTUREFACTOR", 0xFFFFFFFF, Support::Full},
    {D3DRS_WRAP0, "WRAP0", 0, Support::Unsupported},
    {D3DRS_WRAP1, "WRAP1", 0, Support::Unsupported},
    {D3DRS_WRAP2, "WRAP2", 0, Support::Unsupported},
    {D3DRS_WRAP3, "WRAP3", 0, Support::Unsupported},
    {D3DRS_WRAP4, "WRAP4", 0, Support::Unsupported},
    {D3DRS_WRAP5, "WRAP5", 0, Support::Unsupported},
    {D3DRS_WRAP6, "WRAP6", 0, Support::Unsupported},
    {D3DRS_WRAP7, "WRAP7", 0, Support::Unsupported},
    {D3DRS_CLIPPING, "CLIPPING", TRUE, Support::Partial},
    {D3DRS_LIGHTING, "LIGHTING", TRUE, Support::Full},
    {D3DRS_AMBIENT, "AMBIENT", 0, Support::Full},
    {D3DRS_FOGVERTEXMODE, "FOGVERTEXMODE", D3DFOG_NONE, Support::Unsupported},
    {D3DRS_COLORVERTEX, "COLORVERTEX", TRUE, Support::Full},
    {D3DRS_LOCALVIEWER, "LOCALVIEWER", TRUE, Support::Full},
    {D3DRS_NORMALIZENORMALS, "NORMALIZENORMALS", FALSE, Support::Full},
    {D3DRS_DIFFUSEMATERIALSOURCE, "DIFFUSEMATERIALSOURCE", D3DMCS_COLOR1, Support::Partial},
    {D3DRS_SPECULARMATERIALSOURCE, "SPECULARMATERIALSOURCE", D3DMCS_COLOR2, Support::Partial},
    {D3DRS_AMBIENTMATERIALSOURCE, "AMBIENTMATERIALSOURCE", D3DMCS_MATERIAL, Support::Partial},
    {D3DRS_EMISSIVEMATERIALSOURCE, "EMISSIVEMATERIALSOURCE", D3DMCS_MATERIAL, Support::Partial},
    {D3DRS_VERTEXBLEND, "VERTEXBLEND", D3DVBF_DISABLE, Support::Unsupported},
    {D3DRS_CLIPPLANEENABLE, "CLIPPLANEENABLE", 0, Support::Unsupported},
    {D3DRS_POINTSIZE, "POINTSIZE", FloatBits(1.0f), Support::Full},
    {D3DRS_POINTSIZE_MIN, "POINTSIZE_MIN", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_POINTSPRITEENABLE, "POINTSPRITEENABLE", FALSE, Support::Unsupported},
    {D3DRS_POINTSCALEENABLE, "POINTSCALEENABLE", FALSE, Support::Unsupported},
    {D3DRS_POINTSCALE_A, "POINTSCALE_A", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_POINTSCALE_B, "POINTSCALE_B", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_POINTSCALE_C, "POINTSCALE_C", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_MULTISAMPLEANTIALIAS, "MULTISAMPLEANTIALIAS", TRUE, Support::Full},
    {D3DRS_MULTISAMPLEMASK, "MULTISAMPLEMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_PATCHEDGESTYLE, "PATCHEDGESTYLE", D3DPATCHEDGE_DISCRETE, Support::Unsupported},
    {D3DRS_DEBUGMONITORTOKEN, "DEBUGMONITORTOKEN", 0, Support::Unsupported},
    {D3DRS_POINTSIZE_MAX, "POINTSIZE_MAX", FloatBits(64.0f), Support::Unsupported},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, "INDEXEDVERTEXBLENDENABLE", FALSE, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE, "COLORWRITEENABLE", 0xF, Support::Full},
    {D3DRS_TWEENFACTOR, "TWEENFACTOR", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_BLENDOP, "BLENDOP", D3DBLENDOP_ADD, Support::Full},
    {D3DRS_POSITIONDEGREE, "POSITIONDEGREE", D3DDEGREE_CUBIC, Support::Unsupported},
    {D3DRS_NORMALDEGREE, "NORMALDEGREE", D3DDEGREE_LINEAR, Support::Unsupported},
    {D3DRS_SCISSORTESTENABLE, "SCISSORTESTENABLE", FALSE, Support::Unsupported},
    {D3DRS_SLOPESCALEDEPTHBIAS, "SLOPESCALEDEPTHBIAS", 0, Support::Unsupported},
    {D3DRS_ANTIALIASEDLINEENABLE, "ANTIALIASEDLINEENABLE", FALSE, Support::Unsupported},
    {D3DRS_MINTESSELLATIONLEVEL, "MINTESSELLATIONLEVEL", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_MAXTESSELLATIONLEVEL, "MAXTESSELLATIONLEVEL", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_X, "ADAPTIVETESS_X", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_Y, "ADAPTIVETESS_Y", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_Z, "ADAPTIVETESS_Z", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_W, "ADAPTIVETESS_W", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ENABLEADAPTIVETESSELLATION, "ENABLEADAPTIVETESSELLATION", FALSE, Support::Unsupported},
    {D3DRS_TWOSIDEDSTENCILMODE, "TWOSIDEDSTENCILMODE", FALSE, Support::Unsupported},
    {D3DRS_CCW_STENCILFAIL, "CCW_STENCILFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILZFAIL, "CCW_STENCILZFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILPASS, "CCW_STENCILPASS", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILFUNC, "CCW_STENCILFUNC", D3DCMP_ALWAYS, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE1, "COLORWRITEENABLE1", 0xF, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE2, "COLORWRITEENABLE2", 0xF, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE3, "COLORWRITEENABLE3", 0xF, Support::Unsupported},
    {D3DRS_BLENDFACTOR, "BLENDFACTOR", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_SRGBWRITEENABLE, "SRGBWRITEENABLE", 0, Support::Unsupported},
    {D3DRS_DEPTHBIAS, "DEPTHBIAS", 0, Support::Unsupported},
    {D3DRS_WRAP8, "WRAP8", 0, Support::Unsupported},
    {D3DRS_WRAP9, "WRAP9", 0, Support::Unsupported},
    {D3DRS_WRAP10, "WRAP10", 0, Support::Unsupported},
    {D3DRS_WRAP11, "WRAP11", 0, Support::Unsupported},
    {D3DRS_WRAP12, "WRAP12", 0, Support::Unsupported},
    {D3DRS_WRAP13, "WRAP13", 0, Support::Unsupported},
    {D3DRS_WRAP14, "WRAP14", 0, Support::Unsupported},
    {D3DRS_WRAP15, "WRAP15", 0, Support::Unsupported},
    {D3DRS_SEPARATEALPHABLENDENABLE, "SEPARATEALPHABLENDENABLE", FALSE, Support::Unsupported},
    {D3DRS_SRCBLENDALPHA, "SRCBLENDALPHA", D3DBLEND_ONE, Support::Unsupported},
    {D3DRS_DESTBLENDALPHA, "DESTBLENDALPHA", D3DBLEND_ZERO, Support::Unsupported},
    {D3DRS_BLENDOPALPHA, "BLENDOPALPHA", D3DBLENDOP_ADD, Support::Unsupported},
};

// Stage 0's colour and alpha operations differ from the other stages' (see DefaultStageState).
constexpr StateInfo kStageStates[] = {
    {D3DTSS_COLOROP, "COLOROP", D3DTOP_DISABLE, Support::Partial},
    {D3DTSS_COLORARG1, "COLORARG1", D3DTA_TEXTURE, Support::Partial},
    {D3DTSS_COLORARG2, "COLORARG2", D3DTA_CURRENT, Support::Partial},
    {D3DTSS_ALPHAOP, "ALPHAOP", D3DTOP_DISABLE, Support::Partial},
    {D3DTSS_ALPHAARG1, "ALPHAARG1", D3DTA_TEXTURE, Support::Partial},
    {D3DTSS_ALPHAARG2, "ALPHAARG2", D3DTA_CURRENT, Support::Partial},
    {D3DTSS_BUMPENVMAT00, "BUMPENVMAT00", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT01, "BUMPENVMAT01", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT10, "BUMPENVMAT10", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT11, "BUMPENVMAT11", 0, Support::Unsupported},
    {D3DTSS_TEXCOORDINDEX, "TEXCOORDINDEX", 0, Support::Partial},
    {D3DTSS_BUMPENVLSCALE, "BUMPENVLSCALE", 0, Support::Unsupported},
    {D3DTSS_BUMPENVLOFFSET, "BUMPENVLOFFSET", 0, Support::Unsupported},
    {D3DTSS_TEXTURETRANSFORMFLAGS, "TEXTURETRANSFORMFLAGS", D3DTTFF_DISABLE, Support::Partial},
    {D3DTSS_COLORARG0, "COLORARG0", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_ALPHAARG0, "ALPHAARG0", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_RESULTARG, "RESULTARG", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_CONSTANT, "CONSTANT", 0, Support::Unsupported},
};

constexpr StateInfo kSamplerStates[] = {
    {D3DSAMP_ADDRESSU, "ADDRESSU", D3DTADDRESS_WRAP, Support::Partial},
    {D3DSAMP_ADDRESSV, "ADDRESSV", D3DTADDRESS_WRAP, Support::Partial},
    {D3DSAMP_ADDRESSW, "ADDRESSW", D3DTADDRESS_WRAP, Support::Unsupported},
    {D3DSAMP_BORDERCOLOR, "BORDERCOLOR", 0, Support::Full},
    {D3DSAMP_MAGFILTER, "MAGFILTER", D3DTEXF_POINT, Support::Partial},
    {D3DSAMP_MINFILTER, "MINFILTER", D3DTEXF_POINT, Support::Partial},
    {D3DSAMP_MIPFILTER, "MIPFILTER", D3DTEXF_NONE, Support::Partial},
    {D3DSAMP_MIPMAPLODBIAS, "MIPMAPLODBIAS", 0, Support::Full},
    {D3DSAMP_MAXMIPLEVEL, "MAXMIPLEVEL", 0, Support::Full},
    {D3DSAMP_MAXANISOTROPY, "MAXANISOTROPY", 1, Support::Unsupported},
    {D3DSAMP_SRGBTEXTURE, "SRGBTEXTURE", 0, Support::Unsupported},
    {D3DSAMP_ELEMENTINDEX, "ELEMENTINDEX", 0, Support::Unsupported},
    {D3DSAMP_DMAPOFFSET, "DMAPOFFSET", 0, Support::Unsupported},
};

template <size_t N>
const StateInfo* Find(const StateInfo (&table)[N], DWORD state) {
  for (const StateInfo& info : table) {
    if (info.state == state) return &info;
  }
  return nullptr;
}

}  // namespace

const StateInfo* FindRenderState(DWORD state) { return Find(kRenderStates, state); }

DWORD DefaultRenderState(DWORD state, bool autoDepthStencil) {
  if (state == D3DRS_ZENABLE) return autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  const StateInfo* info = FindRenderState(state);
  return info ? info->defaultValue : 0;
}

const StateInfo* FindStageState(DWORD type) { return Find(kStageStates, type); }

DWORD DefaultStageState(DWORD stage, DWORD type) {
  if (stage == 0 && type == D3DTSS_COLOROP) return D3DTOP_MODULATE;
  if (stage == 0 && type == D3DTSS_ALPHAOP) return D3DTOP_SELECTARG1;
  if (type == D3DTSS_TEXCOORDINDEX) return stage;
  const StateInfo* info = FindStageState(type);
  return info ? info->defaultValue : 0;
}

const StateInfo* FindSamplerState(DWORD type) { return Find(kSamplerStates, type); }

DWORD DefaultSamplerState(DWORD type) {
  const StateInfo* info = FindSamplerState(type);
  return info ? info->defaultValue : 0;
}

void ReportOnce(const char* what) {
  static std::mutex lock;
  static std::set<std::string> reported;  // guarded by lock
  std::lock_guard<std::mutex> guard(lock);
  if (reported.insert(what).second) std::fprintf(stderr, "d3d9: %s\n", what);
}

}  // namespace platform::d3d9
