// The pick screen: the player's paddle turning in 3-D over the picture, arrows for the paddle
// model, the skin and the level, the level's thumbnail with a lock over it when the level is
// closed at the chosen difficulty, and Let's Go.
#pragma once

#include <memory>

#include "core/scene.h"
#include "core/sound.h"
#include "services/mesh.h"

class RallixGame;

class scene5 : public aruScene {
 public:
  explicit scene5(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

 private:
  std::unique_ptr<aruMP3> music;
  std::unique_ptr<aruCMesh> preview;
};

namespace menus {

// "Difficulty: Easy" … "Difficulty: Impossible" for 1 … 4 (an empty name otherwise).
const char* DifficultyLabel(int16_t difficulty);
// Whether the pick screen puts the lock over the selected level's thumbnail.
bool ShowsLock(const RallixGame& game);
// The pick screen's preview mesh while the screen lives, else null.
aruCMesh* PreviewPaddle();

}  // namespace menus
