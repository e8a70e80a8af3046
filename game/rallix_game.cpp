// The game object.
#include "rallix_game.h"

#include <cstring>
#include <numbers>

#include "commands.h"
#include "core/ini_file.h"
#include "match_sounds.h"
#include "multiplayer/net_commands.h"
#include "services/gui.h"

namespace {
const char kDefaultLevelPath[] = ".\\base\\Default.pcf";
}

RallixGame::RallixGame() {
  std::memcpy(levelPath, kDefaultLevelPath, sizeof kDefaultLevelPath);
  // The rules' messages go to the console's message area.
  output.context = this;
  output.print = [](void* context, uint32_t colour, const char* text) {
    static_cast<RallixGame*>(context)->Print(text, colour);
  };
  output.play = PlayMatchSound;
}

RallixGame::~RallixGame() {
  // The scenes use the game's fields (sessions, sounds) in their Destroy.
  ReleaseScenes();
  if (GetConfig() != nullptr) WriteSettings(*GetConfig(), *this, *this, catalog);
}

FrameInput RallixGame::MakeFrameInput() {
  FrameInput frame;
  frame.dt = float(GetFrameTime());
  frame.tickMs = GetTickCount();
  frame.inactive = IsInactive();
  frame.consoleOpen = IsOpen();
  return frame;
}

bool RallixGame::SetLevelPath(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const size_t length = std::strlen(path);
  if (length >= kLevelPathSize) return false;
  std::memcpy(levelPath, path, length + 1);
  return true;
}

POINT RallixGame::ParkPoint() const {
  if (IsFullScreen()) return POINT{LONG(GetScreenWidth() / 2), LONG(GetScreenHeight() / 2)};
  return POINT{LONG(GetCentreX()), LONG(GetCentreY())};
}

// The menu textures every scene's GUI shares, each loaded through the texture pool.
void RallixGame::PrepareSharedGUI() {
  aruGUI* shared = GetGUI();
  if (shared == nullptr) return;
  const char* cursor =
      Is32Bit() ? ".\\base\\tex\\menu\\arrow.tex" : ".\\base\\tex\\menu\\arrow16.tex";
  shared->SetCursorTexture(LoadTexture(cursor));
  shared->SetOptionTextures(LoadTexture("./base/tex/menu/opt1.tex"),
                            LoadTexture("./base/tex/menu/opt2.tex"));
  shared->SetTextBoxTexture(LoadTexture(".\\base\\tex\\menu\\tb.tex"));
  shared->SetCheckBoxTextures(LoadTexture(".\\base\\tex\\menu\\cbo.tex"),
                              LoadTexture(".\\base\\tex\\menu\\cbc.tex"));
}

HRESULT RallixGame::GameInitialize() {
  const aruIniFile noFile(nullptr);
  const aruIniFile& settings = GetConfig() != nullptr ? *GetConfig() : noFile;
  debugMode = ReadDebugMode(settings);
  SetEnabled(true);
  SetShowRecent(false);
  BindGameCommands(*this);
  InstallNetworkCommandHooks();
  SetView(0.0f, 0.0f, -5.0f, 0.0f, 0.0f, 10.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1000.0f,
          std::numbers::pi_v<float> / 4.0f, 1.25f);
  ReadSettings(settings, *this, *this, catalog);
  aruConsole::Printf(0xFFFFFFFF, "Rallix Initialized. Welcome %s.", playerName);
  aruConsole::Printf(0xFFFFFFFF, "Loading level data from %s", levelPath);
  catalog.LoadCatalogue();
  catalog.ClampSelections();
  SetLighting(true, 0xFFFFFFFF);
  PrepareSharedGUI();
  if (debugMode != 0) Print("WARNING: Debug Mode!", 0xFFFF0000);
  if (GetGUI() != nullptr) {
    GetGUI()->SetSounds(".\\base\\sfx\\click.sfx", ".\\base\\sfx\\over.sfx");
  }
  return 0;
}
