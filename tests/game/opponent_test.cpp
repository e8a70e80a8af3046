// The computer opponent: speed by difficulty and level, the paddle landing exactly on its
// target, resting on the limits, following the ball, and standing still while the match is
// paused, the console is open or the window is inactive.
#include <gtest/gtest.h>

#include <cstring>

#include "match_recorder.h"

namespace {

TEST(ComputerSpeed, DifficultySetsTheBaseAndEachLevelAddsATenth) {
  RallixMatch match;
  match.currentLevel = 1;
  EXPECT_FLOAT_EQ(match.ComputerSpeed(1), 1.5f);
  EXPECT_FLOAT_EQ(match.ComputerSpeed(2), 2.0f);
  EXPECT_FLOAT_EQ(match.ComputerSpeed(3), 3.0f);
  EXPECT_FLOAT_EQ(match.ComputerSpeed(4), 5.0f);
  EXPECT_EQ(match.ComputerSpeed(0), 0.0f);
  EXPECT_EQ(match.ComputerSpeed(5), 0.0f);
  match.currentLevel = 6;
  EXPECT_FLOAT_EQ(match.ComputerSpeed(3), 3.5f);
  EXPECT_EQ(match.ComputerSpeed(-1), 0.0f);
}

TEST(ChooseDifficulty, AlwaysRestartsAtLevelOneWithFiveGoals) {
  RallixMatch match;
  match.currentLevel = 7;
  match.goalsToWin = 17;
  match.paused = 1;
  std::strcpy(match.opponentName, "Someone");
  match.ChooseDifficulty(3);
  EXPECT_EQ(match.currentLevel, 1);
  EXPECT_EQ(match.goalsToWin, 5);
  EXPECT_EQ(match.paused, 0);
  EXPECT_EQ(match.difficulty, 3);
  EXPECT_STREQ(match.opponentName, "CPU");
}

TEST(BeginSelectedLevel, SetsGoalsAndSpeedFromTheLevel) {
  RallixMatch match;
  match.difficulty = 3;
  match.selectedLevel = 4;
  match.BeginSelectedLevel();
  EXPECT_EQ(match.currentLevel, 4);
  EXPECT_EQ(match.goalsToWin, 11);
  EXPECT_FLOAT_EQ(match.aiSpeed, 3.3f);
}

TEST(MoveComputerPaddle, WithinOneStepItLandsExactlyOnTheTargetAndStays) {
  RecordingMatch match;
  match.aiSpeed = 5.0f;
  match.aiTarget.Set(0.1f, -0.2f, 12.0f);
  match.MoveComputerPaddle(Frame(0.1f));
  EXPECT_EQ(match.opponentPaddle.x, 0.1f);
  EXPECT_EQ(match.opponentPaddle.y, -0.2f);
  for (int i = 0; i < 5; ++i) match.MoveComputerPaddle(Frame(0.1f));
  EXPECT_EQ(match.opponentPaddle.x, 0.1f);
  EXPECT_EQ(match.opponentPaddle.y, -0.2f);
  EXPECT_EQ(match.opponentPaddle.z, 12.0f);
}

TEST(MoveComputerPaddle, FartherTargetsAreApproachedByOneStepPerAxis) {
  RecordingMatch match;
  match.aiSpeed = 3.0f;
  match.aiTarget.Set(2.0f, -1.0f, 12.0f);
  match.MoveComputerPaddle(Frame(0.1f));
  EXPECT_FLOAT_EQ(match.opponentPaddle.x, 0.3f);
  EXPECT_FLOAT_EQ(match.opponentPaddle.y, -0.3f);
}

TEST(MoveComputerPaddle, TargetBeyondTheLimitsLeavesThePaddleOnTheLimit) {
  RecordingMatch match;
  match.aiSpeed = 5.0f;
  match.aiTarget.Set(8.0f, -8.0f, 12.0f);
  for (int i = 0; i < 100; ++i) match.MoveComputerPaddle(Frame(0.05f));
  EXPECT_EQ(match.opponentPaddle.x, 2.9f);
  EXPECT_EQ(match.opponentPaddle.y, -2.3f);
  match.aiTarget.Set(-8.0f, 8.0f, 12.0f);
  for (int i = 0; i < 100; ++i) match.MoveComputerPaddle(Frame(0.05f));
  EXPECT_EQ(match.opponentPaddle.x, -2.9f);
  EXPECT_EQ(match.opponentPaddle.y, 2.3f);
}

TEST(MoveComputerPaddle, ZeroTargetFollowsTheBall) {
  RecordingMatch match;
  match.aiSpeed = 10.0f;
  match.Rally(aruVector3(-1.0f, 0.5f, 3.0f), aruVector3(0, 0, 10));
  ASSERT_TRUE(match.aiTarget.IsZero());
  match.MoveComputerPaddle(Frame(1.0f));
  EXPECT_EQ(match.opponentPaddle.x, -1.0f);
  EXPECT_EQ(match.opponentPaddle.y, 0.5f);
}

TEST(MoveComputerPaddle, StandsStillWhilePausedConsoleOpenOrInactive) {
  RecordingMatch match;
  match.aiSpeed = 5.0f;
  match.aiTarget.Set(1.0f, 1.0f, 12.0f);
  FrameInput frame = Frame(0.1f);
  match.paused = 1;
  match.MoveComputerPaddle(frame);
  match.paused = 0;
  frame.consoleOpen = true;
  match.MoveComputerPaddle(frame);
  frame.consoleOpen = false;
  frame.inactive = true;
  match.MoveComputerPaddle(frame);
  EXPECT_EQ(match.opponentPaddle.x, 0.0f);
  EXPECT_EQ(match.opponentPaddle.y, 0.0f);
  frame.inactive = false;
  match.MoveComputerPaddle(frame);
  EXPECT_FLOAT_EQ(match.opponentPaddle.x, 0.5f);
}

TEST(MoveComputerPaddle, HeadsBackToTheCentreAfterItsReturnAndFollowsTheBallAfterAGoal) {
  RecordingMatch match;
  match.aiSpeed = 3.0f;
  match.opponentPaddle.Set(2.0f, 1.0f, 12.0f);
  match.Rally(aruVector3(2.0f, 1.0f, 12.0f), aruVector3(0, 0, 20));
  match.StepBall(Frame(0.01f));
  ASSERT_EQ(match.volley, 1u) << "the far paddle returned the ball";
  match.MoveComputerPaddle(Frame(0.1f));
  EXPECT_FLOAT_EQ(match.opponentPaddle.x, 1.7f);
  EXPECT_FLOAT_EQ(match.opponentPaddle.y, 0.7f);

  match.opponentPaddle.Set(-2.0f, 0.0f, 12.0f);
  match.Rally(aruVector3(0.5f, -0.5f, 12.1f), aruVector3(0, 0, 20));
  match.StepBall(Frame(0.0f));
  ASSERT_EQ(match.playerScore, 1);
  match.MoveComputerPaddle(Frame(0.1f));
  EXPECT_FLOAT_EQ(match.opponentPaddle.x, -1.7f) << "toward the ball's x of 0.5";
  EXPECT_FLOAT_EQ(match.opponentPaddle.y, -0.3f);
}

}  // namespace
