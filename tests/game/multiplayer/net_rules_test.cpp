// The set-up texts (port, "connect", host box, max score), the speed table and the host's and
// joining side's ball steps, on a never-started game with a fake session.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "fake_directplay.h"
#include "multiplayer/net_layout.h"
#include "multiplayer/net_protocol.h"
#include "multiplayer/net_rules.h"
#include "rallix_game.h"

namespace {

TEST(NetSetupTexts, PortBoxAcceptsOnlyAWholeNumberInRange) {
  EXPECT_EQ(ReadPortText("65000"), 65000);
  EXPECT_TRUE(PortInRange(ReadPortText("65000")));
  EXPECT_TRUE(PortInRange(ReadPortText("1")));
  EXPECT_TRUE(PortInRange(ReadPortText(" 2205 ")));
  EXPECT_FALSE(PortInRange(ReadPortText("65001")));
  EXPECT_FALSE(PortInRange(ReadPortText("0")));
  EXPECT_FALSE(PortInRange(ReadPortText("abc")));
  EXPECT_FALSE(PortInRange(ReadPortText("")));
  EXPECT_FALSE(PortInRange(ReadPortText("12ab")));
  EXPECT_FALSE(PortInRange(ReadPortText("-5")));
  EXPECT_FALSE(PortInRange(ReadPortText("99999999999999999999")));
  EXPECT_FALSE(PortInRange(ReadPortText(nullptr)));
}

TEST(NetSetupTexts, ConnectArgumentSplitsAtTheFirstColon) {
  ConnectTarget target = ParseConnectTarget("10.0.0.5:3000");
  EXPECT_EQ(target.host, "10.0.0.5");
  EXPECT_EQ(target.port, 3000);
  target = ParseConnectTarget("myhost");
  EXPECT_EQ(target.host, "myhost");
  EXPECT_EQ(target.port, 2205);
  // The port is read like atoi and not range-checked here.
  target = ParseConnectTarget("a:70000:1");
  EXPECT_EQ(target.host, "a");
  EXPECT_EQ(target.port, 70000);
}

TEST(NetSetupTexts, HostBoxRefusesEmptyTextAndSpaces) {
  EXPECT_TRUE(IsPlausibleHostText("127.0.0.1"));
  EXPECT_TRUE(IsPlausibleHostText("my-host.lan"));
  EXPECT_FALSE(IsPlausibleHostText(""));
  EXPECT_FALSE(IsPlausibleHostText("my host"));
  EXPECT_FALSE(IsPlausibleHostText("host\t"));
}

TEST(NetMatchRules, MaxScoreFallsBackToFiveAndTruncates) {
  EXPECT_EQ(ReadMaxScore("20"), 20);
  EXPECT_EQ(ReadMaxScore("0"), 5);
  EXPECT_EQ(ReadMaxScore("abc"), 5);
  EXPECT_EQ(ReadMaxScore("7.9"), 7);
  EXPECT_EQ(ReadMaxScore("-3"), 5);
  EXPECT_EQ(ReadMaxScore("nan"), 5);
  EXPECT_EQ(ReadMaxScore("1e30"), 5);
}

TEST(NetMatchRules, SpeedTableWithHalfForNoOption) {
  EXPECT_FLOAT_EQ(NetSpeedUp(0), 0.3f);
  EXPECT_FLOAT_EQ(NetSpeedUp(1), 0.6f);
  EXPECT_FLOAT_EQ(NetSpeedUp(2), 1.2f);
  EXPECT_FLOAT_EQ(NetSpeedUp(-1), 0.5f);
  EXPECT_FLOAT_EQ(NetSpeedUp(3), 0.5f);
}

class NetBallStep : public NetGameTest {
 protected:
  void SetUp() override {
    NetGameTest::SetUp();
    // The fixture's context is the test itself: the rules' lines are collected here.
    game->output.print = [](void* context, uint32_t colour, const char* text) {
      static_cast<NetBallStep*>(context)->printed.push_back({colour, text});
    };
  }
  FrameInput Frame(float dt) {
    FrameInput frame;
    frame.dt = dt;
    frame.tickMs = 1000;
    return frame;
  }
  std::vector<BYTE> Types() const {
    std::vector<BYTE> types;
    for (const auto& message : fakeServer.sent) types.push_back(message.bytes.at(0));
    return types;
  }
  std::vector<std::pair<uint32_t, std::string>> printed;
};

TEST_F(NetBallStep, HostGoalAtTheFarEndKeepsPlayGoingFromTheGoalLine) {
  BecomeHost();
  game->clientPlayerId = 7;
  game->ball.position = aruVector3(2.0f, 0.0f, 12.5f);  // past the far paddle, well aside
  game->ball.velocity = aruVector3(0.0f, 0.0f, 9.0f);
  game->towardOpponent = 1;
  game->volley = 4;
  std::snprintf(game->playerName, sizeof game->playerName, "Hosty");
  StepNetBall(*game, Frame(0.0f));
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].second, "Hosty scored a point!");
  EXPECT_EQ(printed[0].first, 0xFFAAAAFFu);
  EXPECT_EQ(game->playerScore, 1);
  EXPECT_EQ(game->opponentScore, 0);
  EXPECT_FLOAT_EQ(game->ball.position.z, game->opponentPaddle.z - 0.025f);
  EXPECT_FLOAT_EQ(game->ball.velocity.z, -9.0f);
  EXPECT_EQ(game->towardOpponent, 0);
  EXPECT_EQ(game->highestVolley, 4u);
  EXPECT_EQ(game->volley, 0u);
  EXPECT_EQ(Types(), (std::vector<BYTE>{messageScores, messageBall}));
  EXPECT_EQ(GetField<int16_t>(fakeServer.sent.back().bytes.data(), 25), BALL_EVENT_GOAL);
}

