// The intro scene, the first screen of the game, and the small helpers every menu scene shares:
// the game object behind the engine pointer, the F10 key, and scene changes.
#pragma once

#include "core/scene.h"

class RallixGame;

class scene0 : public aruScene {
 public:
  explicit scene0(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;
};

namespace menus {

// The process-wide engine as the game object (the engine of this program is always one).
RallixGame& Game();

// F10 in every menu: pause, then switch between full screen and a window.
void FullScreenKey();
HRESULT BindFullScreenKey();

// Asks the engine for the next scene (a change already pending that was never started is
// dropped by the engine).
void ChangeTo(aruScene* next);
void GoToMainMenu();
void GoToCredits();

}  // namespace menus
