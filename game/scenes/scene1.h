// The main menu: the main page (new game, multiplayer, options, quit), the difficulty page, the
// network page and the options page, all GUI widgets over the splash picture, with menu music.
#pragma once

#include <memory>

#include "core/scene.h"
#include "core/sound.h"

class RallixGame;
class aruGUI;

class scene1 : public aruScene {
 public:
  explicit scene1(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

 private:
  std::unique_ptr<aruMP3> music;
};

namespace menus {

// Loads and starts a music file when the music option is on; logs a failure to the console.
void StartMusic(aruMP3& music, const char* fileName);
// The per-frame upkeep while the music option is on.
void KeepMusic(aruMP3& music);

// The four sensitivity arrows: the GUI value cycles through 1 … 10, the game value through
// 0.006 … 0.015 in steps of 0.001.
float RaiseGuiSensitivity(float value);
float LowerGuiSensitivity(float value);
float RaiseGameSensitivity(float value);
float LowerGameSensitivity(float value);
// The game value as the options page shows it: 1 … 10.
float GameSensitivityShown(float value);

// The options page's save: power shots, the crosshair and the player name ("Player1" when the
// text is empty, cut to 10 characters). Nothing is written to the configuration file here.
void SaveOptions(RallixGame& game, bool powerShots, bool crosshair, const char* name);

// The menu's pages; each hides every widget and shows its own.
void ShowMainPage(aruGUI& gui);
void ShowDifficultyPage(aruGUI& gui);
void ShowNetworkPage(aruGUI& gui);
void ShowOptionsPage(aruGUI& gui, RallixGame& game);

}  // namespace menus
