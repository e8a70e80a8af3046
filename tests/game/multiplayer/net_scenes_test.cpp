// The set-up screens' and the host match scene's actions on a started game (null device) with
// a fake session: port and host checks, the "connect" command, the ids forgotten on every visit
// to the host set-up, start refused without a client, Escape ending a match then leaving, kick,
// reset and the chat line.
#include <dinput.h>
#include <dinput_test.h>

#include "fake_directplay.h"
#include "multiplayer/dp_server.h"
#include "multiplayer/net_match.h"
#include "multiplayer/net_protocol.h"
#include "scenes/net_actions.h"
#include "scenes/net_setup.h"
#include "scenes/scene6.h"
#include "started_game.h"

namespace {

class NetScenes : public StartedGame {
 protected:
  void SetUp() override {
    StartedGame::SetUp();
    savedDebug = debugMode;
    debugMode = 0;
  }
  void TearDown() override {
    debugMode = savedDebug;
    if (game && game->server) {
      game->server->dp = nullptr;
      game->server->deviceAddress = nullptr;
    }
    StartedGame::TearDown();
  }
  std::string LastLine() const { return game->GetLines().empty() ? "" : game->GetLines().back().text; }
  void HostWithClient(DPNID client) {
    game->server = std::make_unique<aruDPServer>();
    game->server->dp = &fakeServer;
    game->clientPlayerId = client;
  }
  // The join screen's boxes: host, port, password.
  void JoinBoxes(const char* host, const char* port) {
    aruGUI& gui = *game->GetGUI();
    for (int i = 0; i < 3; ++i) gui.AddTextBox(360, 530 - 65 * float(i), 25);
    gui.GetTextBox(0)->SetText(host);
    gui.GetTextBox(1)->SetText(port);
  }
  std::vector<BYTE> SentTypes() const {
    std::vector<BYTE> types;
    for (const auto& message : fakeServer.sent) types.push_back(message.bytes.at(0));
    return types;
  }

  fakes::FakeServer fakeServer;
  int16_t savedDebug = 0;
};

TEST_F(NetScenes, CreateGameChecksThePortAndAnnouncesAPassword) {
  aruGUI& gui = *game->GetGUI();
  gui.AddTextBox(360, 465, 5);
  gui.AddTextBox(360, 400, 15);
  for (const char* refused : {"65001", "0", "abc", "12ab"}) {
    gui.GetTextBox(0)->SetText(refused);
    netsetup::CreateGame(*game, gui);
    EXPECT_EQ(LastLine(), "Please enter a valid port in the range 1 - 65000.") << refused;
    EXPECT_EQ(game->GetLines().back().colour, 0xFF0000FFu);
    EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "2205");
    EXPECT_FALSE(game->IsSceneChangePending()) << refused;
  }
  gui.GetTextBox(0)->SetText("65000");
  gui.GetTextBox(1)->SetText("secret");
  game->goalsToWin = 9;
  game->paused = 1;
  netsetup::CreateGame(*game, gui);
  EXPECT_EQ(LastLine(), "Game is password protected.");
  EXPECT_EQ(game->port, 65000);
  EXPECT_EQ(game->password, "secret");
  EXPECT_EQ(game->goalsToWin, 5);
  EXPECT_EQ(game->paused, 0);
  EXPECT_TRUE(game->IsSceneChangePending());
}

TEST_F(NetScenes, JoinGameChecksPortAndHostAndKeepsThem) {
  JoinBoxes("127.0.0.1", "65001");
  netsetup::JoinGame(*game, *game->GetGUI());
  EXPECT_EQ(LastLine(), "Please enter a valid port in the range 1 - 65000.");
  EXPECT_STREQ(game->GetGUI()->GetTextBox(1)->GetText(), "2205");
  EXPECT_FALSE(game->IsSceneChangePending());

  game->GetGUI()->GetTextBox(0)->SetText("bad host");
  netsetup::JoinGame(*game, *game->GetGUI());
  EXPECT_FALSE(game->IsSceneChangePending());
  EXPECT_STRNE(game->serverHost, "bad host");

  game->GetGUI()->GetTextBox(0)->SetText("127.0.0.1");
  game->GetGUI()->GetTextBox(1)->SetText("4000");
  netsetup::JoinGame(*game, *game->GetGUI());
  EXPECT_STREQ(game->serverHost, "127.0.0.1");
  EXPECT_EQ(game->port, 4000);
  EXPECT_EQ(game->password, "");
  EXPECT_TRUE(game->IsSceneChangePending());
}

