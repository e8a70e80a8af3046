// The host and join set-up screens: scene6 shows this computer's name and address and asks for
// a port and a password; scene7 asks for the host, the port and the password. Both lead into a
// network match scene and back to the main menu.
#pragma once

#include <memory>

#include "core/scene.h"
#include "core/sound.h"
#include "multiplayer/lan_discovery.h"

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

  // How long the screen listens for a host on the local network when the host box is empty.
  static constexpr uint32_t lanWaitMs = 1000;

 private:
  // Fills an empty host box with the first host that answers within lanWaitMs.
  void PollLanSearch();

  std::unique_ptr<aruMP3> music;
  std::unique_ptr<LanSearch> lanSearch;
  uint32_t lanSearchStart = 0;
};
