// The program's entry point: creates the game object, starts the engine with the game's
// parameters, logs the class sizes, runs the intro scene and shuts down.
#include <windows.h>
#include <aru_platform.h>

#include <cstdio>
#include <string>

#include "demo.h"
#include "memory_usage.h"
#include "rallix_game.h"
#include "scenes/scene0.h"

static LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Windows hands a program its command line as one string; the arguments are joined back with
// single spaces so a catalogue path containing blanks arrives whole.
static std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

int main(int argc, char** argv) {
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

  const std::string commandLine = JoinArguments(argc, argv);
  if (!commandLine.empty() && !game->SetLevelPath(commandLine.c_str())) {
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
