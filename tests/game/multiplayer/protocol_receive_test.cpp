// The receivers on both sides: names, chat, paddle, ball events, scores, start and end of a
// match, the version check, and what happens to garbage, short buffers and texts that run to
// the end of the buffer without a terminator.
#include <gtest/gtest.h>

#include <limits>

#include "fake_directplay.h"
#include "multiplayer/net_protocol.h"

namespace {

template <typename Field>
void Put(std::vector<BYTE>& bytes, size_t offset, Field value) {
  if (bytes.size() < offset + sizeof value) bytes.resize(offset + sizeof value);
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

std::vector<BYTE> BallMessage(aruVector3 position, aruVector3 velocity, int16_t event) {
  std::vector<BYTE> bytes = {0x33};
  const float fields[6] = {position.x, position.y, position.z, velocity.x, velocity.y, velocity.z};
  for (int i = 0; i < 6; ++i) Put(bytes, 1 + 4 * size_t(i), fields[i]);
  Put(bytes, 25, event);
  return bytes;
}

std::vector<BYTE> PaddleMessage() {
  std::vector<BYTE> bytes = {0x35};
  const float fields[6] = {1.0f, -2.0f, -12.0f, 3.0f, 4.0f, 0.25f};
  for (int i = 0; i < 6; ++i) Put(bytes, 1 + 4 * size_t(i), fields[i]);
  return bytes;
}

void ExpectVector(const aruVector3& actual, float x, float y, float z) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
  EXPECT_EQ(actual.z, z);
}

using HostReceives = NetGameTest;
using ClientReceives = NetGameTest;

TEST_F(HostReceives, ANameIsAnnouncedStoredAndAnsweredEveryTime) {
  BecomeHost();
  std::strcpy(game->opponentName, "Not Connected");
  std::strcpy(game->playerName, "Host");
  ServerGets(Bytes(std::string("1Bob") + '\0'));
  EXPECT_STREQ(LastLine()->text, "Not Connected is now known as Bob");
  EXPECT_EQ(LastLine()->colour, 0xFFFFFFC8u);
  EXPECT_STREQ(game->opponentName, "Bob");
  ServerGets(Bytes(std::string("1Bob") + '\0'));
  EXPECT_STREQ(LastLine()->text, "Bob is now known as Bob");
  ASSERT_EQ(fakeServer.sent.size(), 2u);
  for (const auto& answer : fakeServer.sent) {
    EXPECT_EQ(answer.bytes, Bytes(std::string("1Host") + '\0'));
    EXPECT_EQ(answer.flags, 0x28u);
  }
}

TEST_F(HostReceives, A254CharacterNameIsStoredWholeAndALongerOneIsCut) {
  const std::string name254(254, 'x');
  ServerGets(Bytes("1" + name254 + '\0'));
  EXPECT_EQ(std::string(game->opponentName), name254);
  // 300 characters without a terminator: read to the end of the buffer, kept to 255.
  ServerGets(Bytes("1" + std::string(300, 'y')));
  EXPECT_EQ(std::string(game->opponentName), std::string(255, 'y'));
  EXPECT_EQ(game->opponentName[255], '\0');
}

TEST_F(HostReceives, AnUnterminatedNameIsReadToTheEndOfTheBuffer) {
  ServerGets(Bytes("1Eve"));
  EXPECT_STREQ(game->opponentName, "Eve");
  EXPECT_STREQ(LastLine()->text, "Player2 is now known as Eve");
}

TEST_F(HostReceives, ChatIsPrintedWithTheOpponentsNameAndExtraTime) {
  std::strcpy(game->opponentName, "Bob");
  const uint32_t before = GetTickCount();
  ServerGets(Bytes(std::string("2nice shot") + '\0'));
  EXPECT_STREQ(LastLine()->text, "<Bob> nice shot");
  EXPECT_EQ(LastLine()->colour, 0xFFFFFFFFu);
  EXPECT_GE(LastLine()->time, before + 3000);
}

TEST_F(HostReceives, APaddleLandsAtTheFarEndWithItsStep) {
  ServerGets(PaddleMessage());
  ExpectVector(game->opponentPaddle, 1.0f, -2.0f, 12.0f);
  ExpectVector(game->opponentStep, 3.0f, 4.0f, 0.25f);
}

TEST_F(HostReceives, GarbageIsShownOnlyInDebugMode) {
  const size_t lines = LineCount();
  ServerGets(Bytes(std::string("6abc") + '\0'));
  ServerGets(Bytes("3short ball"));
  EXPECT_EQ(LineCount(), lines);
  debugMode = 2;
  ServerGets(Bytes(std::string("6abc") + '\0'));
  EXPECT_STREQ(LastLine()->text, "Garbage: abc");
  EXPECT_EQ(LastLine()->colour, 0xFFFF0000u);
  // The client-to-host direction has no ball: a ball arriving at the host is garbage too.
  ServerGets(BallMessage(aruVector3(), aruVector3(), 0));
  EXPECT_EQ(std::string(LastLine()->text).rfind("Garbage: ", 0), 0u);
  ServerGets({});
  EXPECT_STREQ(LastLine()->text, "Garbage: ");
}

TEST_F(HostReceives, AShortOrNonFinitePaddleIsIgnored) {
  std::vector<BYTE> shortPaddle = PaddleMessage();
  shortPaddle.pop_back();
  ServerGets(shortPaddle);
  ExpectVector(game->opponentPaddle, 0.0f, 0.0f, 12.0f);
  std::vector<BYTE> notANumber = PaddleMessage();
  Put(notANumber, 5, std::numeric_limits<float>::quiet_NaN());
  ServerGets(notANumber);
  ExpectVector(game->opponentPaddle, 0.0f, 0.0f, 12.0f);
}

TEST_F(ClientReceives, ANameIsStoredWithoutAnswerEvenBeforeAnyVersion) {
  BecomeClient();
  std::strcpy(game->opponentName, "Not Connected");
  ClientGets(Bytes(std::string("1Host") + '\0'));
  EXPECT_STREQ(LastLine()->text, "Not Connected is now known as Host");
  EXPECT_STREQ(game->opponentName, "Host");
  EXPECT_TRUE(fakeClient.sent.empty());
  ClientGets(Bytes("1Z"));
  EXPECT_STREQ(game->opponentName, "Z");
}

TEST_F(ClientReceives, AnotherVersionIsReportedAndClosesTheSession) {
  BecomeClient();
  const size_t lines = LineCount();
  std::vector<BYTE> version = {0x01};
  Put<int32_t>(version, 1, 1001);
  ClientGets(version);
  EXPECT_EQ(LineCount(), lines);
  EXPECT_TRUE(fakeClient.closeFlags.empty());
  Put<int32_t>(version, 1, 1002);
  ClientGets(version);
  EXPECT_STREQ(LastLine()->text, "Version Mismatch. Server replied version 1002. This copy is version 1001.");
  EXPECT_EQ(LastLine()->colour, 0xFFFF4444u);
  EXPECT_EQ(fakeClient.closeFlags, std::vector<DWORD>{0});
}

TEST_F(ClientReceives, WithNoPingTheBallIsTakenExactlyAsReceived) {
  game->ping = 0.0f;
  ClientGets(BallMessage(aruVector3(0.5f, -1.0f, 3.0f), aruVector3(2.0f, 1.0f, -8.0f), BALL_EVENT_NONE));
  ExpectVector(game->ball.position, 0.5f, -1.0f, 3.0f);
  ExpectVector(game->ball.velocity, 2.0f, 1.0f, -8.0f);
  EXPECT_TRUE(played.empty());
}

TEST_F(ClientReceives, TheBallIsMovedOnByHalfTheRoundTrip) {
  game->ping = 100.0f;  // 50 ms each way
  ClientGets(BallMessage(aruVector3(0.0f, 0.0f, 1.0f), aruVector3(2.0f, 0.0f, -10.0f), BALL_EVENT_NONE));
  EXPECT_FLOAT_EQ(game->ball.position.x, 0.1f);
  EXPECT_FLOAT_EQ(game->ball.position.z, 0.5f);
}

TEST_F(ClientReceives, AReturnSoundsByTheSideOfTheArenaAndMarksTheHit) {
  ClientGets(BallMessage(aruVector3(0.0f, 0.0f, 0.0f), aruVector3(0.0f, 0.0f, 5.0f), BALL_EVENT_HIT));
  ClientGets(BallMessage(aruVector3(0.0f, 0.0f, -11.0f), aruVector3(0.0f, 0.0f, 5.0f), BALL_EVENT_HIT));
  ClientGets(BallMessage(aruVector3(0.0f, 0.0f, 11.0f), aruVector3(0.0f, 0.0f, -5.0f), BALL_EVENT_HIT));
  EXPECT_EQ(played, (std::vector<MatchSound>{MatchSound::pong, MatchSound::ping, MatchSound::pong}));
  EXPECT_TRUE(game->hitSplat.marked);
  ExpectVector(game->hitSplat.centre, 0.0f, 0.0f, 11.0f);
  EXPECT_FALSE(game->goalSplat.marked);
}

TEST_F(ClientReceives, AGoalSplatsAndScoresAtTheBallAndOtherEventsAreSilent) {
  ClientGets(BallMessage(aruVector3(1.0f, 1.0f, -12.0f), aruVector3(), BALL_EVENT_GOAL));
  EXPECT_EQ(played, std::vector<MatchSound>{MatchSound::score});
  EXPECT_TRUE(game->goalSplat.marked);
  ExpectVector(game->goalSplat.centre, 1.0f, 1.0f, -12.0f);
  ClientGets(BallMessage(aruVector3(), aruVector3(), 3));
  EXPECT_EQ(played.size(), 1u);
}

TEST_F(ClientReceives, SoundsAreSilentWhenSoundEffectsAreOff) {
  game->soundEffects = 0;
  ClientGets(BallMessage(aruVector3(), aruVector3(), BALL_EVENT_GOAL));
  EXPECT_TRUE(played.empty());
  EXPECT_TRUE(game->goalSplat.marked);
}

TEST_F(ClientReceives, AShortOrNonFiniteBallLeavesTheBallAlone) {
  game->ball.position = aruVector3(1.0f, 2.0f, 3.0f);
  std::vector<BYTE> ball = BallMessage(aruVector3(), aruVector3(), BALL_EVENT_GOAL);
  ball.resize(26);
  ClientGets(ball);
  std::vector<BYTE> infinite = BallMessage(aruVector3(), aruVector3(), BALL_EVENT_HIT);
  Put(infinite, 13, std::numeric_limits<float>::infinity());
  ClientGets(infinite);
  ExpectVector(game->ball.position, 1.0f, 2.0f, 3.0f);
  EXPECT_TRUE(played.empty());
}

TEST_F(ClientReceives, StartMatchAnnouncesTheGoalsButKeepsTheOwnGoalCount) {
  game->goalsToWin = 5;
  std::vector<BYTE> start = {0x38};
  Put<int32_t>(start, 1, 9);
  ClientGets(start);
  EXPECT_EQ(game->matchRunning, 1);
  EXPECT_EQ(game->goalsToWin, 5);
  EXPECT_STREQ(LastLine()->text, "First to 9 wins!");
  EXPECT_EQ(LastLine()->colour, 0xFF00FF00u);
}

TEST_F(ClientReceives, EndMatchResetsTheFieldButKeepsTheScores) {
  game->matchRunning = 1;
  game->playerScore = 4;
  game->opponentScore = 5;
  game->playerPaddle = aruVector3(1.0f, 1.0f, -12.0f);
  game->opponentPaddle = aruVector3(-1.0f, 0.5f, 12.0f);
  game->ball.position = aruVector3(1.0f, 1.0f, 1.0f);
  game->ball.velocity = aruVector3(1.0f, 1.0f, 1.0f);
  game->volley = 3;
  game->highestVolley = 9;
  game->powerShots = 2;
  ClientGets({0x37});
  EXPECT_EQ(game->matchRunning, 0);
  ExpectVector(game->playerPaddle, 0.0f, 0.0f, -12.0f);
  ExpectVector(game->opponentPaddle, 0.0f, 0.0f, 12.0f);
  ExpectVector(game->ball.position, 0.0f, 0.0f, 0.0f);
  ExpectVector(game->ball.velocity, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(game->volley, 0u);
  EXPECT_EQ(game->highestVolley, 0u);
  EXPECT_EQ(game->powerShots, 0);
  EXPECT_EQ(game->playerScore, 4);
  EXPECT_EQ(game->opponentScore, 5);
}

TEST_F(ClientReceives, GarbageReportsTheLengthOfItsTextInDebugModeOnly) {
  ClientGets({0x36, 'x', 'y', 0});
  EXPECT_EQ(LastLine(), nullptr);
  debugMode = 1;
  ClientGets({0x36, 'x', 'y', 0});
  EXPECT_STREQ(LastLine()->text, "Garbage (2 bytes) xy");
  EXPECT_EQ(LastLine()->colour, 0xFF550000u);
  ClientGets({0x02, 'q'});
  EXPECT_STREQ(LastLine()->text, "Garbage (1 bytes) q");
  // Short layouts: a 4-byte version, a scores message one byte short, a bare start.
  ClientGets({0x01, 0xE9, 0x03, 0x00});
  EXPECT_STREQ(LastLine()->text, "Garbage (2 bytes) \xE9\x03");
  game->playerScore = 6;
  std::vector<BYTE> scores(16, 0);
  scores[0] = 0x34;
  ClientGets(scores);
  EXPECT_EQ(game->playerScore, 6);
  ClientGets({0x38});
  EXPECT_EQ(game->matchRunning, 0);
  EXPECT_STREQ(LastLine()->text, "Garbage (0 bytes) ");
}

TEST_F(ClientReceives, TextsWithoutTerminatorDoNotReadPastTheBuffer) {
  debugMode = 1;
  ClientGets(Bytes("2" + std::string(400, 'c')));
  EXPECT_EQ(std::string(LastLine()->text).substr(0, 13), "<Player2> ccc");
  ClientGets(Bytes("9" + std::string(300, 'g')));
  EXPECT_EQ(std::string(LastLine()->text).rfind("Garbage (300 bytes) ggg", 0), 0u);
}

}  // namespace
