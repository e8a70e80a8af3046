// The single-player match scene on the null device, frame by frame under the test clock: the
// match announcement and the level's defaults, the serve, pausing and the open console, the move
// to the results after a winning goal, and whole matches in attract mode.
#include <aru_platform.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "aru/test_support.h"
#include "core/ini_file.h"
#include "core/screenshot.h"
#include "demo.h"
#include "rallix_game.h"
#include "scenes/scene2.h"
#include "services/vb.h"

namespace {

constexpr uint32_t kConsoleKey = 96;

class MatchScene : public testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    platform::InstallTestClock(5'000'000);
    testing_support::WriteFile(dir.File("config.cfg"),
                               "[ARU]\nIsSetup=1\n[Pong]\nName=Tester\n");
    testing_support::WriteFile(dir.File("levels.pcf"),
                               "[Game]\nNumLevels=3\n[Level1]\nName=Test Court\nopn=Robo\n"
                               "[Level2]\nCStat=0\n");
    configPath = dir.File("config.cfg");
    logPath = dir.File("errlog.html");
    levelPath = dir.File("levels.pcf");
    attractMode = AttractMode();
  }
  void TearDown() override {
    delete game;
    g_engine = nullptr;
    attractMode = AttractMode();
    platform::RemoveTestClock();
  }

  void Start(int32_t level) {
    game = new RallixGame();
    g_engine = game;
    ASSERT_TRUE(game->SetLevelPath(levelPath.c_str()));
    aruInitParams params;
    params.wndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    };
    params.title = "Match Scene Test";
    params.logPath = logPath.c_str();
    params.configPath = configPath.c_str();
    params.consoleKey = kConsoleKey;
    params.allowSecondInstance = true;
    params.createSound = false;
    ASSERT_TRUE(SUCCEEDED(game->Initialize(params)));
    game->SeedRandom(7);
    game->selectedLevel = level;
    game->BeginSelectedLevel();
    scene = new scene2(game);
    game->ChangeScene(scene);
    ASSERT_TRUE(game->ApplySceneChange());
    ASSERT_EQ(game->GetPresentScene(), scene);
  }

  // One frame of the main loop, `ms` after the last one.
  void Frame(int64_t ms) {
    platform::AdvanceTestClock(ms * 1000);
    ASSERT_TRUE(SUCCEEDED(game->RenderFrame()));
  }

  bool ConsoleHas(const std::string& text) const {
    for (const auto& line : game->GetLines()) {
      if (text == line.text) return true;
    }
    return false;
  }

  testing_support::TempDir dir;
  std::string configPath, logPath, levelPath;
  RallixGame* game = nullptr;
  scene2* scene = nullptr;
};

TEST_F(MatchScene, AnnouncesTheLevelAndWaitsForTheServe) {
  Start(1);
  EXPECT_TRUE(ConsoleHas("Level 1: Test Court"));
  EXPECT_TRUE(ConsoleHas("5 goals wins it. May the best paddle win!"));
  EXPECT_STREQ(game->opponentName, "Robo");
  EXPECT_TRUE(ConsoleHas(game->towardOpponent ? "Robo serves. Click when ready!"
                                              : "You serve Tester. Click when ready!"));
  EXPECT_TRUE(scene->ShowsCrosshair());
  EXPECT_EQ(game->awaitingServe, 1);
  for (int i = 0; i < 30; ++i) Frame(16);
  // Nobody clicked: the ball rests at the origin and the match clock has not started.
  EXPECT_TRUE(game->ball.position.IsZero());
  EXPECT_EQ(game->awaitingServe, 1);
  EXPECT_EQ(game->GetPresentScene(), scene);
}

