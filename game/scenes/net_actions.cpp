// The match scenes' button and key actions. They run on the main thread; the network senders
// they call take netLock themselves.
#include "scenes/net_actions.h"

#include <dinput.h>

#include <string>

#include "multiplayer/dp_server.h"
#include "multiplayer/net_lock.h"
#include "multiplayer/net_match.h"
#include "multiplayer/net_protocol.h"
#include "multiplayer/net_rules.h"
#include "rallix_game.h"
#include "scenes/scene6.h"
#include "services/fader.h"
#include "services/gui.h"

namespace netactions {

uint32_t matchStartTick = 0;

namespace {

constexpr uint32_t escapeIntervalMs = 100;
constexpr uint32_t speedGroup = 1;

RallixGame& Game() { return *static_cast<RallixGame*>(g_engine); }
void EndNetMatchKey() { EndNetMatch(Game()); }

void HideHostSetupControls(aruGUI& gui) {
  gui.GetButton(0)->SetHidden(true);
  gui.GetButton(1)->SetHidden(true);
  gui.GetLabel(0)->SetHidden(true);
  gui.GetTextBox(1)->SetHidden(true);
  for (int32_t option = 0; option < 3; ++option) gui.GetOption(option)->SetHidden(true);
  gui.GetLabel(1)->SetHidden(true);
  gui.GetButton(2)->SetHidden(true);
}

}  // namespace

void StartNetMatch(RallixGame& game) {
  NetLockGuard guard(game.netLock);
  if (debugMode != 0) {
    game.aruConsole::Printf(0xFFFFFFFF, "Server ID: %d  Client ID: %d",
                            static_cast<int>(game.serverPlayerId), static_cast<int>(game.clientPlayerId));
  }
  if (game.clientPlayerId == noPlayerId) {
    game.aruConsole::Print("Not connected yet!", 0xFF00FF00);
    return;
  }
  game.playerScore = 0;
  game.opponentScore = 0;
  SendScores();
  aruGUI* gui = game.GetGUI();
  game.awaitingServe = 1;
  game.speedSetting = gui != nullptr ? gui->SelectedOption(speedGroup) : -1;
  if (aruFader* fader = game.GetFader()) fader->Reveal();
  if (gui != nullptr) {
    HideHostSetupControls(*gui);
    game.goalsToWin = ReadMaxScore(gui->GetTextBox(1)->GetText());
    gui->SetCursorVisible(false);
  }
  game.matchRunning = 1;
  matchStartTick = GetTickCount();
  game.BindKey(DIK_ESCAPE, EndNetMatchKey, escapeIntervalMs);
  SendStartMatch();
  SendBall(BALL_EVENT_NONE);
  if (gui != nullptr) gui->ClickAt(2.0f, 2.0f);
}

void EndNetMatch(RallixGame& game) {
  NetLockGuard guard(game.netLock);
  ReturnToSetupPicture(game);
  game.awaitingServe = 0;
  if (aruGUI* gui = game.GetGUI()) ShowHostSetupControls(*gui);
  SendEndMatch();
  game.BindKey(DIK_ESCAPE, LeaveToHostSetup, escapeIntervalMs);
}

void KickClient(RallixGame& game) {
  if (game.server != nullptr && game.clientPlayerId != noPlayerId) {
    game.server->DestroyClient(game.clientPlayerId);
  }
}

void ResetStandings(RallixGame& game) {
  NetLockGuard guard(game.netLock);
  game.playerScore = 0;
  game.opponentScore = 0;
  game.playerWins = 0;
  game.opponentWins = 0;
  game.volley = 0;
  game.highestVolley = 0;
  game.powerShots = 0;
  SendScores();
}

void SendChatLine(RallixGame& game) {
  aruGUI* gui = game.GetGUI();
  aruTextBox* box = gui != nullptr ? gui->GetTextBox(0) : nullptr;
  if (box == nullptr) return;
  const std::string text = box->GetText();
  box->SetText("");
  if (!text.empty()) SendChat(text.c_str());
}

void LeaveToHostSetup() { g_engine->ChangeScene(new scene6(g_engine)); }
void LeaveToJoinSetup() { g_engine->ChangeScene(new scene7(g_engine)); }

}  // namespace netactions
