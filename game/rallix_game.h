// The game object: the engine object plus the game's data, settings and console commands.
#pragma once

#include "catalog.h"
#include "core/aru.h"
#include "match.h"
#include "multiplayer/multiplayer_state.h"
#include "settings.h"

class aruSound;

// The match state and rules (RallixMatch), the player's options (GameOptions) and the network
// match's fields (MultiplayerState) are part of the game object, so scenes, commands, callbacks
// and the network handlers reach them as the game's own fields.
class RallixGame final : public ARU, public RallixMatch, public GameOptions, public MultiplayerState {
 public:
  RallixGame();
  ~RallixGame();

  HRESULT GameInitialize() override;

  // The level catalogue to read: the command line when one was given, else the default file.
  // A path longer than the buffer is refused (the default stays) rather than cut or overrun.
  bool SetLevelPath(const char* path);
  const char* GetLevelPath() const { return levelPath; }

  static constexpr size_t kLevelPathSize = 260;

  // The per-frame values the rules read from the engine.
  FrameInput MakeFrameInput();
  // Where the mouse is parked between frames: the back buffer's centre in full screen, the
  // engine's centre point in a window.
  POINT ParkPoint() const;

  // The six match sounds, created by the match scene; a missing one is simply not played.
  aruSound* pingSound = nullptr;
  aruSound* pongSound = nullptr;
  aruSound* scoreSound = nullptr;
  aruSound* wallSound = nullptr;
  aruSound* powerSound = nullptr;
  aruSound* screenshotSound = nullptr;
  aruSound* GetMatchSound(MatchSound sound) const;

 private:
  void PrepareSharedGUI();

  char levelPath[kLevelPathSize];

 public:
  // Reads the catalogue at levelPath, so it is declared after it.
  LevelCatalog catalog{levelPath};
};
