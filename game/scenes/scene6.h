// The host and join set-up screens: scene6 shows this computer's name and address and asks for
// a port and a password; scene7 asks for the host, the port and the password. Both lead into a
// network match scene and back to the main menu.
#pragma once

#include <memory>

#include "core/scene.h"
#include "core/sound.h"

class scene6 : public aruScene {
 public:
  explicit scene6(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

 private:
  std::unique_ptr<aruMP3> music;
};

class scene7 : public aruScene {
 public:
  explicit scene7(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

 private:
  std::unique_ptr<aruMP3> music;
};
