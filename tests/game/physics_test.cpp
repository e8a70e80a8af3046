// The rally rules: returns at both ends, the goal lines, power shots and power balls, the
// per-return speed-up, wall bounces, the serve, the mouse-driven paddle and its return factors.
#include <gtest/gtest.h>

#include <cmath>

#include "match_recorder.h"

namespace {

constexpr float dt = 0.01f;

TEST(StepBall, BallAlignedWithThePlayerIsReturnedEvenPastTheGoalLine) {
  RecordingMatch match;
  match.Rally(aruVector3(0, 0, -12.05f), aruVector3(0, 0, -20));
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.opponentScore, 0);
  EXPECT_EQ(match.volley, 1u);
  EXPECT_EQ(match.towardOpponent, 1);
  EXPECT_FLOAT_EQ(match.ball.velocity.z, 20.5f) << "negated, plus Easy's speed-up";
  EXPECT_NEAR(match.ball.position.z, -11.875f + 20.5f * dt, 1e-5f);
  EXPECT_EQ(match.CountSounds(MatchSound::ping), 1);
  EXPECT_TRUE(match.playerTarget.IsZero());
  EXPECT_NEAR(match.aiTarget.z, 11.5f, 1e-4f) << "the computer heads for the far-end crossing";
}

TEST(StepBall, UnalignedBallBetweenTheLinesIsNeitherReturnedNorScoredUntilItPassesMinus12) {
  RecordingMatch match;
  match.Rally(aruVector3(1.5f, 0, -11.99f), aruVector3(0, 0, -5));
  match.StepBall(Frame(0.001f));
  EXPECT_EQ(match.opponentScore, 0);
  EXPECT_EQ(match.volley, 0u);
  EXPECT_FLOAT_EQ(match.ball.velocity.z, -5.0f);
  EXPECT_NEAR(match.ball.position.z, -11.995f, 1e-5f);
  match.StepBall(Frame(0.002f));
  EXPECT_EQ(match.opponentScore, 0) << "at -12.005 the goal is only seen on the next step";
  ASSERT_LT(match.ball.position.z, -12.0f);
  match.StepBall(Frame(0.001f));
  EXPECT_EQ(match.opponentScore, 1);
  EXPECT_EQ(match.playerScore, 0);
}

TEST(StepBall, FarPaddleReturnsWithTheLevelsSidewaysFactor) {
  RecordingMatch match;
  match.currentLevel = 3;
  match.Rally(aruVector3(0.6f, 0, 12.0f), aruVector3(0, 0, 30));
  const aruVector3 ballUnit = match.ball.position.Normalised();
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.playerScore, 0);
  EXPECT_EQ(match.towardOpponent, 0);
  EXPECT_FLOAT_EQ(match.ball.velocity.x, 120.0f * ballUnit.x);
  EXPECT_FLOAT_EQ(match.ball.velocity.z, -30.5f);
  EXPECT_EQ(match.CountSounds(MatchSound::pong), 1);
  EXPECT_EQ(match.aiTarget.x, 0.0f);
  EXPECT_EQ(match.aiTarget.y, 0.0f);
  EXPECT_EQ(match.aiTarget.z, 12.0f);
  EXPECT_NEAR(match.playerTarget.z, -11.5f, 1e-4f);
}

TEST(StepBall, WaitingForTheServeTheBallRestsAtTheOrigin) {
  RecordingMatch match;
  ASSERT_EQ(match.awaitingServe, 1);
  for (int i = 0; i < 10; ++i) match.StepBall(Frame(0.1f));
  EXPECT_TRUE(match.ball.position.IsZero());
  EXPECT_TRUE(match.ball.velocity.IsZero());
  EXPECT_EQ(match.playerScore + match.opponentScore, 0);
}

TEST(StepBall, ReturnSideFactorsComeFromTheMouse) {
  RecordingMatch match;
  match.xPow = 250.0f;
  match.yPow = 100.0f;
  match.Rally(aruVector3(0.3f, -0.2f, -12.0f), aruVector3(0, 0, -20));
  const aruVector3 ballUnit = match.ball.position.Normalised();
  match.StepBall(Frame(dt));
  EXPECT_FLOAT_EQ(match.ball.velocity.x, ballUnit.x * 250.0f);
  EXPECT_FLOAT_EQ(match.ball.velocity.y, (ballUnit.y - 0.0f) * 100.0f);
}

