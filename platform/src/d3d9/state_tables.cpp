// The render, texture-stage and sampler state tables with Direct3D's defaults.
#include "d3d9/state_tables.h"

#include "win32/notes.h"

#include <string>
#include <mutex>
#include <set>
#include <utility>

namespace platform::d3d9 {

namespace {

constexpr DWORD FloatBits(float value) {
  return __builtin_bit_cast(DWORD, value);
}

constexpr StateInfo kRenderStates[] = {
    {D3DRS_ZENABLE, "D3DRS_ZENABLE", D3DZB_TRUE, Support::Partial},
    {D3DRS_FILLMODE, "D3DRS_FILLMODE", D3DFILL_SOLID, Support::Full},
    {D3DRS_SHADEMODE, "D3DRS_SHADEMODE", D3DSHADE_GOURAUD, Support::Partial},
    {D3DRS_ZWRITEENABLE, "D3DRS_ZWRITEENABLE", TRUE, Support::Full},
    {D3DRS_ALPHATESTENABLE, "D3DRS_ALPHATESTENABLE", FALSE, Support::Full},
    {D3DRS_LASTPIXEL, "D3DRS_LASTPIXEL", TRUE, Support::Unsupported},
    {D3DRS_SRCBLEND, "D3DRS_SRCBLEND", D3DBLEND_ONE, Support::Partial},
    {D3DRS_DESTBLEND, "D3DRS_DESTBLEND", D3DBLEND_ZERO, Support::Partial},
    {D3DRS_CULLMODE, "D3DRS_CULLMODE", D3DCULL_CCW, Support::Full},
    {D3DRS_ZFUNC, "D3DRS_ZFUNC", D3DCMP_LESSEQUAL, Support::Full},
    {D3DRS_ALPHAREF, "D3DRS_ALPHAREF", 0, Support::Full},
    {D3DRS_ALPHAFUNC, "D3DRS_ALPHAFUNC", D3DCMP_ALWAYS, Support::Full},
    {D3DRS_DITHERENABLE, "D3DRS_DITHERENABLE", FALSE, Support::Full},
    {D3DRS_ALPHABLENDENABLE, "D3DRS_ALPHABLENDENABLE", FALSE, Support::Full},
    {D3DRS_FOGENABLE, "D3DRS_FOGENABLE", FALSE, Support::Unsupported},
    {D3DRS_SPECULARENABLE, "D3DRS_SPECULARENABLE", FALSE, Support::Full},
    {D3DRS_FOGCOLOR, "D3DRS_FOGCOLOR", 0, Support::Unsupported},
    {D3DRS_FOGTABLEMODE, "D3DRS_FOGTABLEMODE", D3DFOG_NONE, Support::Unsupported},
    {D3DRS_FOGSTART, "D3DRS_FOGSTART", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_FOGEND, "D3DRS_FOGEND", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_FOGDENSITY, "D3DRS_FOGDENSITY", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_RANGEFOGENABLE, "D3DRS_RANGEFOGENABLE", FALSE, Support::Unsupported},
    {D3DRS_STENCILENABLE, "D3DRS_STENCILENABLE", FALSE, Support::Unsupported},
    {D3DRS_STENCILFAIL, "D3DRS_STENCILFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILZFAIL, "D3DRS_STENCILZFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILPASS, "D3DRS_STENCILPASS", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_STENCILFUNC, "D3DRS_STENCILFUNC", D3DCMP_ALWAYS, Support::Unsupported},
    {D3DRS_STENCILREF, "D3DRS_STENCILREF", 0, Support::Unsupported},
    {D3DRS_STENCILMASK, "D3DRS_STENCILMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_STENCILWRITEMASK, "D3DRS_STENCILWRITEMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_TEXTUREFACTOR, "D3DRS_TEXTUREFACTOR", 0xFFFFFFFF, Support::Full},
    {D3DRS_WRAP0, "D3DRS_WRAP0", 0, Support::Unsupported},
    {D3DRS_WRAP1, "D3DRS_WRAP1", 0, Support::Unsupported},
    {D3DRS_WRAP2, "D3DRS_WRAP2", 0, Support::Unsupported},
    {D3DRS_WRAP3, "D3DRS_WRAP3", 0, Support::Unsupported},
    {D3DRS_WRAP4, "D3DRS_WRAP4", 0, Support::Unsupported},
    {D3DRS_WRAP5, "D3DRS_WRAP5", 0, Support::Unsupported},
    {D3DRS_WRAP6, "D3DRS_WRAP6", 0, Support::Unsupported},
    {D3DRS_WRAP7, "D3DRS_WRAP7", 0, Support::Unsupported},
    {D3DRS_CLIPPING, "D3DRS_CLIPPING", TRUE, Support::Partial},
    {D3DRS_LIGHTING, "D3DRS_LIGHTING", TRUE, Support::Full},
    {D3DRS_AMBIENT, "D3DRS_AMBIENT", 0, Support::Full},
    {D3DRS_FOGVERTEXMODE, "D3DRS_FOGVERTEXMODE", D3DFOG_NONE, Support::Unsupported},
    {D3DRS_COLORVERTEX, "D3DRS_COLORVERTEX", TRUE, Support::Full},
    {D3DRS_LOCALVIEWER, "D3DRS_LOCALVIEWER", TRUE, Support::Full},
    {D3DRS_NORMALIZENORMALS, "D3DRS_NORMALIZENORMALS", FALSE, Support::Full},
    {D3DRS_DIFFUSEMATERIALSOURCE, "D3DRS_DIFFUSEMATERIALSOURCE", D3DMCS_COLOR1, Support::Partial},
    {D3DRS_SPECULARMATERIALSOURCE, "D3DRS_SPECULARMATERIALSOURCE", D3DMCS_COLOR2, Support::Partial},
    {D3DRS_AMBIENTMATERIALSOURCE, "D3DRS_AMBIENTMATERIALSOURCE", D3DMCS_MATERIAL, Support::Partial},
    {D3DRS_EMISSIVEMATERIALSOURCE, "D3DRS_EMISSIVEMATERIALSOURCE", D3DMCS_MATERIAL, Support::Partial},
    {D3DRS_VERTEXBLEND, "D3DRS_VERTEXBLEND", D3DVBF_DISABLE, Support::Unsupported},
    {D3DRS_CLIPPLANEENABLE, "D3DRS_CLIPPLANEENABLE", 0, Support::Unsupported},
    {D3DRS_POINTSIZE, "D3DRS_POINTSIZE", FloatBits(1.0f), Support::Full},
    {D3DRS_POINTSIZE_MIN, "D3DRS_POINTSIZE_MIN", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_POINTSPRITEENABLE, "D3DRS_POINTSPRITEENABLE", FALSE, Support::Unsupported},
    {D3DRS_POINTSCALEENABLE, "D3DRS_POINTSCALEENABLE", FALSE, Support::Unsupported},
    {D3DRS_POINTSCALE_A, "D3DRS_POINTSCALE_A", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_POINTSCALE_B, "D3DRS_POINTSCALE_B", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_POINTSCALE_C, "D3DRS_POINTSCALE_C", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_MULTISAMPLEANTIALIAS, "D3DRS_MULTISAMPLEANTIALIAS", TRUE, Support::Full},
    {D3DRS_MULTISAMPLEMASK, "D3DRS_MULTISAMPLEMASK", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_PATCHEDGESTYLE, "D3DRS_PATCHEDGESTYLE", D3DPATCHEDGE_DISCRETE, Support::Unsupported},
    {D3DRS_DEBUGMONITORTOKEN, "D3DRS_DEBUGMONITORTOKEN", 0, Support::Unsupported},
    {D3DRS_POINTSIZE_MAX, "D3DRS_POINTSIZE_MAX", FloatBits(64.0f), Support::Unsupported},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, "D3DRS_INDEXEDVERTEXBLENDENABLE", FALSE, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE, "D3DRS_COLORWRITEENABLE", 0xF, Support::Full},
    {D3DRS_TWEENFACTOR, "D3DRS_TWEENFACTOR", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_BLENDOP, "D3DRS_BLENDOP", D3DBLENDOP_ADD, Support::Full},
    {D3DRS_POSITIONDEGREE, "D3DRS_POSITIONDEGREE", D3DDEGREE_CUBIC, Support::Unsupported},
    {D3DRS_NORMALDEGREE, "D3DRS_NORMALDEGREE", D3DDEGREE_LINEAR, Support::Unsupported},
    {D3DRS_SCISSORTESTENABLE, "D3DRS_SCISSORTESTENABLE", FALSE, Support::Unsupported},
    {D3DRS_SLOPESCALEDEPTHBIAS, "D3DRS_SLOPESCALEDEPTHBIAS", 0, Support::Unsupported},
    {D3DRS_ANTIALIASEDLINEENABLE, "D3DRS_ANTIALIASEDLINEENABLE", FALSE, Support::Unsupported},
    {D3DRS_MINTESSELLATIONLEVEL, "D3DRS_MINTESSELLATIONLEVEL", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_MAXTESSELLATIONLEVEL, "D3DRS_MAXTESSELLATIONLEVEL", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_X, "D3DRS_ADAPTIVETESS_X", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_Y, "D3DRS_ADAPTIVETESS_Y", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_Z, "D3DRS_ADAPTIVETESS_Z", FloatBits(1.0f), Support::Unsupported},
    {D3DRS_ADAPTIVETESS_W, "D3DRS_ADAPTIVETESS_W", FloatBits(0.0f), Support::Unsupported},
    {D3DRS_ENABLEADAPTIVETESSELLATION, "D3DRS_ENABLEADAPTIVETESSELLATION", FALSE, Support::Unsupported},
    {D3DRS_TWOSIDEDSTENCILMODE, "D3DRS_TWOSIDEDSTENCILMODE", FALSE, Support::Unsupported},
    {D3DRS_CCW_STENCILFAIL, "D3DRS_CCW_STENCILFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILZFAIL, "D3DRS_CCW_STENCILZFAIL", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILPASS, "D3DRS_CCW_STENCILPASS", D3DSTENCILOP_KEEP, Support::Unsupported},
    {D3DRS_CCW_STENCILFUNC, "D3DRS_CCW_STENCILFUNC", D3DCMP_ALWAYS, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE1, "D3DRS_COLORWRITEENABLE1", 0xF, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE2, "D3DRS_COLORWRITEENABLE2", 0xF, Support::Unsupported},
    {D3DRS_COLORWRITEENABLE3, "D3DRS_COLORWRITEENABLE3", 0xF, Support::Unsupported},
    {D3DRS_BLENDFACTOR, "D3DRS_BLENDFACTOR", 0xFFFFFFFF, Support::Unsupported},
    {D3DRS_SRGBWRITEENABLE, "D3DRS_SRGBWRITEENABLE", 0, Support::Unsupported},
    {D3DRS_DEPTHBIAS, "D3DRS_DEPTHBIAS", 0, Support::Unsupported},
    {D3DRS_WRAP8, "D3DRS_WRAP8", 0, Support::Unsupported},
    {D3DRS_WRAP9, "D3DRS_WRAP9", 0, Support::Unsupported},
    {D3DRS_WRAP10, "D3DRS_WRAP10", 0, Support::Unsupported},
    {D3DRS_WRAP11, "D3DRS_WRAP11", 0, Support::Unsupported},
    {D3DRS_WRAP12, "D3DRS_WRAP12", 0, Support::Unsupported},
    {D3DRS_WRAP13, "D3DRS_WRAP13", 0, Support::Unsupported},
    {D3DRS_WRAP14, "D3DRS_WRAP14", 0, Support::Unsupported},
    {D3DRS_WRAP15, "D3DRS_WRAP15", 0, Support::Unsupported},
    {D3DRS_SEPARATEALPHABLENDENABLE, "D3DRS_SEPARATEALPHABLENDENABLE", FALSE, Support::Unsupported},
    {D3DRS_SRCBLENDALPHA, "D3DRS_SRCBLENDALPHA", D3DBLEND_ONE, Support::Unsupported},
    {D3DRS_DESTBLENDALPHA, "D3DRS_DESTBLENDALPHA", D3DBLEND_ZERO, Support::Unsupported},
    {D3DRS_BLENDOPALPHA, "D3DRS_BLENDOPALPHA", D3DBLENDOP_ADD, Support::Unsupported},
};

// Stage 0's colour and alpha operations differ from the other stages' (see DefaultStageState).
constexpr StateInfo kStageStates[] = {
    {D3DTSS_COLOROP, "D3DTSS_COLOROP", D3DTOP_DISABLE, Support::Partial},
    {D3DTSS_COLORARG1, "D3DTSS_COLORARG1", D3DTA_TEXTURE, Support::Partial},
    {D3DTSS_COLORARG2, "D3DTSS_COLORARG2", D3DTA_CURRENT, Support::Partial},
    {D3DTSS_ALPHAOP, "D3DTSS_ALPHAOP", D3DTOP_DISABLE, Support::Partial},
    {D3DTSS_ALPHAARG1, "D3DTSS_ALPHAARG1", D3DTA_TEXTURE, Support::Partial},
    {D3DTSS_ALPHAARG2, "D3DTSS_ALPHAARG2", D3DTA_CURRENT, Support::Partial},
    {D3DTSS_BUMPENVMAT00, "D3DTSS_BUMPENVMAT00", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT01, "D3DTSS_BUMPENVMAT01", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT10, "D3DTSS_BUMPENVMAT10", 0, Support::Unsupported},
    {D3DTSS_BUMPENVMAT11, "D3DTSS_BUMPENVMAT11", 0, Support::Unsupported},
    {D3DTSS_TEXCOORDINDEX, "D3DTSS_TEXCOORDINDEX", 0, Support::Partial},
    {D3DTSS_BUMPENVLSCALE, "D3DTSS_BUMPENVLSCALE", 0, Support::Unsupported},
    {D3DTSS_BUMPENVLOFFSET, "D3DTSS_BUMPENVLOFFSET", 0, Support::Unsupported},
    {D3DTSS_TEXTURETRANSFORMFLAGS, "D3DTSS_TEXTURETRANSFORMFLAGS", D3DTTFF_DISABLE, Support::Partial},
    {D3DTSS_COLORARG0, "D3DTSS_COLORARG0", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_ALPHAARG0, "D3DTSS_ALPHAARG0", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_RESULTARG, "D3DTSS_RESULTARG", D3DTA_CURRENT, Support::Unsupported},
    {D3DTSS_CONSTANT, "D3DTSS_CONSTANT", 0, Support::Unsupported},
};

constexpr StateInfo kSamplerStates[] = {
    {D3DSAMP_ADDRESSU, "D3DSAMP_ADDRESSU", D3DTADDRESS_WRAP, Support::Partial},
    {D3DSAMP_ADDRESSV, "D3DSAMP_ADDRESSV", D3DTADDRESS_WRAP, Support::Partial},
    {D3DSAMP_ADDRESSW, "D3DSAMP_ADDRESSW", D3DTADDRESS_WRAP, Support::Unsupported},
    {D3DSAMP_BORDERCOLOR, "D3DSAMP_BORDERCOLOR", 0, Support::Full},
    {D3DSAMP_MAGFILTER, "D3DSAMP_MAGFILTER", D3DTEXF_POINT, Support::Partial},
    {D3DSAMP_MINFILTER, "D3DSAMP_MINFILTER", D3DTEXF_POINT, Support::Partial},
    {D3DSAMP_MIPFILTER, "D3DSAMP_MIPFILTER", D3DTEXF_NONE, Support::Partial},
    {D3DSAMP_MIPMAPLODBIAS, "D3DSAMP_MIPMAPLODBIAS", 0, Support::Full},
    {D3DSAMP_MAXMIPLEVEL, "D3DSAMP_MAXMIPLEVEL", 0, Support::Full},
    {D3DSAMP_MAXANISOTROPY, "D3DSAMP_MAXANISOTROPY", 1, Support::Unsupported},
    {D3DSAMP_SRGBTEXTURE, "D3DSAMP_SRGBTEXTURE", 0, Support::Unsupported},
    {D3DSAMP_ELEMENTINDEX, "D3DSAMP_ELEMENTINDEX", 0, Support::Unsupported},
    {D3DSAMP_DMAPOFFSET, "D3DSAMP_DMAPOFFSET", 0, Support::Unsupported},
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

namespace {

// True the first time a (text, value) pair is seen; guarded by its own lock.
bool FirstReport(const void* text, DWORD value) {
  static std::mutex lock;
  static std::set<std::pair<const void*, DWORD>> reported;
  std::lock_guard<std::mutex> guard(lock);
  auto key = std::make_pair(text, value);
  if (reported.find(key) != reported.end()) return false;
  reported.insert(key);
  return true;
}

}  // namespace

void ReportOnce(const char* what) {
  if (FirstReport(what, 0)) platform::Note(std::string("d3d9: ") + what);
}

void ReportUnsupported(const char* name, DWORD value, const char* consequence) {
  if (FirstReport(name, value)) {
    platform::Note("d3d9: " + std::string(name) + " = " + std::to_string(value) + " is not supported; " +
                   consequence);
  }
}

}  // namespace platform::d3d9
