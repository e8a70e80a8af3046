// The capability report of the configuration dialog: what the chosen device can do, line by
// line, and whether it meets the game's requirements (point sprites, non-square textures).
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

namespace aruconfig {

struct CapabilityReport {
  std::vector<std::string> lines;
  bool meetsRequirements = true;
  bool pureDevice = false;
};

CapabilityReport BuildCapabilityReport(const D3DCAPS9& caps);

}  // namespace aruconfig