TEST(PowerShots, FastMouseAtTheReturnMakesAPowerHit) {
  RecordingMatch match;
  match.xPow = 360.0f;
  match.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.power, 25.0f);
  EXPECT_EQ(match.powerShots, 1);
  ASSERT_TRUE(match.Printed("POWER HIT!"));
  EXPECT_EQ(match.lines.back().colour, 0xFF00FF00u);
  EXPECT_EQ(match.CountSounds(MatchSound::power), 1);
  EXPECT_TRUE(match.powerSplat.IsVisible(1000));
  // The power ball travels faster than its stored velocity: z moves by (vz + power) × dt.
  EXPECT_NEAR(match.ball.position.z, -11.875f + (20.5f + 25.0f) * dt, 1e-4f);
}

TEST(PowerShots, NotAllowedOrTooSlowMeansAnOrdinaryReturn) {
  RecordingMatch notAllowed;
  notAllowed.powerShotsAllowed = 0;
  notAllowed.yPow = 500.0f;
  notAllowed.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
  notAllowed.StepBall(Frame(dt));
  EXPECT_EQ(notAllowed.power, 0.0f);
  EXPECT_EQ(notAllowed.powerShots, 0);

  RecordingMatch slow;
  slow.xPow = 359.9f;
  slow.yPow = 359.9f;
  slow.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
  slow.StepBall(Frame(dt));
  EXPECT_EQ(slow.power, 0.0f);
  EXPECT_FALSE(slow.Printed("POWER HIT!"));
  EXPECT_NEAR(slow.hitSplat.centre.z, -11.875f, 1e-5f) << "the hit splat moves to the ball";
}

TEST(PowerShots, PowerBallOnlyGrowsAndIsNeverANewPowerHit) {
  RecordingMatch match;
  match.power = 25.0f;
  match.powerShots = 1;
  match.xPow = 1000.0f;
  match.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.power, 35.0f);
  EXPECT_EQ(match.powerShots, 1);
  EXPECT_FALSE(match.Printed("POWER HIT!"));
  EXPECT_EQ(match.CountSounds(MatchSound::power), 1);
  EXPECT_EQ(match.CountSounds(MatchSound::ping), 0);

  match.Rally(aruVector3(0, 0, 12.0f), aruVector3(0, 0, 20));
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.power, 40.0f) << "the far paddle adds 5";
  EXPECT_EQ(match.powerShots, 1);
}

TEST(PowerShots, SpreadWidensBothAxesAwayFromZero) {
  aruVector3 v(2.0f, -1.0f, 9.0f);
  RallixMatch::PowerSpread(v, 30.0f);
  EXPECT_FLOAT_EQ(v.x, 5.0f);
  EXPECT_FLOAT_EQ(v.y, -4.0f);
  EXPECT_FLOAT_EQ(v.z, 9.0f);
  aruVector3 still(0.0f, 0.0f, 1.0f);
  RallixMatch::PowerSpread(still, 10.0f);
  EXPECT_FLOAT_EQ(still.x, -1.0f) << "zero counts as not positive";
  RallixMatch::PowerSpread(still, 0.0f);
  EXPECT_FLOAT_EQ(still.x, -1.0f);
}

TEST(HitSpeedUp, EachDifficultyAddsItsStepBelowItsLimit) {
  struct Row {
    int16_t difficulty;
    float added;
    float limit;
  };
  const Row rows[] = {{1, 0.5f, 50}, {2, 1.0f, 60}, {3, 1.25f, 70}, {4, 1.5f, 80}};
  RecordingMatch match;
  for (const Row& row : rows) {
    match.difficulty = row.difficulty;
    match.ball.velocity.z = -(row.limit - 0.01f);
    EXPECT_EQ(match.HitSpeedUp(), row.added) << row.difficulty;
    match.ball.velocity.z = row.limit;
    EXPECT_EQ(match.HitSpeedUp(), 0.0f) << row.difficulty;
  }
  match.difficulty = 0;
  match.ball.velocity.z = 1.0f;
  EXPECT_EQ(match.HitSpeedUp(), 0.0f);
  match.difficulty = 5;
  EXPECT_EQ(match.HitSpeedUp(), 0.0f);
}

