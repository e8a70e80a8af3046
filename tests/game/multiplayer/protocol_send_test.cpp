// The senders: each message's bytes, size, flags and time-out as the peer receives them, the
// frame conversion of ball and paddle, the score swap, the throttled paddle, and that nothing
// is sent without a session while the chat echo is still printed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_directplay.h"
#include "multiplayer/net_protocol.h"

namespace {

template <typename Field>
Field At(const std::vector<BYTE>& bytes, size_t offset) {
  Field value;
  EXPECT_LE(offset + sizeof value, bytes.size());
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

using ProtocolSend = NetGameTest;

TEST_F(ProtocolSend, VersionIsFiveBytesGuaranteedWithoutLoopBack) {
  BecomeHost();
  SendVersion();
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  const std::vector<BYTE> expected = {0x01, 0xE9, 0x03, 0x00, 0x00};
  EXPECT_EQ(fakeServer.sent[0].bytes, expected);
  EXPECT_EQ(fakeServer.sent[0].flags, 0x28u);
  EXPECT_EQ(fakeServer.sent[0].timeoutMs, 0u);
}

TEST_F(ProtocolSend, NameTravelsWithItsTerminatorAtMost256Bytes) {
  BecomeClient();
  std::strcpy(game->playerName, "A");
  SendName();
  const std::string name254(254, 'n');
  std::strcpy(game->playerName, name254.c_str());
  SendName();
  const std::string name255(255, 'm');
  std::strcpy(game->playerName, name255.c_str());
  SendName();
  ASSERT_EQ(fakeClient.sent.size(), 3u);
  EXPECT_EQ(fakeClient.sent[0].bytes, (std::vector<BYTE>{0x31, 'A', 0}));
  EXPECT_EQ(fakeClient.sent[0].flags, 0x08u);
  ASSERT_EQ(fakeClient.sent[1].bytes.size(), 256u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&fakeClient.sent[1].bytes[1])), name254);
  // A name that would not fit is cut to 254 characters, still terminated.
  ASSERT_EQ(fakeClient.sent[2].bytes.size(), 256u);
  EXPECT_EQ(fakeClient.sent[2].bytes[255], 0);
}

TEST_F(ProtocolSend, HostSendsNamesAndChatGuaranteedWithoutLoopBack) {
  BecomeHost();
  SendName();
  SendChat("gg");
  ASSERT_EQ(fakeServer.sent.size(), 2u);
  EXPECT_EQ(fakeServer.sent[0].flags, 0x28u);
  EXPECT_EQ(fakeServer.sent[1].bytes, (std::vector<BYTE>{0x32, 'g', 'g', 0}));
  EXPECT_EQ(fakeServer.sent[1].flags, 0x28u);
}

TEST_F(ProtocolSend, ChatIsEchoedOnTheOwnConsoleWithOrWithoutAPeer) {
  std::strcpy(game->playerName, "Ada");
  const uint32_t before = GetTickCount();
  SendChat("hello there");
  ASSERT_NE(LastLine(), nullptr);
  EXPECT_STREQ(LastLine()->text, "<Ada> hello there");
  EXPECT_EQ(LastLine()->colour, 0xFFFFFFE8u);
  EXPECT_GE(LastLine()->time, before + 3000);
  EXPECT_TRUE(fakeServer.sent.empty());
  EXPECT_TRUE(fakeClient.sent.empty());
}

TEST_F(ProtocolSend, BallIsTurnedIntoTheClientsFrame) {
  BecomeHost();
  game->ball.position = aruVector3(1.5f, -0.5f, 7.25f);
  game->ball.velocity = aruVector3(-2.0f, 3.0f, -9.5f);
  SendBall(BALL_EVENT_HIT);
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  const std::vector<BYTE>& bytes = fakeServer.sent[0].bytes;
  ASSERT_EQ(bytes.size(), 27u);
  EXPECT_EQ(bytes[0], 0x33);
  EXPECT_EQ(At<float>(bytes, 1), -1.5f);
  EXPECT_EQ(At<float>(bytes, 5), -0.5f);
  EXPECT_EQ(At<float>(bytes, 9), -7.25f);
  EXPECT_EQ(At<float>(bytes, 13), 2.0f);
  EXPECT_EQ(At<float>(bytes, 17), 3.0f);
  EXPECT_EQ(At<float>(bytes, 21), 9.5f);
  EXPECT_EQ(At<int16_t>(bytes, 25), BALL_EVENT_HIT);
  EXPECT_EQ(fakeServer.sent[0].flags, 0x28u);
}

