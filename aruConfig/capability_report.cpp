// Builds the capability report from a device's caps, in the dialog's order and words.
#include "capability_report.h"

#include <cstdio>

namespace aruconfig {

namespace {

struct CapabilityLine {
  DWORD D3DCAPS9::*field;
  DWORD bit;
  const char* text;
};

// Lines shown only when their capability is present, in the order they are listed.
constexpr CapabilityLine kTextureLines[] = {
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_CUBEMAP, "Device supports Cube Mapping."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_VOLUMEMAP, "Device supports Volume Mapping"},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_ALPHA, "Alpha in texture pixels is supported."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_ALPHAPALETTE, "Device can draw alpha from texture palettes."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_CUBEMAP_POW2, "Cube texture maps dimensions must be powers of 2."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_MIPCUBEMAP, "Device supports mipmapped cube textures."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_MIPMAP, "Device supports mipmapped textures."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_MIPVOLUMEMAP, "Device supports mipmapped volume textures."},
    {&D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_PERSPECTIVE, "Perspective correction texturing is supported."},
    {&D3DCAPS9::DevCaps, D3DDEVCAPS_NPATCHES, "Device supports N Patches."},
};

constexpr CapabilityLine kShadingAndVertexLines[] = {
    {&D3DCAPS9::ShadeCaps, D3DPSHADECAPS_ALPHAGOURAUDBLEND,
     "Supports alpha component for Gouraud-blended transparency."},
    {&D3DCAPS9::ShadeCaps, D3DPSHADECAPS_COLORGOURAUDRGB, "Device supports Gouraud shading."},
    {&D3DCAPS9::ShadeCaps, D3DPSHADECAPS_FOGGOURAUD, "Device supports Gouraud shading of fog."},
    {&D3DCAPS9::ShadeCaps, D3DPSHADECAPS_SPECULARGOURAUDRGB, "Supports Gouraud shading of specular highlights."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_DIRECTIONALLIGHTS, "Device supports directional lights."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_LOCALVIEWER, "Device supports local viewer."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_MATERIALSOURCE7, "Device supports selectable vertex color sources."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_POSITIONALLIGHTS, "Device supports positional lights."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_TEXGEN, "Device can generate texture coordinates."},
    {&D3DCAPS9::VertexProcessingCaps, D3DVTXPCAPS_TWEENING, "Device supports vertex tweening."},
};

template <size_t N>
void AddPresentLines(const D3DCAPS9& caps, const CapabilityLine (&table)[N], std::vector<std::string>* lines) {
  for (const CapabilityLine& line : table) {
    if (caps.*line.field & line.bit) lines->push_back(line.text);
  }
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[128];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

void AddLimits(const D3DCAPS9& caps, CapabilityReport* report) {
  std::vector<std::string>& lines = report->lines;
  if (caps.MaxActiveLights == 0xFFFFFFFFu) {
    lines.push_back("Maximum Active Lights: Unlimited");
  } else {
    lines.push_back(Format("Maximum Active Lights: %d", static_cast<int>(caps.MaxActiveLights)));
  }
  lines.push_back(Format("Maximum Point Vertex size: %5.2f", static_cast<double>(caps.MaxPointSize)));
  if (caps.MaxPointSize > 1.0f) {
    lines.push_back("Device supports point sprites.");
  } else {
    lines.push_back("Device does not support point sprites!");
    report->meetsRequirements = false;
  }
  lines.push_back(Format("Maximum Texture Size: %dx%d", static_cast<int>(caps.MaxTextureWidth),
                         static_cast<int>(caps.MaxTextureHeight)));
  lines.push_back(Format("Maximum Primatives in one call: %d", static_cast<int>(caps.MaxPrimitiveCount)));
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
    lines.push_back("Fatal: Textures must always be square!");
    report->meetsRequirements = false;
  } else {
    lines.push_back("Device supports non-square textures.");
  }
}

void AddDeviceLines(const D3DCAPS9& caps, CapabilityReport* report) {
  std::vector<std::string>& lines = report->lines;
  lines.push_back((caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? "Device supports hardware TNL."
                                                                  : "Device doesn't support Hardware TNL.");
  lines.push_back((caps.DevCaps & D3DDEVCAPS_HWRASTERIZATION) ? "Hardware acceleration."
                                                              : "Device doesn't support hardware acceleration.");
  if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE) {
    lines.push_back("Supports pure device.");
    report->pureDevice = true;
  }
}

}  // namespace

CapabilityReport BuildCapabilityReport(const D3DCAPS9& caps) {
  CapabilityReport report;
  AddLimits(caps, &report);
  AddPresentLines(caps, kTextureLines, &report.lines);
  AddDeviceLines(caps, &report);
  AddPresentLines(caps, kShadingAndVertexLines, &report.lines);
  report.lines.push_back(report.meetsRequirements ? "This device meets all requirements."
                                                  : "This device is missing one or more required features.");
  return report;
}

}  // namespace aruconfig
