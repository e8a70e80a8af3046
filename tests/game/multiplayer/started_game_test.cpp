// The network events' effects on a started game (null device): the host's set-up controls
// shown again and the set-up picture faded back when the client leaves, and the joining
// side's picture cleared and restored by the start and end of a match.
#include <aru_platform.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "started_game.h"
#include "multiplayer/net_handlers.h"
#include "multiplayer/net_protocol.h"
#include "rallix_game.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {

TEST_F(StartedGame, TheClientLeavingShowsTheHostControlsAndCoversThePicture) {
  AddHiddenHostControls();
  game->GetFader()->SetClear();
  game->clientPlayerId = 5;
  DPNMSG_DESTROY_PLAYER message{};
  message.dwSize = sizeof message;
  message.dpnidPlayer = 5;
  ServerMessageHandler(nullptr, DPN_MSGID_DESTROY_PLAYER, &message);
  aruGUI& gui = *game->GetGUI();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(gui.GetButton(i)->IsHidden()) << "button " << i;
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(gui.GetLabel(i)->IsHidden()) << "label " << i;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(gui.GetOption(i)->IsHidden()) << "option " << i;
  EXPECT_FALSE(gui.GetTextBox(1)->IsHidden());
  EXPECT_TRUE(game->GetFader()->IsCovering());
}

TEST_F(StartedGame, StartAndEndOfAMatchClearAndRestoreTheSetUpPicture) {
  game->GetFader()->SetCovered();
  BYTE start[5] = {0x38, 3, 0, 0, 0};
  DPNMSG_RECEIVE message{};
  message.pReceiveData = start;
  message.dwReceiveDataSize = sizeof start;
  ClientReceive(&message);
  EXPECT_TRUE(game->GetFader()->IsRevealing());
  EXPECT_EQ(game->matchRunning, 1);

  game->GetFader()->SetClear();  // the reveal has run its course
  BYTE end[1] = {0x37};
  message.pReceiveData = end;
  message.dwReceiveDataSize = 1;
  ClientReceive(&message);
  EXPECT_TRUE(game->GetFader()->IsCovering());
  EXPECT_EQ(game->matchRunning, 0);
}

}  // namespace
