// The player's options kept in section "Pong" of the configuration file: read at start-up in a
// fixed order, written back in another fixed order when the game object is destroyed. Also the
// two small option rules the console and the match keys share: renaming the player and cycling
// the camera view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class aruIniFile;
class LevelCatalog;
class RallixMatch;

// Options of the game object besides the match state and the catalogue selections.
struct GameOptions {
  static constexpr int32_t defaultPort = 2205;

  char serverHost[256] = "";  // 254 characters used
  int32_t port = defaultPort;
  int32_t playerSkinTexture = -1;
  int32_t opponentSkinTexture = -1;
  uint8_t cameraMode = 0;  // 0 fixed, 1 first person, 2 third person
  bool showSplats = true;
  bool showText = true;
  bool showCrosshair = false;  // on every level, not only level 1 (key Cheater)
  bool music = true;
  bool sound3D = false;
};

int16_t ReadDebugMode(const aruIniFile& config);
// Reads PS, Music, SFX, 3DSound, TexNum, Port, Server, Name, Model, CChoice, Cheater, GUIS and
// GUIG, in that order. A missing Name leaves the player name empty.
void ReadSettings(const aruIniFile& config, GameOptions& options, RallixMatch& match,
                  LevelCatalog& catalog);
// Writes PS, TexNum, Name, Port, Server, GUIS, GUIG, Cheater, Music, SFX, Model, 3DSound and
// CChoice in one replacement of the section: keys already in the file keep their place, new ones
// follow in that order, and keys of others (Debug) stay. Failed writes are not reported.
void WriteSettings(const aruIniFile& config, const GameOptions& options,
                   const RallixMatch& match, const LevelCatalog& catalog);

constexpr size_t nickLength = 10;
constexpr const char* defaultPlayerName = "Player1";
// The player's new name: the text cut to 10 characters, or "Player1" for an empty text.
// Returns true when the new name is to be announced to a network peer.
bool ApplyNick(char* playerName, size_t size, const std::string& text);

// Advances the camera mode (wrapping after third person) and returns the line to print.
const char* CycleCamera(uint8_t& cameraMode);
