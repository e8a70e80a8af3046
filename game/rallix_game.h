// The game object: the engine object plus the game's data, settings and console commands.
#pragma once

#include "core/aru.h"

class RallixGame final : public ARU {
 public:
  RallixGame();
  ~RallixGame();

  HRESULT GameInitialize() override;

  // The level catalogue to read: the command line when one was given, else the default file.
  // A path longer than the buffer is refused (the default stays) rather than cut or overrun.
  bool SetLevelPath(const char* path);
  const char* GetLevelPath() const { return levelPath; }

  static constexpr size_t kLevelPathSize = 260;

 private:
  char levelPath[kLevelPathSize];
};
