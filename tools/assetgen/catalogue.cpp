// Catalogue, configuration and paddle models. Paths in the catalogue are written the way the
// game writes its own ("./base/..."), in lower case, so they resolve on any file system.
#include "catalogue.h"

#include <cmath>
#include <sstream>

#include "art.h"

namespace assetgen {
namespace {

using Outline = std::vector<std::array<float, 2>>;

// Outlines in model units, counter-clockwise; the game scales models by 0.5, so a paddle about
// 3.6 units wide shows 1.8 units wide in the 7.5 x 6 arena.
Outline roundedRectangle(float w, float h, float radius, int segments) {
  Outline out;
  const float cx[4] = {w / 2 - radius, -w / 2 + radius, -w / 2 + radius, w / 2 - radius};
  const float cy[4] = {h / 2 - radius, h / 2 - radius, -h / 2 + radius, -h / 2 + radius};
  for (int corner = 0; corner < 4; ++corner) {
    for (int i = 0; i <= segments; ++i) {
      const float a = (corner + static_cast<float>(i) / segments) * 1.5707963f;
      out.push_back({cx[corner] + radius * std::cos(a), cy[corner] + radius * std::sin(a)});
    }
  }
  return out;
}

Outline ellipse(float rx, float ry, int segments) {
  Outline out;
  for (int i = 0; i < segments; ++i) {
    const float a = 6.2831853f * i / segments;
    out.push_back({rx * std::cos(a), ry * std::sin(a)});
  }
  return out;
}

Outline hexagon(float w, float h) {
  return {{w / 2, 0}, {w / 4, h / 2}, {-w / 4, h / 2}, {-w / 2, 0}, {-w / 4, -h / 2}, {w / 4, -h / 2}};
}

Outline octagon(float w, float h, float cut) {
  return {{w / 2, -h / 2 + cut}, {w / 2, h / 2 - cut}, {w / 2 - cut, h / 2}, {-w / 2 + cut, h / 2},
          {-w / 2, h / 2 - cut}, {-w / 2, -h / 2 + cut}, {-w / 2 + cut, -h / 2}, {w / 2 - cut, -h / 2}};
}

XMaterial faceMaterial(const std::string& texture) {
  XMaterial m;
  m.diffuse = {1, 1, 1, 1};
  m.power = 20;
  m.specular = {0.4f, 0.4f, 0.4f};
  m.texture = texture;
  return m;
}

XMaterial rimMaterial(uint32_t hex) {
  XMaterial m;
  m.diffuse = {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f, 1};
  m.power = 30;
  m.specular = {0.8f, 0.8f, 0.8f};
  m.emissive = {m.diffuse[0] * 0.25f, m.diffuse[1] * 0.25f, m.diffuse[2] * 0.25f};
  return m;
}

std::string path(const std::string& inBase) { return "./" + inBase; }

}  // namespace

std::vector<PaddleModel> paddleModels() {
  // Each model names a texture relative to the texture folder the game passes.
  return {
      {"base/mdl/paddle.x", extrudeOutline(roundedRectangle(3.6f, 2.6f, 0.5f, 6), 0.35f,
                                           faceMaterial("skins/skin1.tex"), rimMaterial(palette::kCyan))},
      {"base/mdl/disc.x", extrudeOutline(ellipse(1.8f, 1.4f, 32), 0.35f, faceMaterial("skins/skin2.tex"),
                                         rimMaterial(palette::kAmber))},
      {"base/mdl/shield.x", extrudeOutline(hexagon(3.9f, 2.6f), 0.4f, faceMaterial("skins/skin3.tex"),
                                           rimMaterial(palette::kWhite))},
      {"base/mdl/block.x", extrudeOutline(octagon(3.4f, 2.8f, 0.7f), 0.45f, faceMaterial("skins/skin4.tex"),
                                          rimMaterial(palette::kCoral))},
      {"base/mdl/wing.x", extrudeOutline(roundedRectangle(4.2f, 1.9f, 0.95f, 8), 0.3f,
                                         faceMaterial("skins/skin5.tex"), rimMaterial(palette::kCyan))},
  };
}

const std::vector<std::string>& opponentNames() {
  static const std::vector<std::string> names = {"Pip",  "Marlow", "Cinder", "Frost", "Volta",
                                                 "Sage", "Dusty",  "Nyx",    "Brand", "Overseer"};
  return names;
}

std::string levelCatalogue() {
  const auto models = paddleModels();
  std::ostringstream out;
  out << "[Game]\n";
  out << "NumLevels=" << levelStyles().size() << "\n";
  out << "NumSkins=" << kSkinCount << "\n";
  out << "NumPaddles=" << models.size() << "\n";
  for (size_t i = 0; i < models.size(); ++i) out << "Paddle" << i + 1 << '=' << path(models[i].path) << "\n";
  for (int i = 1; i <= kSkinCount; ++i) out << "Skin" << i << "=./base/tex/skins/skin" << i << ".tex\n";
  out << "PingSound=./base/sfx/paddle1.sfx\n"
         "PongSound=./base/sfx/paddle2.sfx\n"
         "ScoreSound=./base/sfx/score.sfx\n"
         "WallSound=./base/sfx/wall.sfx\n"
         "PowerSound=./base/sfx/power.sfx\n"
         "ScreenShot=./base/sfx/screenshot.sfx\n"
         "perfect=./base/sfx/perfect.sfx\n";
  for (const LevelStyle& s : levelStyles()) {
    const std::string n = std::to_string(s.number);
    out << "\n[Level" << n << "]\n";
    out << "Name=" << s.name << "\n";
    out << "Thumb=./base/tex/thumbs/thumb" << n << ".tex\n";
    out << "CStat=0\n";
    // The computer paddles cycle through the models.
    out << "Paddle=" << path(models[(s.number - 1) % models.size()].path) << "\n";
    out << "Opp=./base/tex/opponents/cpu" << n << ".tex\n";
    out << "map=" << (s.number == 10 ? "./base/tex/map10.tex" : "./base/tex/maps/map" + n + ".tex") << "\n";
    out << "ball=./base/tex/balls/ball" << n << ".tex\n";
    out << "opn=" << opponentNames()[s.number - 1] << "\n";
    out << "win=./base/sfx/win.sfx\n";
    out << "lose=./base/sfx/lose.sfx\n";
  }
  return out.str();
}

std::string defaultConfig() {
  // A windowed start on the first adapter with the 32-bit format (22, X8R8G8B8) and the last
  // display mode; IsSetup=1 so that a fresh installation starts the game directly.
  return "[ARU]\n"
         "IsSetup=1\n"
         "Adapter=0\n"
         "Device=1\n"
         "Format=22\n"
         "BackBuffer=22\n"
         "FullScreen=0\n"
         "Resolution=-1\n"
         "HasPure=0\n"
         "UseAA=0\n"
         "Samples=0\n"
         "Quality1=0\n"
         "ShowFPS=0\n"
         "Filter=2\n"
         "\n"
         // The game keys in the order the game writes them back at exit.
         "[Pong]\n"
         "PS=1\n"
         "TexNum=1\n"
         "Name=Player1\n"
         "Port=2205\n"
         "Server=\n"
         "GUIS=4.000000\n"
         "GUIG=0.010000\n"
         "Cheater=0\n"
         "Music=1\n"
         "SFX=1\n"
         "Model=1\n"
         "3DSound=0\n"
         "CChoice=0\n";
}

}  // namespace assetgen
