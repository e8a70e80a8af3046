// One table per Direct3D state family (render states, texture-stage states, sampler states):
// each entry gives the state's default value and how far the OpenGL device supports it. The
// device mirror is initialised from these defaults; the GL device consults the support column and
// reports an unsupported value once.
#pragma once

#include "d3d9.h"

namespace platform::d3d9 {

constexpr DWORD kRenderStateCount = 210;   // highest D3DRS_* number + 1
constexpr DWORD kStageStateCount = 33;     // highest D3DTSS_* number + 1
constexpr DWORD kSamplerStateCount = 14;   // highest D3DSAMP_* number + 1
constexpr DWORD kTextureStages = 8;
constexpr DWORD kSamplers = 16;
constexpr DWORD kMaxLights = 8;

enum class Support {
  Full,        // every value is mapped to GL
  Partial,     // the usual values are mapped; others are reported once
  Unsupported  // a non-default value is reported once and has no effect on the picture
};

struct StateInfo {
  DWORD state;
  const char* name;
  DWORD defaultValue;
  Support support;
};

// The entry for a render state, or null when the number names no render state.
const StateInfo* FindRenderState(DWORD state);
// Default for a render state given whether the device has an automatic depth buffer.
DWORD DefaultRenderState(DWORD state, bool autoDepthStencil);

const StateInfo* FindStageState(DWORD type);
DWORD DefaultStageState(DWORD stage, DWORD type);

const StateInfo* FindSamplerState(DWORD type);
DWORD DefaultSamplerState(DWORD type);

// Gives the note "d3d9: <what>" to the platform's debug channel the first time this text (a
// string constant) is reported. Allocates only on that first report, so drawing code may call it
// every frame.
void ReportOnce(const char* what);
// Gives the note "d3d9: <name> = <value> is not supported; <consequence>" once per name and value.
void ReportUnsupported(const char* name, DWORD value, const char* consequence);

}  // namespace platform::d3d9