// A second press of Connect before the scene changed replaces the first join scene (dropped
// uninitialised, which the leak checker watches) with the latest boxes' target.
TEST_F(NetScenes, ConnectPressedTwiceLeavesOneJoinWithTheLatestTarget) {
  JoinBoxes("127.0.0.1", "4000");
  netsetup::JoinGame(*game, *game->GetGUI());
  game->GetGUI()->GetTextBox(0)->SetText("localhost");
  game->GetGUI()->GetTextBox(1)->SetText("4001");
  netsetup::JoinGame(*game, *game->GetGUI());
  EXPECT_TRUE(game->IsSceneChangePending());
  EXPECT_STREQ(game->serverHost, "localhost");
  EXPECT_EQ(game->port, 4001);
}

TEST_F(NetScenes, ConnectCommandUsageAndTargets) {
  // The console runs a text command only with an argument; the usage line is the command's own.
  netsetup::ConnectCommand(*game, "");
  EXPECT_EQ(LastLine(), "Connect Usage: connect ip:port");
  EXPECT_EQ(game->GetLines().back().colour, 0xFFFFFFB8u);
  EXPECT_FALSE(game->IsSceneChangePending());
  game->password = "kept";
  game->Execute("connect 10.0.0.5:3000");
  EXPECT_STREQ(game->serverHost, "10.0.0.5");
  EXPECT_EQ(game->port, 3000);
  EXPECT_EQ(game->password, "kept");
  EXPECT_TRUE(game->IsSceneChangePending());
  game->Execute("connect myhost");
  EXPECT_STREQ(game->serverHost, "myhost");
  EXPECT_EQ(game->port, 2205);
}

TEST_F(NetScenes, EveryVisitToTheHostSetUpForgetsThePlayerIds) {
  game->serverPlayerId = 3;
  game->clientPlayerId = 5;
  game->port = 4321;
  scene6 setup(game.get());
  ASSERT_EQ(setup.Initialize(), 0);
  EXPECT_EQ(game->serverPlayerId, noPlayerId);
  EXPECT_EQ(game->clientPlayerId, noPlayerId);
  const std::string line = game->GetGUI()->GetLabel(0)->GetText();
  EXPECT_EQ(line.rfind("Server: ", 0), 0u) << line;
  EXPECT_NE(line.find('('), std::string::npos) << line;
  EXPECT_STREQ(game->GetGUI()->GetTextBox(0)->GetText(), "4321");
  EXPECT_EQ(setup.Destroy(), 0);
}

TEST_F(NetScenes, StartWithoutAClientIsRefused) {
  AddHiddenHostControls();
  debugMode = 1;
  netactions::StartNetMatch(*game);
  ASSERT_GE(game->GetLines().size(), 2u);
  EXPECT_STREQ(game->GetLines()[game->GetLines().size() - 2].text, "Server ID: -1  Client ID: -1");
  EXPECT_EQ(LastLine(), "Not connected yet!");
  EXPECT_EQ(game->matchRunning, 0);
  EXPECT_TRUE(fakeServer.sent.empty());
}

