// Network-event match resets. A game that has no fader or GUI (never started) skips them.
#include "net_match.h"

#include <cstring>

#include "multiplayer_state.h"
#include "rallix_game.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {
constexpr const char* notConnectedName = "Not Connected";
}

void ReturnToSetupPicture(RallixGame& game) {
  game.matchRunning = 0;
  if (aruFader* fader = game.GetFader()) fader->Cover();
  if (aruGUI* gui = game.GetGUI()) gui->SetCursorVisible(true);
  game.playerPaddle = aruVector3(0.0f, 0.0f, RallixMatch::playerEndZ);
  game.opponentPaddle = aruVector3(0.0f, 0.0f, RallixMatch::opponentEndZ);
  game.ball.position = aruVector3();
  game.ball.velocity = aruVector3();
  game.volley = 0;
  game.highestVolley = 0;
  game.powerShots = 0;
}

void ShowHostSetupControls(aruGUI& gui) {
  gui.GetButton(0)->SetHidden(false);
  gui.GetLabel(0)->SetHidden(false);
  gui.GetTextBox(1)->SetHidden(false);
  gui.GetButton(1)->SetHidden(false);
  for (int32_t option = 0; option < 3; ++option) gui.GetOption(option)->SetHidden(false);
  gui.GetLabel(1)->SetHidden(false);
  gui.GetButton(2)->SetHidden(false);
}

void ResetHostToWaiting(RallixGame& game) {
  std::memset(game.opponentName, 0, sizeof game.opponentName);
  std::strcpy(game.opponentName, notConnectedName);
  game.playerScore = 0;
  game.opponentScore = 0;
  game.playerWins = 0;
  game.opponentWins = 0;
  game.clientPlayerId = noPlayerId;
  game.awaitingServe = 0;
  ReturnToSetupPicture(game);
  if (aruGUI* gui = game.GetGUI()) ShowHostSetupControls(*gui);
}