TEST_F(MatchScene, AnOpaqueMapIsDrawnUnblendedAndBlendingIsRestoredAfterTheArena) {
  // A 4 x 4 map of 24-bit pixels has no alpha channel.
  uint8_t header[kBitmapHeaderSize];
  WriteBitmapHeader(header, 4, 4);
  testing_support::WriteFile(dir.File("map.bmp"),
                             std::string(reinterpret_cast<const char*>(header), sizeof header) +
                                 std::string(4 * 4 * 3, '\x60'));
  testing_support::WriteFile(levelPath, "[Game]\nNumLevels=1\n[Level1]\nmap=" +
                                            dir.File("map.bmp") + "\n");
  Start(1);
  EXPECT_TRUE(scene->ArenaIsOpaque());
  Frame(16);
  DWORD blending = FALSE;
  ASSERT_EQ(game->GetDevice()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending), D3D_OK);
  EXPECT_EQ(blending, DWORD(TRUE)) << "the paddles and splats after the arena still blend";
  // Without a map there is nothing to vouch for: the arena blends as everything else.
  delete game;
  game = nullptr;
  testing_support::WriteFile(levelPath, "[Game]\nNumLevels=1\n[Level1]\nName=Bare\n");
  Start(1);
  EXPECT_FALSE(scene->ArenaIsOpaque());
}

TEST_F(MatchScene, LevelWithoutNameOrOpponentUsesTheDefaults) {
  Start(2);
  EXPECT_TRUE(ConsoleHas("Level 2: "));
  EXPECT_TRUE(ConsoleHas("7 goals wins it. May the best paddle win!"));
  EXPECT_STREQ(game->opponentName, "CPU");
  EXPECT_FALSE(scene->ShowsCrosshair());
}

TEST_F(MatchScene, TheServedBallMovesOnlyWhileActive) {
  Start(1);
  game->towardOpponent = 1;
  game->Serve(GetTickCount());
  ASSERT_EQ(game->awaitingServe, 0);
  Frame(16);
  Frame(16);
  const float z = game->ball.position.z;
  EXPECT_GT(z, 0.0f);

  game->paused = 1;
  const aruVector3 far = game->opponentPaddle;
  for (int i = 0; i < 10; ++i) Frame(16);
  EXPECT_EQ(game->ball.position.z, z);
  EXPECT_EQ(game->opponentPaddle.x, far.x);
  EXPECT_EQ(game->opponentPaddle.y, far.y);

  // The open console pauses the match as well, though the flag is clear.
  game->paused = 0;
  game->HandleKey(kConsoleKey, false);
  ASSERT_TRUE(game->aruConsole::IsOpen());
  for (int i = 0; i < 10; ++i) Frame(16);
  EXPECT_EQ(game->ball.position.z, z);

  game->HandleKey(kConsoleKey, false);
  Frame(16);
  EXPECT_GT(game->ball.position.z, z);
}

TEST_F(MatchScene, TheWinningGoalLeadsToTheResults) {
  Start(1);
  game->awaitingServe = 0;
  game->playerScore = game->goalsToWin - 1;
  // A ball about to pass the far paddle, far from it.
  game->opponentPaddle.Set(game->minX, game->minY, 12.0f);
  game->ball.position.Set(2.0f, 2.0f, 11.9f);
  game->ball.velocity.Set(0.0f, 0.0f, 20.0f);
  game->towardOpponent = 1;
  for (int i = 0; i < 10 && game->playerScore < game->goalsToWin; ++i) {
    EXPECT_FALSE(game->IsSceneChangePending());
    Frame(16);
  }
  EXPECT_EQ(game->playerScore, game->goalsToWin);
  ASSERT_TRUE(game->IsSceneChangePending());
  EXPECT_NE(game->GetNextScene(), nullptr);
  EXPECT_NE(game->GetNextScene(), scene);
}

