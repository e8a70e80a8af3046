// Attract mode without a device: the computer's near paddle (speed limit, landing on the target,
// limits, pauses), the serve delay, counting matches, the ARU_DEMO value, the frame-time median
// and the "demo" command.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "commands.h"
#include "demo.h"
#include "rallix_game.h"

namespace {

class NearPaddle : public testing::Test {
 protected:
  void SetUp() override {
    attractMode = AttractMode();
    match.aiSpeed = 1.5f;
    frame.dt = 0.1f;  // at most 0.15 a frame on each axis
  }
  RallixMatch match;
  FrameInput frame;
};

TEST_F(NearPaddle, HeadsForThePredictedArrivalNoFasterThanTheComputer) {
  // Both axes lie further off than the aiming error, so the first step is a whole one.
  match.playerTarget.Set(1.0f, -1.0f, -12.0f);
  MoveNearPaddleByComputer(match, frame);
  EXPECT_FLOAT_EQ(std::fabs(match.playerPaddle.x), 0.15f);
  EXPECT_FLOAT_EQ(std::fabs(match.playerPaddle.y), 0.15f);
  EXPECT_FLOAT_EQ(match.playerPaddle.z, -12.0f);
  for (int i = 0; i < 40; ++i) MoveNearPaddleByComputer(match, frame);
  // It settles beside the arrival, within the aiming error, and stays there without oscillating.
  const float x = match.playerPaddle.x;
  const float y = match.playerPaddle.y;
  EXPECT_LE(std::fabs(x - 1.0f), demoAimError);
  EXPECT_LE(std::fabs(y + 1.0f), demoAimError);
  MoveNearPaddleByComputer(match, frame);
  EXPECT_EQ(match.playerPaddle.x, x);
  EXPECT_EQ(match.playerPaddle.y, y);
}

TEST_F(NearPaddle, DrawsANewAimingErrorForEveryIncomingBall) {
  SeedAttractAim(7);
  std::set<float> settled;
  for (int ball = 0; ball < 6; ++ball) {
    // Each ball arrives at the same height; only the new prediction changes the aim.
    match.playerTarget.Set(0.0f, 0.0f, ball % 2 == 0 ? -12.0f : -11.999f);
    for (int i = 0; i < 40; ++i) MoveNearPaddleByComputer(match, frame);
    settled.insert(match.playerPaddle.x);
    EXPECT_LE(std::fabs(match.playerPaddle.x), demoAimError);
  }
  EXPECT_GE(settled.size(), 5u);
}

TEST_F(NearPaddle, FollowsTheBallWithoutAPredictionAndStaysWithinTheLimits) {
  match.ball.position.Set(-10.0f, 10.0f, 3.0f);
  for (int i = 0; i < 100; ++i) MoveNearPaddleByComputer(match, frame);
  EXPECT_EQ(match.playerPaddle.x, match.minX);
  EXPECT_EQ(match.playerPaddle.y, match.maxY);
}

TEST_F(NearPaddle, RestsWhilePausedOrWithTheConsoleOpenOrInactive) {
  match.playerTarget.Set(1.0f, 1.0f, -12.0f);
  match.paused = 1;
  MoveNearPaddleByComputer(match, frame);
  match.paused = 0;
  frame.consoleOpen = true;
  MoveNearPaddleByComputer(match, frame);
  frame.consoleOpen = false;
  frame.inactive = true;
  MoveNearPaddleByComputer(match, frame);
  EXPECT_TRUE(match.playerPaddle.x == 0.0f && match.playerPaddle.y == 0.0f);
}

TEST_F(NearPaddle, ReturnsLikeAStillMouseSoItNeverMakesPowerHits) {
  match.xPow = 400.0f;  // left over from a fast mouse before the mode was switched on
  match.yPow = 185.0f;
  match.playerTarget.Set(0.5f, 0.0f, -12.0f);
  MoveNearPaddleByComputer(match, frame);
  EXPECT_FLOAT_EQ(match.xPow, 390.0f);
  EXPECT_FLOAT_EQ(match.yPow, 180.0f);
  EXPECT_TRUE(match.paddleStep.IsZero());
}

TEST(AttractServe, WaitsASecondAndNeverServesWhilePaused) {
  RallixMatch match;
  match.awaitingServe = 1;
  EXPECT_FALSE(DemoShouldServe(match, 1999, 1000));
  EXPECT_TRUE(DemoShouldServe(match, 2000, 1000));
  match.paused = 1;
  EXPECT_FALSE(DemoShouldServe(match, 5000, 1000));
  match.paused = 0;
  match.awaitingServe = 0;
  EXPECT_FALSE(DemoShouldServe(match, 5000, 1000));
  // The tick count wrapping between start and now still counts the time between them.
  match.awaitingServe = 1;
  EXPECT_TRUE(DemoShouldServe(match, 500, 0xFFFFFE00u));
}

// Whole attract matches on the rules alone, at 60 frames a second: every match of level 1 ends
// within two minutes of game time at every difficulty, and each side wins some of them.
TEST(AttractMatch, EndsWithinMinutesAtEveryDifficultyAndEitherSideWins) {
  int nearWins = 0;
  int farWins = 0;
  for (int16_t difficulty = 1; difficulty <= 4; ++difficulty) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
      SeedAttractAim(seed);
      RallixMatch match;
      match.SeedRandom(seed);
      match.difficulty = difficulty;
      match.selectedLevel = 1;
      match.BeginSelectedLevel();
      match.StartMatch();
      FrameInput frame;
      frame.dt = 1.0f / 60.0f;
      int frames = 0;
      for (; !match.IsMatchOver() && frames < 120 * 60; ++frames) {
        frame.tickMs = uint32_t(frames) * 1000u / 60u;
        MoveNearPaddleByComputer(match, frame);
        if (DemoShouldServe(match, frame.tickMs, 0)) match.Serve(frame.tickMs);
        match.MoveComputerPaddle(frame);
        if (!match.awaitingServe) match.StepBall(frame);
      }
      ASSERT_TRUE(match.IsMatchOver()) << "difficulty " << difficulty << " seed " << seed << ": "
                                       << match.playerScore << "-" << match.opponentScore;
      (match.playerScore > match.opponentScore ? nearWins : farWins) += 1;
    }
  }
  EXPECT_GE(nearWins, 4);
  EXPECT_GE(farWins, 4);
}

