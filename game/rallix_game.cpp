// The game object.
#include "rallix_game.h"

#include <cstring>

namespace {
const char kDefaultLevelPath[] = ".\\base\\Default.pcf";
}

RallixGame::RallixGame() { std::memcpy(levelPath, kDefaultLevelPath, sizeof kDefaultLevelPath); }

RallixGame::~RallixGame() = default;

bool RallixGame::SetLevelPath(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const size_t length = std::strlen(path);
  if (length >= kLevelPathSize) return false;
  std::memcpy(levelPath, path, length + 1);
  return true;
}

HRESULT RallixGame::GameInitialize() { return 0; }
