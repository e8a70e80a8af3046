// The attract mode in a network match: the near paddle's aim and speed, and whole matches of two
// computer paddles played headless on the host's real ball step, the far paddle seeing the ball
// as the joining side does (x and z turned round) and reaching the host a few frames late.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

#include "demo.h"
#include "fake_directplay.h"
#include "multiplayer/net_rules.h"
#include "rallix_game.h"

namespace {

aruVector3 Turned(const aruVector3& v) { return aruVector3(-v.x, v.y, -v.z); }

struct MatchResult {
  int hostGoals = 0;
  int joinGoals = 0;
  int returns = 0;
  double seconds = 0.0;
};

class NetAttract : public NetGameTest {
 protected:
  void SetUp() override {
    NetGameTest::SetUp();
    // The fixture's context is the test itself, so the goal lines are left unprinted.
    game->output.print = [](void*, uint32_t, const char*) {};
    BecomeHost();
    game->clientPlayerId = 7;
    game->BuildCollisionTriangles();
    joining.BuildCollisionTriangles();
    frame.dt = 1.0f / 30.0f;
  }

  // One match to `goals` from the host's serve; the far paddle's position reaches the host
  // `lagFrames` frames after the joining side moved it.
  MatchResult Play(int32_t goals, int lagFrames, double limitSeconds) {
    MatchResult result;
    game->goalsToWin = goals;
    game->speedSetting = 1;
    game->awaitingServe = 1;
    game->Serve(0);
    std::deque<aruVector3> inFlight;
    NetAttractAim hostAim, joinAim;
    while (result.seconds < limitSeconds && !game->IsMatchOver()) {
      const uint32_t volleyBefore = game->volley;
      MoveNearPaddleInNetMatch(*game, frame, hostAim);
      joining.ball.position = Turned(game->ball.position);
      joining.ball.velocity = Turned(game->ball.velocity);
      MoveNearPaddleInNetMatch(joining, frame, joinAim);
      inFlight.push_back(Turned(joining.playerPaddle));
      if (int(inFlight.size()) > lagFrames) {
        game->opponentPaddle = inFlight.front();
        inFlight.pop_front();
      }
      StepNetBall(*game, frame);
      if (game->volley > volleyBefore) ++result.returns;
      result.seconds += frame.dt;
    }
    result.hostGoals = game->playerScore;
    result.joinGoals = game->opponentScore;
    return result;
  }

  void PlayMatches(int lagFrames);