TEST(HitSpeedUp, ImpossibleDepthSpeedStopsGrowingAt80) {
  RecordingMatch match;
  match.difficulty = 4;
  float speed = 15.0f;
  float fastest = 0.0f;
  for (int volley = 0; volley < 100; ++volley) {
    const bool atPlayer = volley % 2 == 0;
    match.Rally(aruVector3(0, 0, atPlayer ? -12.0f : 12.0f),
                aruVector3(0, 0, atPlayer ? -speed : speed));
    match.StepBall(Frame(0.0f));
    speed = std::fabs(match.ball.velocity.z);
    fastest = std::max(fastest, speed);
  }
  EXPECT_GE(fastest, 80.0f);
  EXPECT_LT(fastest, 81.5f);
  EXPECT_EQ(speed, fastest) << "once past 80 it neither grows nor shrinks";
}

TEST(Goals, FarSideScoresPastThePlayersLineAndTheBallRebounds) {
  RecordingMatch match;
  match.volley = 7;
  match.highestVolley = 3;
  match.Rally(aruVector3(2.0f, 1.0f, -12.1f), aruVector3(1, 0, -20));
  match.StepBall(Frame(0.0f));
  EXPECT_EQ(match.opponentScore, 1);
  ASSERT_TRUE(match.Printed("Player2 scored a point!"));
  EXPECT_EQ(match.lines.back().colour, 0xFFFFAAAAu);
  EXPECT_FLOAT_EQ(match.ball.position.z, -11.975f);
  EXPECT_FLOAT_EQ(match.ball.velocity.z, 20.0f);
  EXPECT_EQ(match.towardOpponent, 1);
  EXPECT_EQ(match.highestVolley, 7u);
  EXPECT_EQ(match.volley, 0u);
  EXPECT_EQ(match.CountSounds(MatchSound::score), 1);
  EXPECT_TRUE(match.goalSplat.IsVisible(1050));
  EXPECT_FALSE(match.goalSplat.IsVisible(1100));
  EXPECT_TRUE(match.playerTarget.IsZero());
  EXPECT_NEAR(match.aiTarget.z, 11.5f, 1e-4f);
}

TEST(Goals, PlayerScoresPastTheFarLineWithAPowerPoint) {
  RecordingMatch match;
  match.power = 35.0f;
  match.opponentPaddle.x = -2.0f;
  match.highestVolley = 9;
  match.volley = 4;
  match.Rally(aruVector3(0.5f, -0.5f, 12.1f), aruVector3(0, 0, 30));
  match.StepBall(Frame(0.0f));
  EXPECT_EQ(match.playerScore, 1);
  ASSERT_TRUE(match.Printed("POWER POINT! Nice shot Player1!"));
  EXPECT_EQ(match.lines.back().colour, 0xFFAAAAFFu);
  EXPECT_EQ(match.power, 0.0f);
  EXPECT_FLOAT_EQ(match.ball.position.z, 11.975f);
  EXPECT_EQ(match.towardOpponent, 0);
  EXPECT_EQ(match.highestVolley, 9u) << "the highest volley never shrinks";
  EXPECT_TRUE(match.aiTarget.IsZero()) << "the computer follows the ball";
  EXPECT_NEAR(match.playerTarget.z, -11.5f, 1e-4f);
}

TEST(Goals, WithSoundEffectsOffNothingIsPlayed) {
  RecordingMatch match;
  match.soundEffects = 0;
  match.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
  match.StepBall(Frame(dt));
  match.Rally(aruVector3(3.0f, 0, -12.5f), aruVector3(0, 0, -20));
  match.StepBall(Frame(dt));
  match.Rally(aruVector3(3.5f, 0, 0), aruVector3(5, 0, 20));
  match.StepBall(Frame(dt));
  EXPECT_EQ(match.volley + match.highestVolley, 1u);
  EXPECT_EQ(match.opponentScore, 1);
  EXPECT_TRUE(match.sounds.empty());
}