// The two actions Escape is bound to during and after a match.
TEST_F(NetScenes, EscapeEndsTheMatchAndASecondEscapeLeaves) {
  AddHiddenHostControls();
  aruGUI& gui = *game->GetGUI();
  ShowHostSetupControls(gui);
  gui.GetTextBox(1)->SetText("7.9");
  gui.GetOption(2)->SetChecked(true);
  HostWithClient(9);
  game->playerScore = 4;
  netactions::StartNetMatch(*game);
  EXPECT_EQ(game->matchRunning, 1);
  EXPECT_EQ(game->awaitingServe, 1);
  EXPECT_EQ(game->goalsToWin, 7);
  EXPECT_EQ(game->speedSetting, 2);
  EXPECT_EQ(game->playerScore, 0);
  EXPECT_TRUE(gui.GetButton(0)->IsHidden());
  EXPECT_TRUE(gui.GetTextBox(1)->IsHidden());
  EXPECT_EQ(SentTypes(), (std::vector<BYTE>{messageScores, messageStartMatch, messageBall}));

  fakeServer.sent.clear();
  game->opponentScore = 2;
  netactions::EndNetMatch(*game);
  EXPECT_EQ(game->matchRunning, 0);
  EXPECT_EQ(game->opponentScore, 2);  // kept for the standings
  EXPECT_FALSE(gui.GetButton(0)->IsHidden());
  EXPECT_EQ(SentTypes(), (std::vector<BYTE>{messageEndMatch}));
  EXPECT_FALSE(game->IsSceneChangePending());

  netactions::LeaveToHostSetup();
  EXPECT_TRUE(game->IsSceneChangePending());
}

// The same through the real key binding: StartNetMatch binds Escape to the end of the match and
// EndNetMatch binds it back to leaving, each acting after the binding's 100 ms.
TEST_F(NetScenes, EscapeKeyThroughTheBindingEndsTheMatchThenLeaves) {
  platform::ResetTestInput();
  AddHiddenHostControls();
  ShowHostSetupControls(*game->GetGUI());
  HostWithClient(9);
  // The null video device has no window: the input reads the test keys through a made-up one.
  game->SetWindow(reinterpret_cast<HINSTANCE>(1), reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5151)));
  if (!game->HasKeyboard()) ASSERT_EQ(game->aruDInput::Create(), 0);
  game->SetEnabled(true);
  ASSERT_TRUE(game->IsEnabled());
  ASSERT_TRUE(SUCCEEDED(game->BindKey(DIK_ESCAPE, netactions::LeaveToHostSetup, 100)));
  netactions::StartNetMatch(*game);
  ASSERT_EQ(game->matchRunning, 1);
  auto pressEscape = [this] {
    platform::SetTestKey(DIK_ESCAPE, true);
    platform::AdvanceTestClock(100 * 1000);
    game->Dispatch();
    platform::SetTestKey(DIK_ESCAPE, false);
    game->Dispatch();
  };
  fakeServer.sent.clear();
  pressEscape();
  EXPECT_EQ(game->matchRunning, 0);
  EXPECT_EQ(SentTypes(), (std::vector<BYTE>{messageEndMatch}));
  EXPECT_FALSE(game->IsSceneChangePending());
  pressEscape();
  EXPECT_TRUE(game->IsSceneChangePending());
  platform::ResetTestInput();
}

TEST_F(NetScenes, KickNeedsAClientAndResetClearsTheStandings) {
  game->server = std::make_unique<aruDPServer>();
  game->server->dp = &fakeServer;
  netactions::KickClient(*game);
  EXPECT_EQ(fakeServer.destroyed, 0u);
  game->clientPlayerId = 12;
  netactions::KickClient(*game);
  EXPECT_EQ(fakeServer.destroyed, 12u);

  game->playerWins = 3;
  game->opponentWins = 2;
  game->playerScore = 5;
  game->highestVolley = 8;
  netactions::ResetStandings(*game);
  EXPECT_EQ(game->playerWins + game->opponentWins + game->playerScore, 0);
  EXPECT_EQ(game->highestVolley, 0u);
  EXPECT_EQ(SentTypes(), (std::vector<BYTE>{messageScores}));
}

TEST_F(NetScenes, ChatLineIsSentAndTheBoxEmptied) {
  HostWithClient(4);
  game->GetGUI()->AddTextBox(0, 40, 64);
  netactions::SendChatLine(*game);
  EXPECT_TRUE(fakeServer.sent.empty());
  game->GetGUI()->GetTextBox(0)->SetText("hello there");
  netactions::SendChatLine(*game);
  EXPECT_STREQ(game->GetGUI()->GetTextBox(0)->GetText(), "");
  ASSERT_EQ(SentTypes(), (std::vector<BYTE>{messageChat}));
  EXPECT_NE(LastLine().find("hello there"), std::string::npos);
}

}  // namespace
