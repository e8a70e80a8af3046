// Section "Pong" of the configuration file and the name and camera rules. Strings are read into
// buffers of the documented sizes; the sensitivities are stored as text and read with atof.
#include "settings.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalog.h"
#include "core/ini_file.h"
#include "match.h"

namespace {

constexpr const char* section = "Pong";
constexpr size_t nameBufferSize = 255;         // at most 254 characters
constexpr size_t sensitivityBufferSize = 50;   // at most 49 characters
// Above the largest profile file the reader accepts, so a section is never read cut.
constexpr size_t maxSectionBytes = 64u << 20;

float ReadSensitivity(const aruIniFile& config, const char* key, const char* defaultText) {
  char text[sensitivityBufferSize] = "";
  config.ReadString(text, sizeof text, section, key, defaultText);
  // A value beyond float's range would carry infinity into the paddle and ball speeds.
  const float value = float(std::atof(text));
  return std::isfinite(value) ? value : float(std::atof(defaultText));
}

// One key the settings save owns, with its new value as text.
struct OwnedKey {
  const char* key;
  std::string value;
};

std::string IntText(int32_t value) { return std::to_string(value); }

std::string FloatText(float value) {
  char text[64];
  snprintf(text, sizeof text, "%f", double(value));
  return text;
}

// Values are stored on one line, without leading blanks, as the per-key writer stores them.
std::string OneLine(const char* text) {
  std::string value(text);
  value = value.substr(0, value.find_first_of("\r\n"));
  return value.substr(std::min(value.size(), value.find_first_not_of(" \t")));
}

bool SameKey(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) &&
         std::equal(a.begin(), a.end(), b, [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

// The section's current "key=value" lines; a missing file or section gives none.
std::vector<std::string> SectionLines(const char* path) {
  std::vector<char> buffer(4096);
  DWORD length = 0;
  // A full buffer reports its size minus two; a larger one is tried then.
  while ((length = GetPrivateProfileSectionA(section, buffer.data(), DWORD(buffer.size()), path)) ==
             buffer.size() - 2 && buffer.size() < maxSectionBytes) {
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> lines;
  for (DWORD at = 0; at < length; at += DWORD(lines.back().size()) + 1) lines.emplace_back(buffer.data() + at);
  return lines;
}

// The section as it will be saved: each owned key's line replaced where it stands, the lines of
// keys owned by others kept, and owned keys new to the file added in their fixed order.
std::string MergedSection(const std::vector<std::string>& current, std::vector<OwnedKey> owned) {
  std::string list;
  for (const std::string& line : current) {
    const std::string name = line.substr(0, line.find('='));
    const auto match = std::find_if(owned.begin(), owned.end(), [&](const OwnedKey& k) {
      return k.key != nullptr && SameKey(name.substr(0, name.find_last_not_of(" \t") + 1), k.key);
    });
    if (match == owned.end()) {
      // Kept up to a stray carriage return or NUL, which would refuse or end the list.
      const std::string kept = OneLine(line.c_str());
      if (!kept.empty()) list.append(kept).push_back('\0');
      continue;
    }
    list.append(match->key).append("=").append(match->value).push_back('\0');
    match->key = nullptr;  // written; a repeated line of the same key keeps its text
  }
  for (const OwnedKey& k : owned) {
    if (k.key != nullptr) list.append(k.key).append("=").append(k.value).push_back('\0');
  }
  list.push_back('\0');
  return list;
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
  if (config.GetPath() == nullptr) return;
  const std::vector<OwnedKey> owned = {
      {"PS", IntText(match.powerShotsAllowed)},   {"TexNum", IntText(catalog.skinNumber)},
      {"Name", OneLine(match.playerName)},        {"Port", IntText(options.port)},
      {"Server", OneLine(options.serverHost)},    {"GUIS", FloatText(match.guiSensitivity)},
      {"GUIG", FloatText(match.gameSensitivity)}, {"Cheater", IntText(options.showCrosshair)},
      {"Music", IntText(options.music)},          {"SFX", IntText(match.soundEffects)},
      {"Model", IntText(catalog.paddleModel)},    {"3DSound", IntText(options.sound3D)},
      {"CChoice", IntText(options.cameraMode)}};
  // One replacement of the whole section: a save killed midway leaves all old or all new keys.
  const std::string list = MergedSection(SectionLines(config.GetPath()), owned);
  WritePrivateProfileSectionA(section, list.c_str(), config.GetPath());
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
