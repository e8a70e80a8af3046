// Section "Pong" of the configuration file and the name and camera rules. Strings are read into
// buffers of the documented sizes; the sensitivities are stored as text and read with atof.
#include "settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "catalog.h"
#include "core/ini_file.h"
#include "match.h"

namespace {

constexpr const char* section = "Pong";
constexpr size_t nameBufferSize = 255;         // at most 254 characters
constexpr size_t sensitivityBufferSize = 50;   // at most 49 characters

float ReadSensitivity(const aruIniFile& config, const char* key, const char* defaultText) {
  char text[sensitivityBufferSize] = "";
  config.ReadString(text, sizeof text, section, key, defaultText);
  // A value beyond float's range would carry infinity into the paddle and ball speeds.
  const float value = float(std::atof(text));
  return std::isfinite(value) ? value : float(std::atof(defaultText));
}

void WriteFloat(const aruIniFile& config, const char* key, float value) {
  char text[64];
  snprintf(text, sizeof text, "%f", double(value));
  config.WriteString(section, key, text);
}

}  // namespace

int16_t ReadDebugMode(const aruIniFile& config) {
  return int16_t(config.ReadInt(section, "Debug", 0));
}

void ReadSettings(const aruIniFile& config, GameOptions& options, RallixMatch& match,
                  LevelCatalog& catalog) {
  match.powerShotsAllowed = config.ReadBool(section, "PS", true) ? 1 : 0;
  options.music = config.ReadBool(section, "Music", true);
  match.soundEffects = config.ReadBool(section, "SFX", true) ? 1 : 0;
  options.sound3D = config.ReadBool(section, "3DSound", false);
  catalog.skinNumber = config.ReadInt(section, "TexNum", 1);
  options.port = config.ReadInt(section, "Port", GameOptions::defaultPort);
  config.ReadString(options.serverHost, nameBufferSize, section, "Server", "");
  config.ReadString(match.playerName, nameBufferSize, section, "Name", "");
  catalog.paddleModel = config.ReadInt(section, "Model", 0);
  options.cameraMode = uint8_t(config.ReadInt(section, "CChoice", 0));
  options.showCrosshair = config.ReadBool(section, "Cheater", false);
  match.guiSensitivity = ReadSensitivity(config, "GUIS", "4.0");
  match.gameSensitivity = ReadSensitivity(config, "GUIG", "0.01");
}

void WriteSettings(const aruIniFile& config, const GameOptions& options,
                   const RallixMatch& match, const LevelCatalog& catalog) {
  config.WriteInt(section, "PS", match.powerShotsAllowed);
  config.WriteInt(section, "TexNum", catalog.skinNumber);
  config.WriteString(section, "Name", match.playerName);
  config.WriteInt(section, "Port", options.port);
  config.WriteString(section, "Server", options.serverHost);
  WriteFloat(config, "GUIS", match.guiSensitivity);
  WriteFloat(config, "GUIG", match.gameSensitivity);
  config.WriteInt(section, "Cheater", options.showCrosshair);
  config.WriteInt(section, "Music", options.music);
  config.WriteInt(section, "SFX", match.soundEffects);
  config.WriteInt(section, "Model", catalog.paddleModel);
  config.WriteInt(section, "3DSound", options.sound3D);
  config.WriteInt(section, "CChoice", options.cameraMode);
}

bool ApplyNick(char* playerName, size_t size, const std::string& text) {
  if (playerName == nullptr || size == 0) return false;
  if (text.empty()) {
    snprintf(playerName, size, "%s", defaultPlayerName);
    return false;
  }
  const std::string name = text.substr(0, nickLength);
  snprintf(playerName, size, "%s", name.c_str());
  return true;
}

const char* CycleCamera(uint8_t& cameraMode) {
  cameraMode += 1;
  if (cameraMode == 1) return "First person view.";
  if (cameraMode == 2) return "Third person view.";
  cameraMode = 0;
  return "Fixed view.";
}