TEST(BounceWalls, BallBeyondAWallIsPutBackAndReflected) {
  RecordingMatch match;
  match.Rally(aruVector3(3.5f, -2.8f, 1.0f), aruVector3(10, -4, 20));
  match.BounceWalls(Frame(0.0f, 500));
  EXPECT_FLOAT_EQ(match.ball.position.x, 3.15f);
  EXPECT_FLOAT_EQ(match.ball.position.y, -2.55f);
  EXPECT_EQ(match.ball.velocity.x, -10.0f);
  EXPECT_EQ(match.ball.velocity.y, 4.0f);
  ASSERT_EQ(match.CountSounds(MatchSound::wall), 2);
  EXPECT_TRUE(match.sounds[0].withVelocity);
  EXPECT_FLOAT_EQ(match.sideSplat.centre.x, 2.9f + 0.8375f);
  EXPECT_FLOAT_EQ(match.floorSplat.centre.y, -2.3f - 0.6875f);
  EXPECT_EQ(match.sideSplat.startTick, 500u);

  match.Rally(aruVector3(-3.2f, 2.6f, 1.0f), aruVector3(-1, 1, 20));
  match.BounceWalls(Frame(0.0f));
  EXPECT_FLOAT_EQ(match.ball.position.x, -3.15f);
  EXPECT_FLOAT_EQ(match.ball.position.y, 2.55f);
  EXPECT_FLOAT_EQ(match.sideSplat.centre.x, -2.9f - 0.8375f);
  EXPECT_FLOAT_EQ(match.floorSplat.centre.y, 2.3f + 0.6875f);
}

TEST(BounceWalls, BallInsideTheLimitsIsLeftAlone) {
  RecordingMatch match;
  match.Rally(aruVector3(3.15f, -2.55f, 0), aruVector3(10, -4, 20));
  match.BounceWalls(Frame(0.0f));
  EXPECT_EQ(match.ball.velocity.x, 10.0f);
  EXPECT_TRUE(match.sounds.empty());
}

TEST(Serve, StartsTheRallyOnceAndOnlyWhenNotPaused) {
  RecordingMatch match;
  match.paused = 1;
  match.Serve(2000);
  EXPECT_EQ(match.awaitingServe, 1);
  EXPECT_TRUE(match.ball.velocity.IsZero());
  match.paused = 0;
  match.towardOpponent = 1;
  match.Serve(2000);
  EXPECT_EQ(match.awaitingServe, 0);
  EXPECT_EQ(match.serveTime, 2000u);
  EXPECT_EQ(match.serves, 1);
  EXPECT_EQ(match.ball.velocity.z, 15.0f);
  EXPECT_NEAR(match.aiTarget.z, 11.5f, 1e-4f);
  const aruVector3 served = match.ball.velocity;
  match.Serve(3000);
  EXPECT_EQ(match.serves, 1);
  EXPECT_EQ(match.ball.velocity.x, served.x);
}

TEST(Serve, SidewaysSpeedsAreWholeStepsFromMinus2_5To2_5) {
  RecordingMatch match;
  bool seenLowest = false;
  bool seenHighest = false;
  for (int i = 0; i < 200; ++i) {
    match.StartMatch();
    match.towardOpponent = 0;
    match.Serve(0);
    for (float component : {match.ball.velocity.x, match.ball.velocity.y}) {
      EXPECT_GE(component, -2.5f);
      EXPECT_LE(component, 2.5f);
      EXPECT_EQ(component + 2.5f, std::floor(component + 2.5f));
      seenLowest = seenLowest || component == -2.5f;
      seenHighest = seenHighest || component == 2.5f;
    }
    EXPECT_EQ(match.ball.velocity.z, -15.0f);
    EXPECT_NEAR(match.playerTarget.z, -11.5f, 1e-4f);
  }
  EXPECT_TRUE(seenLowest && seenHighest);
}

TEST(MatchStart, CoinFlipPicksEitherServerAndResetsTheMatch) {
  RecordingMatch match;
  int playerServes = 0;
  for (uint32_t seed = 0; seed < 100; ++seed) {
    match.playerScore = 3;
    match.power = 5.0f;
    match.aiTarget.Set(1, 1, 1);
    match.playerPaddle.Set(2, 2, -12);
    match.SeedRandom(seed);
    match.StartMatch();
    playerServes += match.towardOpponent;
    EXPECT_EQ(match.playerScore, 0);
    EXPECT_EQ(match.power, 0.0f);
    EXPECT_TRUE(match.aiTarget.IsZero());
    EXPECT_EQ(match.playerPaddle.x, 0.0f);
    EXPECT_EQ(match.awaitingServe, 1);
  }
  EXPECT_GT(playerServes, 20);
  EXPECT_LT(playerServes, 80);
}

