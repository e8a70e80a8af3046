// The game's look: one colour scheme and the painters for every picture (menu widgets, screen
// backgrounds, effect sprites, arena maps, balls, thumbnails and paddle skins). Each painter
// returns the finished picture with the path (lower case, under base/) it is stored at.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

namespace palette {
constexpr uint32_t kNight = 0x080D22;   // deepest background
constexpr uint32_t kNavy = 0x13204A;    // panels
constexpr uint32_t kSteel = 0x22376E;   // raised panels
constexpr uint32_t kCyan = 0x3FD8F2;    // lines, outlines, the host
constexpr uint32_t kAmber = 0xFFB23E;   // highlights, roll-over, the joining player
constexpr uint32_t kWhite = 0xF2F7FF;   // text
constexpr uint32_t kInk = 0x0A1224;     // text on light fills
constexpr uint32_t kCoral = 0xFF5C63;   // locks, warnings
constexpr uint32_t kField = 0xE6F2FA;   // text box fill
}  // namespace palette

struct Picture {
  std::string path;  // e.g. "base/tex/menu/newgame.tex"
  Image image;
  float displayWidth = 0, displayHeight = 0;  // the proportions it is shown at; 0 = its own
};

// A finished picture with the proportions its canvas was designed at.
inline Picture picture(std::string path, const Canvas& canvas) {
  return {std::move(path), canvas.toImage(), canvas.displayWidth(), canvas.displayHeight()};
}

// Per-level look, shared by the level's map, ball, thumbnail and computer paddle skin.
struct LevelStyle {
  int number;
  std::string name;
  uint32_t accent;  // glowing lines
  uint32_t base;    // wall panels
  int pattern;      // wall panel pattern 0..4
};
const std::vector<LevelStyle>& levelStyles();

std::vector<Picture> paintWidgets();     // buttons, check boxes, options, text box, cursors, lock
std::vector<Picture> paintScreens();     // full-screen backgrounds, frame, console
std::vector<Picture> paintEffects();     // crosshair and the splat sprites
std::vector<Picture> paintLevels();      // maps, balls, thumbnails, computer skins
std::vector<Picture> paintSkins();       // player skins, Color1/Color2, multiplayer ball

// Number of player skins painted (skin1 ... skinN).
constexpr int kSkinCount = 10;

}  // namespace assetgen
