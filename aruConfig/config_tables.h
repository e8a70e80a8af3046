// The configuration tool's fixed tables (colour formats, device types, texture filters), the
// display-mode sizes it offers and the labels of its drop lists. Shared by the tool's logic and
// its tests; nothing here touches a window or the settings file.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <array>
#include <string>

namespace aruconfig {

// One row of the colour-format list: the display format and the back buffer it flips to.
struct ColourFormat {
  D3DFORMAT display;
  D3DFORMAT backBuffer;
  const char* label;
};
extern const std::array<ColourFormat, 5> kColourFormats;

struct DeviceTypeChoice {
  D3DDEVTYPE type;
  const char* label;
};
extern const std::array<DeviceTypeChoice, 3> kDeviceTypes;

struct FilterChoice {
  int value;  // the D3DTEXTUREFILTERTYPE the game uses
  const char* label;
};
extern const std::array<FilterChoice, 2> kFilters;

// An entry of the anti-alias table: the item data of the anti-alias list is its index.
// The game creates its device with multisample type `sampleType` and quality `quality1 - 1`.
struct AntiAliasEntry {
  DWORD quality1;
  DWORD quality2;
  DWORD sampleType;
};

// Only 800x600, 1024x768, 1280x1024 and anything from 1600x1200 up are offered.
bool IsOfferedModeSize(UINT width, UINT height);

std::string ModeLabel(const D3DDISPLAYMODE& mode);  // "%dx%d@%dhz"
std::string NonMaskingLabel(DWORD level);           // "%dX NonMasking"
std::string SamplesLabel(DWORD samples);            // "%d Samples"

}  // namespace aruconfig
