// The data files: the level catalogue "Default.pcf" (levels, skins, paddle models, match sounds
// and unlock state) and the first-run configuration "config.cfg", plus the paddle model set.
#pragma once

#include <string>
#include <vector>

#include "xfile.h"

namespace assetgen {

struct PaddleModel {
  std::string path;  // e.g. "base/mdl/paddle.x"
  XMesh mesh;
};

std::vector<PaddleModel> paddleModels();

// Opponent names of the ten levels, in order.
const std::vector<std::string>& opponentNames();

std::string levelCatalogue();
std::string defaultConfig();

}  // namespace assetgen