TEST_F(NetBallStep, OpponentGoalAtTheNearEnd) {
  BecomeHost();
  game->ball.position = aruVector3(2.0f, 0.0f, -12.5f);
  game->ball.velocity = aruVector3(0.0f, 0.0f, -9.0f);
  StepNetBall(*game, Frame(0.0f));
  EXPECT_EQ(game->opponentScore, 1);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].first, 0xFFFFAAAAu);
  EXPECT_FLOAT_EQ(game->ball.position.z, game->playerPaddle.z + 0.025f);
  EXPECT_FLOAT_EQ(game->ball.velocity.z, 9.0f);
}

TEST_F(NetBallStep, ReturnsAddTheSpeedOfTheCheckedOption) {
  BecomeHost();
  game->speedSetting = 2;
  game->ball.position = aruVector3(0.0f, 0.0f, -12.0f);
  game->ball.velocity = aruVector3(0.0f, 0.0f, -8.0f);
  game->towardOpponent = 0;
  StepNetBall(*game, Frame(0.0f));
  EXPECT_FLOAT_EQ(game->ball.position.z, -12.0f + 0.125f);
  EXPECT_FLOAT_EQ(game->ball.velocity.z, 8.0f + 1.2f);
  EXPECT_EQ(game->towardOpponent, 1);
  EXPECT_EQ(game->volley, 1u);
  EXPECT_EQ(game->playerScore + game->opponentScore, 0);
  ASSERT_EQ(Types(), (std::vector<BYTE>{messageBall}));
  EXPECT_EQ(GetField<int16_t>(fakeServer.sent.back().bytes.data(), 25), BALL_EVENT_HIT);

  // The far paddle sends it back, slowed by no option at all to 0.5 more.
  fakeServer.sent.clear();
  game->speedSetting = -1;
  game->ball.position = aruVector3(0.0f, 0.0f, 12.0f);
  game->ball.velocity = aruVector3(0.0f, 0.0f, 9.2f);
  StepNetBall(*game, Frame(0.0f));
  EXPECT_FLOAT_EQ(game->ball.position.z, 12.0f - 0.125f);
  EXPECT_FLOAT_EQ(game->ball.velocity.z, -9.2f - 0.5f);
  EXPECT_EQ(game->powerShots, 0);
}

TEST_F(NetBallStep, ClientOnlyMovesItsBallAndSendsNothing) {
  BecomeClient();
  game->ball.position = aruVector3(0.0f, 0.0f, 11.99f);
  game->ball.velocity = aruVector3(0.0f, 0.0f, 10.0f);
  StepClientBall(*game, Frame(0.1f));
  EXPECT_NEAR(game->ball.position.z, 12.99f, 1e-4f);  // past the line: no goal on this side
  EXPECT_EQ(game->playerScore + game->opponentScore, 0);
  EXPECT_TRUE(fakeClient.sent.empty());
}

}  // namespace
