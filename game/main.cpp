// The program's entry point: answers --help and --version, creates the game object, starts the
// engine with the game's parameters, logs the class sizes, runs the intro scene and shuts down.
#include <windows.h>
#include <aru_platform.h>

#include <cstdio>
#include <string>

#include "command_line.h"
#include "demo.h"
#include "memory_usage.h"
#include "rallix_game.h"
#include "scenes/scene0.h"

static LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
  switch (ReadStartRequest(argc, argv)) {
    case StartRequest::Help:
      fputs(UsageText().c_str(), stdout);
      return 0;
    case StartRequest::Version:
      fputs(VersionText().c_str(), stdout);
      return 0;
    case StartRequest::Play:
      break;
  }

  // An installed game runs in the player's own data folder; a catalogue named relative to where
  // the player started it is taken from there.
  const std::string commandLine = JoinArguments(argc, argv);
  const std::string catalogue = AbsolutePath(commandLine);
  const platform::DataFolder data = platform::EnterDataFolder(
      "quillmark-rallix", {"config.cfg", "Default.pcf", "errlog.html", "shots"});
  if (!data.problem.empty()) {
    fprintf(stderr, "rallix-game: %s; playing with the default settings from %s, which is not kept\n",
            data.problem.c_str(), data.folder.c_str());
  }
  const std::string& levelPath = data.installed ? catalogue : commandLine;

  RallixGame* game = new RallixGame();
  g_engine = game;

  aruInitParams params;
  params.wndProc = GameWindowProc;
  params.givenWindow = nullptr;
  params.instance = GetModuleHandleA(NULL);
  params.title = "Quillmark Rallix";
  params.consoleTexture = ".\\base\\tex\\console.tex";
  params.iconResource = 101;
  params.consoleKey = 96;
  params.scrollbackLines = 200;
  params.consoleColour = 0xFF000000;
  params.consoleTransparency = 0.75f;
  params.cursorWidth = 50.0f;
  params.cursorHeight = 50.0f;
  params.logPath = ".\\base\\errlog.html";
  params.configPath = ".\\base\\config.cfg";
  params.logTitle = "Rallix Error Log";
  params.cursorTexture = ".\\base\\menu\\arrow.tex";
  params.immediatePresent = false;
  params.allowSecondInstance = true;
  params.createSound = true;
  params.createGUI = true;
  params.createFader = true;

  if (!levelPath.empty()) fputs(MissingCatalogueWarning(levelPath.c_str()).c_str(), stderr);
  if (!levelPath.empty() && !game->SetLevelPath(levelPath.c_str())) {
    fprintf(stderr, "rallix-game: the level catalogue path is longer than %zu characters; using %s\n",
            RallixGame::kLevelPathSize - 1, game->GetLevelPath());
  }

  if (SUCCEEDED(game->Initialize(params))) {
    platform::InstallTerminationHandler(game->GetWindow());
    LogMemoryUsage(*game);
    InstallAttractMode(*game);
    aruScene* attractStart = StartAttractRun(*game);
    game->Run(attractStart != nullptr ? attractStart : new scene0(game));
  }

  delete game;
  g_engine = nullptr;
  return 0;
}