TEST(AttractRun, MatchCountAcceptsOnlyPositiveNumbers) {
  EXPECT_EQ(ParseMatchCount("1"), 1);
  EXPECT_EQ(ParseMatchCount("12"), 12);
  for (const char* bad : {"", "0", "-2", "x", "3x", " ", "99999999999999999999"}) {
    EXPECT_EQ(ParseMatchCount(bad), 0) << bad;
  }
  EXPECT_EQ(ParseMatchCount(nullptr), 0);
}

TEST(AttractRun, CountsDownTheMatches) {
  attractMode = AttractMode();
  attractMode.matchesLeft = 2;
  EXPECT_TRUE(DemoNextMatch());
  EXPECT_FALSE(DemoNextMatch());
  EXPECT_EQ(attractMode.matchesLeft, 0);
  attractMode = AttractMode();
}

TEST(AttractRun, EnvironmentStartsACountedRunWithPicturesAndBenchmark) {
  attractMode = AttractMode();
  setenv("ARU_DEMO", "3", 1);
  setenv("ARU_DEMO_SHOTS", "/tmp/pictures", 1);
  setenv("ARU_BENCH", "1", 1);
  EXPECT_TRUE(ReadAttractEnvironment());
  EXPECT_TRUE(attractMode.enabled);
  EXPECT_EQ(attractMode.matchesLeft, 3);
  EXPECT_TRUE(attractMode.bench);
  EXPECT_EQ(DemoShotPath("match", 2), "/tmp/pictures/match2.bmp");

  attractMode = AttractMode();
  setenv("ARU_DEMO", "many", 1);
  unsetenv("ARU_DEMO_SHOTS");
  setenv("ARU_BENCH", "0", 1);
  EXPECT_FALSE(ReadAttractEnvironment());
  EXPECT_FALSE(attractMode.enabled);
  EXPECT_FALSE(attractMode.bench);
  EXPECT_EQ(DemoShotPath("match", 1), "");
  unsetenv("ARU_DEMO");
  unsetenv("ARU_BENCH");
  EXPECT_FALSE(ReadAttractEnvironment());
  attractMode = AttractMode();
}

TEST(AttractRun, FrameTimeMedianUsesOnlyTheReservedRoom) {
  FrameTimes times;
  EXPECT_EQ(times.Median(), 0.0);
  times.Add(1.0);  // no room reserved: dropped
  EXPECT_EQ(times.Count(), 0u);
  times.Reserve(4);
  for (double t : {0.004, 0.001, 0.003, 0.002, 0.009}) times.Add(t);
  EXPECT_EQ(times.Count(), 4u);
  EXPECT_FLOAT_EQ(float(times.Median()), 0.003f);
}

TEST(AttractCommand, DemoTogglesTheModeAndJumptoReachesTheMatch) {
  attractMode = AttractMode();
  auto game = std::make_unique<RallixGame>();
  g_engine = game.get();
  InstallAttractMode(*game);
  game->Execute("demo");
  EXPECT_TRUE(attractMode.enabled);
  EXPECT_STREQ(game->GetLines().back().text, "Attract mode on: the computer plays both paddles.");
  game->Execute("demo");
  EXPECT_FALSE(attractMode.enabled);
  EXPECT_STREQ(game->GetLines().back().text, "Attract mode off.");
  ASSERT_NE(commandScenes.match, nullptr);
  commandScenes = CommandScenes();
  game.reset();
  g_engine = nullptr;
}

}  // namespace
