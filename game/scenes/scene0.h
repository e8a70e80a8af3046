// The intro scene: the first scene the game runs.
#pragma once

#include "core/scene.h"

class scene0 : public aruScene {
 public:
  explicit scene0(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;
};