TEST_F(MatchScene, AttractModePlaysAWholeMatchAndQuitsAfterTheResults) {
  Start(1);
  attractMode.enabled = true;
  attractMode.matchesLeft = 1;
  const float perFrame = game->aiSpeed * 0.016f * 1.01f + 1e-5f;
  int frames = 0;
  uint32_t longestRally = 0;
  // At most half an hour of play at 62.5 frames per second.
  while (!game->IsMatchOver() && frames < 112500) {
    const aruVector3 before = game->playerPaddle;
    Frame(16);
    ++frames;
    longestRally = std::max(longestRally, game->volley);
    if (frames > 2) {
      ASSERT_LE(std::fabs(game->playerPaddle.x - before.x), perFrame) << "frame " << frames;
      ASSERT_LE(std::fabs(game->playerPaddle.y - before.y), perFrame) << "frame " << frames;
    }
    ASSERT_GE(game->playerPaddle.x, game->minX);
    ASSERT_LE(game->playerPaddle.x, game->maxX);
  }
  ASSERT_TRUE(game->IsMatchOver()) << "no winner after " << frames << " frames";
  // The computer served after a second, and the near paddle returned the ball.
  EXPECT_GT(game->serveTime, 0u);
  EXPECT_GT(std::max(longestRally, game->highestVolley), 1u);
  const bool playerWon = game->playerScore >= game->goalsToWin;

  ASSERT_TRUE(game->IsSceneChangePending());
  ASSERT_NE(dynamic_cast<DemoShowcaseScene*>(game->GetNextScene()), nullptr);
  ASSERT_TRUE(game->ApplySceneChange());
  const aruIniFile catalogue(levelPath.c_str());
  EXPECT_EQ(catalogue.ReadInt("Level2", "CStat", 0) & 1, playerWon ? 1 : 0);

  // The results stay for their time, then the counted run is over and the program quits.
  for (uint32_t waited = 0; waited < demoResultsMs - 100; waited += 50) Frame(50);
  EXPECT_FALSE(game->IsQuitting());
  for (int i = 0; i < 4; ++i) Frame(50);
  EXPECT_TRUE(game->IsQuitting());
}

TEST_F(MatchScene, DeviceObjectsSurviveAnInvalidateAndRestore) {
  Start(1);
  game->towardOpponent = 1;
  game->Serve(GetTickCount());
  Frame(16);
  ASSERT_TRUE(SUCCEEDED(scene->InvalidateDeviceObjects()));
  ASSERT_TRUE(SUCCEEDED(scene->RestoreDeviceObjects()));
  const float z = game->ball.position.z;
  Frame(16);
  Frame(16);
  EXPECT_GT(game->ball.position.z, z);
  // The arena's collision box is rebuilt from the same limits: a ball aimed at the far end is
  // still predicted there.
  const aruVector3 hit =
      game->PredictToPlayer(aruVector3{0.0f, 0.0f, 0.0f}, aruVector3{0.0f, 0.0f, -1.0f}, 0);
  EXPECT_LT(hit.z, -11.0f);
}

TEST(ArenaGeometry, FacesLieOnTheBoxWithTheMapHalves) {
  const float scale[3] = {1.25f, 1.0f, 4.0f};
  aruNVertex v[20];
  scene2::MakeArenaVertices(scale, v);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(v[i].z, 12.0f);
    EXPECT_GE(v[i].u, 0.5f);
    EXPECT_FLOAT_EQ(v[i].nz, -1.0f);
  }
  for (int i = 4; i < 20; ++i) {
    EXPECT_FLOAT_EQ(std::fabs(v[i].z), 12.0f);
    // u runs from 0 at the near end to 0.5 at the far end.
    EXPECT_FLOAT_EQ(v[i].u, v[i].z < 0 ? 0.0f : 0.5f);
    EXPECT_EQ(v[i].colour, 0xFFFFFFFFu);
    // Every face lies on x = ±3.75 or y = ±3 and its normal points back into the box.
    const bool onSide = std::fabs(std::fabs(v[i].x) - 3.75f) < 1e-5f && v[i].nx != 0.0f;
    const bool onFloor = std::fabs(std::fabs(v[i].y) - 3.0f) < 1e-5f && v[i].ny != 0.0f;
    EXPECT_TRUE(onSide || onFloor) << i;
    EXPECT_LT(v[i].x * v[i].nx + v[i].y * v[i].ny, 0.0f) << i;
  }
}

}  // namespace
