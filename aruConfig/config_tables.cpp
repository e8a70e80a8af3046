// The configuration tool's fixed tables and the labels of its drop lists.
#include "config_tables.h"

#include <cstdio>

namespace aruconfig {

const std::array<ColourFormat, 5> kColourFormats = {{
    {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, "32-bit X8, X8"},
    {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, "32-bit X8, A8"},
    {D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5, "16-bit X1, X1"},
    {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, "16-bit X1, A1"},
    {D3DFMT_R5G6B5, D3DFMT_R5G6B5, "16-bit"},
}};

const std::array<DeviceTypeChoice, 3> kDeviceTypes = {{
    {D3DDEVTYPE_HAL, "Hardware Rasterizer (HAL)"},
    {D3DDEVTYPE_REF, "Reference Rasterizer (REF)"},
    {D3DDEVTYPE_SW, "Software Rasterizer (SW)"},
}};

const std::array<FilterChoice, 2> kFilters = {{
    {D3DTEXF_ANISOTROPIC, "Anisotropic (Great)"},
    {D3DTEXF_LINEAR, "Linear Filter (Good)"},
}};

bool IsOfferedModeSize(UINT width, UINT height) {
  if (width == 800 && height == 600) return true;
  if (width == 1024 && height == 768) return true;
  if (width == 1280 && height == 1024) return true;
  return width >= 1600 && height >= 1200;
}

std::string ModeLabel(const D3DDISPLAYMODE& mode) {
  char text[64];
  std::snprintf(text, sizeof text, "%dx%d@%dhz", static_cast<int>(mode.Width), static_cast<int>(mode.Height),
                static_cast<int>(mode.RefreshRate));
  return text;
}

std::string NonMaskingLabel(DWORD level) {
  char text[32];
  std::snprintf(text, sizeof text, "%dX NonMasking", static_cast<int>(level));
  return text;
}

std::string SamplesLabel(DWORD samples) {
  char text[32];
  std::snprintf(text, sizeof text, "%d%s", static_cast<int>(samples), " Samples");
  return text;
}

}  // namespace aruconfig