TEST(MovePlayerPaddle, StillMouseKeepsTheFactorsAtLeast180AndDecaysFastOnes) {
  RecordingMatch match;
  const POINT park{640, 512};
  EXPECT_FALSE(match.MovePlayerPaddle(Frame(1.0f), park, park));
  EXPECT_EQ(match.xPow, 180.0f);
  EXPECT_EQ(match.yPow, 180.0f);
  match.xPow = 390.0f;
  match.yPow = 200.0f;
  EXPECT_FALSE(match.MovePlayerPaddle(Frame(0.5f), park, park));
  EXPECT_FLOAT_EQ(match.xPow, 340.0f);
  EXPECT_FLOAT_EQ(match.yPow, 180.0f);
  EXPECT_TRUE(match.paddleStep.IsZero());
}

TEST(MovePlayerPaddle, SlowMoveSetsTheFactorsDownTo90) {
  RecordingMatch match;
  const POINT park{640, 512};
  EXPECT_TRUE(match.MovePlayerPaddle(Frame(dt), POINT{641, 512}, park));
  EXPECT_FLOAT_EQ(match.xPow, 92.0f);
  EXPECT_FLOAT_EQ(match.yPow, 90.0f);
  EXPECT_FLOAT_EQ(match.playerPaddle.x, 0.01f);
  EXPECT_FALSE(match.MovePlayerPaddle(Frame(dt), park, park));
  EXPECT_EQ(match.xPow, 180.0f) << "a still mouse raises it back to 180 at once";
}

TEST(MovePlayerPaddle, ScreenYIsFlippedAndThePaddleIsClamped) {
  RecordingMatch match;
  const POINT park{400, 300};
  EXPECT_TRUE(match.MovePlayerPaddle(Frame(dt), POINT{450, 200}, park));
  EXPECT_FLOAT_EQ(match.playerPaddle.x, 0.5f);
  EXPECT_FLOAT_EQ(match.playerPaddle.y, 1.0f) << "cursor up moves the paddle up";
  EXPECT_FLOAT_EQ(match.paddleStep.x, 0.5f);
  EXPECT_FLOAT_EQ(match.paddleStep.y, 1.0f);
  EXPECT_FLOAT_EQ(match.xPow, 190.0f);
  EXPECT_FLOAT_EQ(match.yPow, 290.0f);
  EXPECT_TRUE(match.MovePlayerPaddle(Frame(dt), POINT{1400, 1300}, park));
  EXPECT_EQ(match.playerPaddle.x, 2.9f);
  EXPECT_EQ(match.playerPaddle.y, -2.3f);
  EXPECT_EQ(match.playerPaddle.z, -12.0f);
  EXPECT_GE(match.xPow, 360.0f) << "a move of 135 pixels or more is a power move";
}

TEST(MovePlayerPaddle, InactiveGameIgnoresTheMouse) {
  RecordingMatch match;
  FrameInput frame = Frame(1.0f);
  frame.inactive = true;
  match.xPow = 300.0f;
  EXPECT_FALSE(match.MovePlayerPaddle(frame, POINT{900, 900}, POINT{0, 0}));
  EXPECT_EQ(match.playerPaddle.x, 0.0f);
  EXPECT_EQ(match.xPow, 300.0f);
}

TEST(DebugMode, OnlyModeOnePrintsTheHitLine) {
  const int16_t saved = debugMode;
  for (int16_t mode : {int16_t(0), int16_t(1), int16_t(2)}) {
    debugMode = mode;
    RecordingMatch match;
    match.Rally(aruVector3(0, 0, -12.0f), aruVector3(0, 0, -20));
    match.StepBall(Frame(dt));
    EXPECT_EQ(match.Printed("Debug: Distance=0.000 Xpow=180.000 Ypow=180.000"), mode == 1);
  }
  debugMode = saved;
}

TEST(BallAndSplats, SpinWrapsAndSplatsGrowForOneTenthOfASecond) {
  PlayBall ball;
  for (int i = 0; i < 62; ++i) ball.Spin();
  EXPECT_NEAR(ball.spinAngle, 6.2f, 1e-3f);
  ball.Spin();
  EXPECT_EQ(ball.spinAngle, 0.0f);

  GoalSplat splat(3.0f);
  EXPECT_FALSE(splat.IsVisible(0)) << "never marked";
  splat.MarkSplat(aruVector3(1, 2, 3), 5000);
  EXPECT_TRUE(splat.IsVisible(5000));
  EXPECT_FLOAT_EQ(splat.Growth(5050), 0.5f);
  EXPECT_TRUE(splat.IsVisible(5099));
  EXPECT_FALSE(splat.IsVisible(5100));
  EXPECT_EQ(splat.centre.y, 2.0f);
}

}  // namespace
