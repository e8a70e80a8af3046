// The console command functions and their binding. Each command looks the game up through
// g_engine, the one engine object of the process.
#include "commands.h"

#include <string>

#include "rallix_game.h"
#include "services/fader.h"

#include "core/sound.h"

NetworkCommandHooks networkCommandHooks;
CommandScenes commandScenes;

namespace {

constexpr D3DCOLOR colourWhite = 0xFFFFFFFF;
constexpr D3DCOLOR colourFailure = 0xFFFF0000;
constexpr D3DCOLOR colourNick = 0xFFAAAAFF;
constexpr const char* ghostTexture = "./base/tex/nothing.tex";

RallixGame& Game() { return *static_cast<RallixGame*>(g_engine); }

void Unavailable(const char* command, const char* what) {
  Game().aruConsole::Printf(colourFailure, "%s: %s is not available.", command, what);
}

void QuitCommand() { Game().Quit(); }

void SayCommand(std::string text) {
  if (networkCommandHooks.sendChat == nullptr) return Unavailable("say", "network play");
  networkCommandHooks.sendChat(text);
}

void NickCommand(std::string text) {
  RallixGame& game = Game();
  const bool announce = ApplyNick(game.playerName, sizeof game.playerName, text);
  if (announce && networkCommandHooks.hasSession != nullptr && networkCommandHooks.hasSession() &&
      networkCommandHooks.sendName != nullptr) {
    networkCommandHooks.sendName();
  }
  game.aruConsole::Printf(colourNick, "You are now known as %s.", game.playerName);
}

void GhostCommand() {
  RallixGame& game = Game();
  game.playerSkinTexture = game.LoadTexture(ghostTexture);
}

void SoundCommand() {
  RallixGame& game = Game();
  if (game.GetAudio() != nullptr) return game.GetAudio()->DumpStatistics(&game);
  Unavailable("sound", "the sound device");
}

void TextureCommand() { Game().aruTexPool::DumpStatistics(); }

void ConnectCommand(std::string text) {
  if (networkCommandHooks.connect == nullptr) return Unavailable("connect", "network play");
  networkCommandHooks.connect(text);
}

void LanCommand() {
  if (networkCommandHooks.listLanHosts == nullptr) return Unavailable("lan", "network play");
  networkCommandHooks.listLanHosts();
}

void CameraCommand() { CycleCameraAndPrint(Game()); }

void JumpToCommand(int32_t level) {
  RallixGame& game = Game();
  if (commandScenes.match == nullptr) return Unavailable("jumpto", "the match scene");
  game.currentLevel = level;
  game.ChangeScene(commandScenes.match(&game));
}

void PauseCommand() { Game().paused = !Game().paused; }

void CreditsCommand() {
  RallixGame& game = Game();
  if (commandScenes.credits == nullptr) return Unavailable("credits", "the credits scene");
  game.ChangeScene(commandScenes.credits(&game));
}

void FadeCommand() {
  if (Game().GetFader() == nullptr) return Unavailable("fade", "the fader");
  Game().GetFader()->Reveal();
}

void UnfadeCommand() {
  if (Game().GetFader() == nullptr) return Unavailable("unfade", "the fader");
  Game().GetFader()->Cover();
}

void SplatsCommand() { Game().showSplats = !Game().showSplats; }

void NoTextCommand() { Game().showText = !Game().showText; }

}  // namespace

void CycleCameraAndPrint(RallixGame& game) {
  game.Print(CycleCamera(game.cameraMode), colourWhite);
}

void BindGameCommands(RallixGame& game) {
  game.Bind("quit", 0, QuitCommand, false);
  game.Bind("say", 7, SayCommand, false);
  game.Bind("nick", 7, NickCommand, false);
  game.Bind("ghost", 0, GhostCommand, false);
  game.Bind("sound", 0, SoundCommand, false);
  game.Bind("texture", 0, TextureCommand, false);
  game.Bind("connect", 7, ConnectCommand, false);
  game.Bind("lan", 0, LanCommand, false);
  game.Bind("camera", 0, CameraCommand, false);
  if (debugMode == 0) return;
  game.Bind("jumpto", 1, JumpToCommand, false);
  game.Bind("pause", 0, PauseCommand, false);
  game.Bind("credits", 0, CreditsCommand, false);
  game.Bind("fade", 0, FadeCommand, false);
  game.Bind("unfade", 0, UnfadeCommand, false);
  game.Bind("splats", 0, SplatsCommand, false);
  game.Bind("notext", 0, NoTextCommand, false);
}
