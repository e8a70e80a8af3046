// The game's console commands, run through the real console of a game object that has not
// been started: the debug group exists only with a non-zero Debug value, and each command
// changes what it should and prints its lines.
#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "rallix_game.h"
#include "rally_simulator.h"

namespace {

class FakeScene : public aruScene {
 public:
  explicit FakeScene(ARU* engine) : aruScene(engine) {}
  HRESULT Initialize() override { return 0; }
  HRESULT Render() override { return 0; }
};

std::string chatSent;
int namesSent = 0;
bool sessionOpen = false;

class GameCommands : public testing::Test {
 protected:
  void Start(int16_t mode) {
    savedDebugMode = debugMode;
    debugMode = mode;
    game = std::make_unique<RallixGame>();
    g_engine = game.get();
    BindGameCommands(*game);
  }
  void TearDown() override {
    game.reset();
    g_engine = nullptr;
    debugMode = savedDebugMode;
    networkCommandHooks = NetworkCommandHooks();
    commandScenes = CommandScenes();
  }
  const aruConsole::Line& LastLine() const { return game->GetLines().back(); }

  std::unique_ptr<RallixGame> game;
  int16_t savedDebugMode = 0;
};

TEST_F(GameCommands, DebugCommandsDoNotExistWithoutDebugMode) {
  Start(0);
  for (const char* command : {"pause", "credits", "fade", "unfade", "splats", "notext"}) {
    game->Execute(command);
    EXPECT_EQ(std::string(LastLine().text),
              std::string("No such command ") + command + "(). Check parameters and try again.");
  }
  game->Execute("jumpto 3");
  EXPECT_EQ(std::string(LastLine().text),
            "No such command jumpto(3). Check parameters and try again.");
  EXPECT_EQ(game->paused, 0);
  EXPECT_TRUE(game->showSplats);
  EXPECT_EQ(game->currentLevel, 1);
}

TEST_F(GameCommands, DebugCommandsToggleTheirFlags) {
  Start(2);
  game->Execute("pause");
  EXPECT_EQ(game->paused, 1);
  game->Execute("pause");
  EXPECT_EQ(game->paused, 0);
  game->Execute("splats");
  EXPECT_FALSE(game->showSplats);
  game->Execute("notext");
  EXPECT_FALSE(game->showText);
  game->Execute("notext");
  EXPECT_TRUE(game->showText);
}

TEST_F(GameCommands, JumpToSwitchesToTheMatchAtThatLevel) {
  Start(1);
  commandScenes.match = [](RallixGame* owner) -> aruScene* { return new FakeScene(owner); };
  game->goalsToWin = 9;
  game->Execute("jumpto 4");
  EXPECT_EQ(game->currentLevel, 4);
  EXPECT_EQ(game->goalsToWin, 9) << "no lock check, goals keep their value";
  EXPECT_TRUE(game->IsSceneChangePending());
  ASSERT_NE(game->GetNextScene(), nullptr);
  game->ChangeScene(nullptr);  // drops the waiting match scene
}

TEST_F(GameCommands, MissingSceneOrNetworkIsReportedNotIgnored) {
  Start(1);
  game->Execute("credits");
  EXPECT_EQ(LastLine().colour, 0xFFFF0000u);
  EXPECT_FALSE(game->IsSceneChangePending());
  game->Execute("say hello");
  EXPECT_EQ(std::string(LastLine().text), "say: network play is not available.");
  game->Execute("sound");
  EXPECT_EQ(std::string(LastLine().text), "sound: the sound device is not available.");
}

TEST_F(GameCommands, NickCutsToTenCharactersAndAnnouncesOnlyInASession) {
  Start(0);
  networkCommandHooks.hasSession = [] { return sessionOpen; };
  networkCommandHooks.sendName = [] { ++namesSent; };
  namesSent = 0;
  sessionOpen = false;
  game->Execute("nick Fifteen_letters");
  EXPECT_STREQ(game->playerName, "Fifteen_le");
  EXPECT_EQ(std::string(LastLine().text), "You are now known as Fifteen_le.");
  EXPECT_EQ(LastLine().colour, 0xFFAAAAFFu);
  EXPECT_EQ(namesSent, 0);
  sessionOpen = true;
  game->Execute("nick Ada");
  EXPECT_STREQ(game->playerName, "Ada");
  EXPECT_EQ(namesSent, 1);
}

TEST_F(GameCommands, SayAndConnectPassTheirTextToTheNetworkCode) {
  Start(0);
  networkCommandHooks.sendChat = [](const std::string& text) { chatSent = "chat:" + text; };
  networkCommandHooks.connect = [](const std::string& text) { chatSent = "connect:" + text; };
  game->Execute("say good game");
  EXPECT_EQ(chatSent, "chat:good game");
  game->Execute("connect 10.0.0.5:3000");
  EXPECT_EQ(chatSent, "connect:10.0.0.5:3000");
}

TEST_F(GameCommands, CameraCyclesAndPrintsEachView) {
  Start(0);
  game->Execute("camera");
  EXPECT_EQ(std::string(LastLine().text), "First person view.");
  EXPECT_EQ(LastLine().colour, 0xFFFFFFFFu);
  game->Execute("camera");
  game->Execute("camera");
  EXPECT_EQ(std::string(LastLine().text), "Fixed view.");
  EXPECT_EQ(game->cameraMode, 0);
}

TEST_F(GameCommands, QuitSetsTheQuitFlag) {
  Start(0);
  ASSERT_FALSE(game->IsQuitting());
  game->Execute("quit");
  EXPECT_TRUE(game->IsQuitting());
}

TEST_F(GameCommands, RulesMessagesReachTheConsole) {
  Start(0);
  game->StartMatch();
  game->awaitingServe = 0;
  game->ball.position.Set(2.0f, 0.0f, -12.2f);
  game->ball.velocity.Set(0.0f, 0.0f, -20.0f);
  game->towardOpponent = 0;
  game->soundEffects = 0;
  game->StepBall(FrameInput{});
  EXPECT_EQ(std::string(LastLine().text), "Player2 scored a point!");
  EXPECT_EQ(LastLine().colour, 0xFFFFAAAAu);
}

TEST_F(GameCommands, GameObjectPlaysRalliesWithItsMessagesOnTheConsole) {
  Start(0);
  RallySimulator simulator(*game, 2, 5, 1.0f / 60.0f);
  const SimulationReport report = simulator.Play(40);
  EXPECT_EQ(report.problems, 0) << report.firstProblem;
  EXPECT_EQ(report.rallies, 40);
  int goalLines = 0;
  for (const aruConsole::Line& line : game->GetLines()) {
    const std::string text = line.text;
    goalLines += text.find("scored a point!") != std::string::npos ||
                 text.find("POWER POINT!") != std::string::npos;
  }
  EXPECT_EQ(goalLines, 40) << "one console line per goal";
}

}  // namespace