TEST_F(ProtocolSend, ScoresAreSentInTheClientsTermsAndReadBackSwapped) {
  BecomeHost();
  game->playerScore = 3;
  game->opponentScore = 1;
  game->playerWins = 2;
  game->opponentWins = 0;
  SendScores();
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  const std::vector<BYTE> bytes = fakeServer.sent[0].bytes;
  ASSERT_EQ(bytes.size(), 17u);
  EXPECT_EQ(bytes[0], 0x34);
  EXPECT_EQ(At<int32_t>(bytes, 1), 1);
  EXPECT_EQ(At<int32_t>(bytes, 5), 3);
  EXPECT_EQ(At<int32_t>(bytes, 9), 0);
  EXPECT_EQ(At<int32_t>(bytes, 13), 2);

  // The same bytes arriving at a joining side.
  game->server.reset();
  BecomeClient();
  ClientGets(bytes);
  EXPECT_EQ(game->playerScore, 1);
  EXPECT_EQ(game->opponentScore, 3);
  EXPECT_EQ(game->playerWins, 0);
  EXPECT_EQ(game->opponentWins, 2);
}

TEST_F(ProtocolSend, StartAndEndMatchCarryTheGoalCountAndNothing) {
  BecomeHost();
  game->goalsToWin = 7;
  SendStartMatch();
  SendEndMatch();
  ASSERT_EQ(fakeServer.sent.size(), 2u);
  EXPECT_EQ(fakeServer.sent[0].bytes, (std::vector<BYTE>{0x38, 7, 0, 0, 0}));
  EXPECT_EQ(fakeServer.sent[1].bytes, (std::vector<BYTE>{0x37}));
  EXPECT_EQ(fakeServer.sent[1].flags, 0x28u);
}

TEST_F(ProtocolSend, HostOnlyMessagesAreNeverSentByAJoiningSide) {
  BecomeClient();
  SendVersion();
  SendBall(BALL_EVENT_NONE);
  SendScores();
  SendStartMatch();
  SendEndMatch();
  EXPECT_TRUE(fakeClient.sent.empty());
}

TEST_F(ProtocolSend, BallScoresAndPaddleAreSentUnderNetLock) {
  BecomeHost();
  fakeServer.watchedLock = &game->netLock;
  SendBall(BALL_EVENT_NONE);
  SendScores();
  SendPaddle();
  std::this_thread::sleep_for(std::chrono::milliseconds(35));
  SendPaddle();
  ASSERT_EQ(fakeServer.sent.size(), 3u);
  for (const auto& sent : fakeServer.sent) EXPECT_TRUE(sent.lockHeldElsewhere);
  EXPECT_TRUE(fakes::LockIsFree(game->netLock));
}

TEST_F(ProtocolSend, PaddleWaitsThirtyMillisecondsAndTurnsXRound) {
  BecomeClient();
  game->playerPaddle = aruVector3(1.0f, 2.0f, -12.0f);
  game->paddleStep = aruVector3(4.0f, -5.0f, 0.5f);
  SendPaddle();  // the first call only starts the clock
  SendPaddle();
  EXPECT_TRUE(fakeClient.sent.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(35));
  SendPaddle();
  SendPaddle();
  ASSERT_EQ(fakeClient.sent.size(), 1u);
  const std::vector<BYTE>& bytes = fakeClient.sent[0].bytes;
  ASSERT_EQ(bytes.size(), 25u);
  EXPECT_EQ(bytes[0], 0x35);
  EXPECT_EQ(At<float>(bytes, 1), -1.0f);
  EXPECT_EQ(At<float>(bytes, 5), 2.0f);
  EXPECT_EQ(At<float>(bytes, 9), -12.0f);
  EXPECT_EQ(At<float>(bytes, 13), -4.0f);
  EXPECT_EQ(At<float>(bytes, 17), -5.0f);
  EXPECT_EQ(At<float>(bytes, 21), 0.5f);
  EXPECT_EQ(fakeClient.sent[0].flags, 0u);
  EXPECT_EQ(fakeClient.sent[0].timeoutMs, 10u);
}

TEST_F(ProtocolSend, PerFrameSendersAllocateNothing) {
  BecomeHost();
  fakeServer.recordSends = false;
  SendPaddle();  // starts the throttle's clock
  std::this_thread::sleep_for(std::chrono::milliseconds(35));
  fakes::StartCountingAllocations();
  SendBall(BALL_EVENT_HIT);
  SendScores();
  SendPaddle();
  const size_t allocations = fakes::StopCountingAllocations();
  EXPECT_EQ(fakeServer.sendCount, 3);
  EXPECT_EQ(allocations, 0u);
}

TEST(PaddleThrottle, SendsAtMostEveryThirtyMillisecondsAcrossTheTickWrap) {
  PaddleThrottle throttle;
  EXPECT_FALSE(throttle.Due(1000));
  EXPECT_FALSE(throttle.Due(1029));
  EXPECT_TRUE(throttle.Due(1030));
  EXPECT_FALSE(throttle.Due(1059));
  EXPECT_TRUE(throttle.Due(1100));

  PaddleThrottle wrapping;
  EXPECT_FALSE(wrapping.Due(0xFFFFFFF0u));
  EXPECT_FALSE(wrapping.Due(0xFFFFFFFFu));
  EXPECT_TRUE(wrapping.Due(14));  // 30 ms after the start, past the wrap
  EXPECT_FALSE(wrapping.Due(20));
  EXPECT_TRUE(wrapping.Due(44));
}

}  // namespace