  RallixMatch joining;
  FrameInput frame;
};

TEST_F(NetAttract, HeadsForTheArrivalOfAnIncomingBallAtItsOwnSpeed) {
  attractMode = AttractMode();
  SeedAttractAim(3);
  game->ball.position = aruVector3(0.0f, 0.0f, 0.0f);
  game->ball.velocity = aruVector3(1.5f, 0.0f, -12.0f);  // arrives near x = 1.4 at the near end
  NetAttractAim aim;
  MoveNearPaddleInNetMatch(*game, frame, aim);
  EXPECT_TRUE(aim.incoming);
  EXPECT_LE(std::fabs(aim.errorX), demoAimError);
  EXPECT_LE(std::fabs(aim.errorY), demoAimError);
  // One frame's step on each axis that is not yet on its target, never more.
  const float step = frame.dt * netAttractSpeed;
  EXPECT_LE(std::fabs(game->playerPaddle.x), step + 1e-6f);
  EXPECT_LE(std::fabs(game->playerPaddle.y), step + 1e-6f);
  EXPECT_GT(std::fabs(game->playerPaddle.x) + std::fabs(game->playerPaddle.y), 0.0f);
  const float errorX = aim.errorX;
  for (int i = 0; i < 90; ++i) MoveNearPaddleInNetMatch(*game, frame, aim);
  // The same ball keeps the same error, and the paddle settles on arrival plus error.
  EXPECT_EQ(aim.errorX, errorX);
  const aruVector3 arrival = game->PredictToPlayer(game->ball.position, game->ball.velocity, 0);
  EXPECT_NEAR(game->playerPaddle.x, std::clamp(arrival.x + aim.errorX, game->minX, game->maxX), 1e-4f);
  EXPECT_FLOAT_EQ(game->playerPaddle.z, RallixMatch::playerEndZ);
  EXPECT_TRUE(game->paddleStep.IsZero());
}

TEST_F(NetAttract, DrawsANewErrorOnlyWhenTheBallTurnsTowardIt) {
  SeedAttractAim(11);
  NetAttractAim aim;
  game->ball.velocity = aruVector3(0.0f, 0.0f, -10.0f);
  MoveNearPaddleInNetMatch(*game, frame, aim);
  const float first = aim.errorX;
  game->ball.velocity.x = -game->ball.velocity.x;  // a wall bounce on the way in
  MoveNearPaddleInNetMatch(*game, frame, aim);
  EXPECT_EQ(aim.errorX, first);
  game->ball.velocity.z = 10.0f;  // returned: it follows the ball, no new error yet
  MoveNearPaddleInNetMatch(*game, frame, aim);
  EXPECT_FALSE(aim.incoming);
  EXPECT_EQ(aim.errorX, first);
  game->ball.velocity.z = -10.6f;
  MoveNearPaddleInNetMatch(*game, frame, aim);
  EXPECT_NE(aim.errorX, first);
}

TEST_F(NetAttract, KeepsMovingWithTheConsoleOpenOrTheWindowInactive) {
  game->ball.position = aruVector3(2.0f, 1.0f, 5.0f);
  game->ball.velocity = aruVector3(0.0f, 0.0f, 10.0f);  // heading away: it follows the ball
  frame.consoleOpen = true;
  frame.inactive = true;
  NetAttractAim aim;
  MoveNearPaddleInNetMatch(*game, frame, aim);
  EXPECT_GT(game->playerPaddle.x, 0.0f);
  EXPECT_GT(game->playerPaddle.y, 0.0f);
}

// Two computers must finish a match to 3 within about a minute, with rallies between the goals
// and either side able to win, at a slow software-drawn frame rate and at a smooth one (the far
// paddle about 100 ms late in both).
TEST_F(NetAttract, TwoComputerPaddlesFinishAMatchToThreeWithinAMinute) {
  for (const int framesPerSecond : {15, 30, 60}) {
    SCOPED_TRACE(framesPerSecond);
    frame.dt = 1.0f / float(framesPerSecond);
    PlayMatches(framesPerSecond / 10);
  }
}

void NetAttract::PlayMatches(int lagFrames) {
  int hostWins = 0, joinWins = 0, returns = 0, goals = 0;
  double longest = 0.0, total = 0.0;
  const int matches = 20;
  for (int seed = 1; seed <= matches; ++seed) {
    SeedAttractAim(uint32_t(seed));
    game->SeedRandom(uint32_t(seed) * 7u);
    game->playerPaddle = aruVector3(0.0f, 0.0f, RallixMatch::playerEndZ);
    joining.playerPaddle = aruVector3(0.0f, 0.0f, RallixMatch::playerEndZ);
    game->playerScore = game->opponentScore = 0;
    game->ball.position = aruVector3();
    const MatchResult result = Play(3, lagFrames, 300.0);
    ASSERT_TRUE(game->IsMatchOver()) << "seed " << seed << " still " << result.hostGoals << ":"
                                     << result.joinGoals << " after 300 s";
    (result.hostGoals == 3 ? hostWins : joinWins) += 1;
    returns += result.returns;
    goals += result.hostGoals + result.joinGoals;
    longest = std::max(longest, result.seconds);
    total += result.seconds;
  }
  std::printf("%.0f frames a second: %d matches: host %d, joining side %d; %.1f s on average, longest %.1f s; "
              "%.1f returns a goal\n",
              1.0 / frame.dt, matches, hostWins, joinWins, total / matches, longest, double(returns) / goals);
  EXPECT_GE(hostWins, matches / 5);
  EXPECT_GE(joinWins, matches / 5);
  EXPECT_LE(total / matches, 60.0);
  EXPECT_LE(longest, 150.0);
  EXPECT_GE(double(returns) / goals, 2.0);  // rallies, not a goal on every ball
}

}  // namespace
