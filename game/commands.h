// The game's console commands: "quit", "say", "nick", "ghost", "sound", "texture", "connect",
// "camera", and, only when key Debug is non-zero at start-up, "jumpto", "pause", "credits",
// "fade", "unfade", "splats" and "notext". Commands are plain functions that reach the game
// through the process-wide engine pointer.
#pragma once

#include <string>

class aruScene;
class RallixGame;

// Network operations behind "say", "connect" and the renaming announcement of "nick", filled
// in by the multiplayer code. A command whose operation is missing prints a failure line.
struct NetworkCommandHooks {
  void (*sendChat)(const std::string& text) = nullptr;
  void (*connect)(const std::string& text) = nullptr;
  bool (*hasSession)() = nullptr;
  void (*sendName)() = nullptr;
  void (*listLanHosts)() = nullptr;
};
extern NetworkCommandHooks networkCommandHooks;

// Scenes the debug commands "jumpto" and "credits" switch to, filled in by the scene code.
struct CommandScenes {
  aruScene* (*match)(RallixGame* game) = nullptr;
  aruScene* (*credits)(RallixGame* game) = nullptr;
};
extern CommandScenes commandScenes;

// Binds the commands in table order; the debug group only when debugMode is non-zero.
void BindGameCommands(RallixGame& game);

// The camera cycle of the "camera" command and the match scenes' C key: advance and print.
void CycleCameraAndPrint(RallixGame& game);
