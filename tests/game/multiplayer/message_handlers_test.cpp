// The two message handlers: player ids, the host's reset when a player goes, the version sent
// to a connecting client, the connect outcome table, the session's end, and netLock held for
// the whole of every message.
#include <gtest/gtest.h>

#include "fake_directplay.h"
#include "multiplayer/net_handlers.h"
#include "multiplayer/net_protocol.h"

namespace {

using HostHandler = NetGameTest;
using ClientHandler = NetGameTest;

HRESULT CreatePlayer(DPNID id) {
  DPNMSG_CREATE_PLAYER message{};
  message.dwSize = sizeof message;
  message.dpnidPlayer = id;
  return ServerMessageHandler(nullptr, DPN_MSGID_CREATE_PLAYER, &message);
}

HRESULT DestroyPlayer(DPNID id) {
  DPNMSG_DESTROY_PLAYER message{};
  message.dwSize = sizeof message;
  message.dpnidPlayer = id;
  return ServerMessageHandler(nullptr, DPN_MSGID_DESTROY_PLAYER, &message);
}

HRESULT ConnectComplete(HRESULT result) {
  DPNMSG_CONNECT_COMPLETE message{};
  message.dwSize = sizeof message;
  message.hResultCode = result;
  return ClientMessageHandler(nullptr, DPN_MSGID_CONNECT_COMPLETE, &message);
}

TEST_F(HostHandler, TheFirstCreatedPlayerIsTheHostAndTheNextTheClient) {
  game->serverPlayerId = noPlayerId;
  game->clientPlayerId = noPlayerId;
  EXPECT_EQ(CreatePlayer(0x11), S_OK);
  EXPECT_EQ(game->serverPlayerId, 0x11u);
  EXPECT_EQ(game->clientPlayerId, noPlayerId);
  EXPECT_EQ(CreatePlayer(0x22), S_OK);
  EXPECT_EQ(game->serverPlayerId, 0x11u);
  EXPECT_EQ(game->clientPlayerId, 0x22u);
}

void FillMatch(RallixGame& game) {
  std::strcpy(game.opponentName, "Bob");
  game.playerScore = 3;
  game.opponentScore = 2;
  game.playerWins = 1;
  game.opponentWins = 4;
  game.volley = 5;
  game.highestVolley = 8;
  game.powerShots = 1;
  game.matchRunning = 1;
  game.awaitingServe = 1;
  game.playerPaddle = aruVector3(1.0f, 1.0f, -12.0f);
  game.opponentPaddle = aruVector3(2.0f, 2.0f, 12.0f);
  game.ball.position = aruVector3(1.0f, 2.0f, 3.0f);
  game.ball.velocity = aruVector3(4.0f, 5.0f, 6.0f);
}

void ExpectWaiting(const RallixGame& game) {
  EXPECT_STREQ(game.opponentName, "Not Connected");
  EXPECT_EQ(game.playerScore + game.opponentScore + game.playerWins + game.opponentWins, 0);
  EXPECT_EQ(game.volley + game.highestVolley, 0u);
  EXPECT_EQ(game.powerShots, 0);
  EXPECT_EQ(game.clientPlayerId, noPlayerId);
  EXPECT_EQ(game.matchRunning, 0);
  EXPECT_EQ(game.awaitingServe, 0);
  EXPECT_EQ(game.playerPaddle.z, -12.0f);
  EXPECT_EQ(game.playerPaddle.x, 0.0f);
  EXPECT_EQ(game.opponentPaddle.z, 12.0f);
  EXPECT_EQ(game.opponentPaddle.y, 0.0f);
  EXPECT_TRUE(game.ball.position.IsZero());
  EXPECT_TRUE(game.ball.velocity.IsZero());
}

TEST_F(HostHandler, TheClientLeavingIsAnnouncedAndTheHostWaitsAgain) {
  game->serverPlayerId = 0x11;
  game->clientPlayerId = 0x22;
  FillMatch(*game);
  EXPECT_EQ(DestroyPlayer(0x22), S_OK);
  EXPECT_STREQ(LastLine()->text, "Bob disconnected.");
  EXPECT_EQ(LastLine()->colour, 0xFFFF0000u);
  ExpectWaiting(*game);
  EXPECT_EQ(game->serverPlayerId, 0x11u);
}

TEST_F(HostHandler, AnyOtherPlayerLeavingResetsWithoutTheLine) {
  game->clientPlayerId = 0x22;
  FillMatch(*game);
  const size_t lines = LineCount();
  DestroyPlayer(0x11);
  EXPECT_EQ(LineCount(), lines);
  ExpectWaiting(*game);
}

TEST_F(HostHandler, AConnectingClientIsSentTheVersionAndAcceptedAbortsArePrinted) {
  BecomeHost();
  DPNMSG_INDICATE_CONNECT indication{};
  indication.dwSize = sizeof indication;
  EXPECT_EQ(ServerMessageHandler(nullptr, DPN_MSGID_INDICATE_CONNECT, &indication), S_OK);
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  EXPECT_EQ(fakeServer.sent[0].bytes, (std::vector<BYTE>{0x01, 0xE9, 0x03, 0, 0}));

  DPNMSG_INDICATED_CONNECT_ABORTED aborted{};
  EXPECT_EQ(ServerMessageHandler(nullptr, DPN_MSGID_INDICATED_CONNECT_ABORTED, &aborted), S_OK);
  EXPECT_STREQ(LastLine()->text, "Connection Aborted.");
  EXPECT_EQ(LastLine()->colour, 0xFFFFFFFFu);
}

TEST_F(HostHandler, ReceivedBuffersReachTheHostsReceiverUnderTheLock) {
  BecomeHost();
  fakeServer.watchedLock = &game->netLock;
  std::vector<BYTE> name = {0x31, 'C', 'y', 0};
  DPNMSG_RECEIVE message{};
  message.dwSize = sizeof message;
  message.pReceiveData = name.data();
  message.dwReceiveDataSize = DWORD(name.size());
  EXPECT_EQ(ServerMessageHandler(nullptr, DPN_MSGID_RECEIVE, &message), S_OK);
  EXPECT_STREQ(game->opponentName, "Cy");
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  EXPECT_TRUE(fakeServer.sent[0].lockHeldElsewhere);
  EXPECT_TRUE(fakes::LockIsFree(game->netLock));
}

TEST_F(HostHandler, UnlistedMessagesAndMissingMessageDataAreIgnored) {
  const size_t lines = LineCount();
  EXPECT_EQ(ServerMessageHandler(nullptr, DPN_MSGID_SEND_COMPLETE, nullptr), S_OK);
  EXPECT_EQ(ServerMessageHandler(nullptr, DPN_MSGID_CREATE_PLAYER, nullptr), S_OK);
  EXPECT_EQ(ClientMessageHandler(nullptr, DPN_MSGID_CONNECT_COMPLETE, nullptr), S_OK);
  EXPECT_EQ(ClientMessageHandler(nullptr, DPN_MSGID_CREATE_PLAYER, nullptr), S_OK);
  EXPECT_EQ(LineCount(), lines);
  EXPECT_EQ(game->serverPlayerId, noPlayerId);
  EXPECT_TRUE(fakes::LockIsFree(game->netLock));
}

TEST_F(ClientHandler, ASuccessfulConnectIdentifiesWithTheName) {
  BecomeClient();
  std::strcpy(game->playerName, "Joiner");
  EXPECT_EQ(ConnectComplete(S_OK), S_OK);
  EXPECT_STREQ(LastLine()->text, "Connected successfully. Identifying...");
  EXPECT_EQ(LastLine()->colour, 0xFFFFFFFFu);
  ASSERT_EQ(fakeClient.sent.size(), 1u);
  EXPECT_EQ(fakeClient.sent[0].bytes, Bytes(std::string("1Joiner") + '\0'));
  EXPECT_EQ(fakeClient.sent[0].flags, 0x08u);
  EXPECT_EQ(game->connectionLost, 0);
}

TEST_F(ClientHandler, EachKnownFailureIsExplainedAndLosesTheConnection) {
  const std::pair<HRESULT, const char*> failures[] = {
      {DPNERR_SESSIONFULL, "Connect Failed: Server is full."},
      {DPNERR_NOTHOST, "Connect Failed: Attempted to connect to a nonhost computer."},
      {DPNERR_INVALIDPASSWORD, "Connect Failed: Incorrect Password."},
      {DPNERR_NOCONNECTION, "Connect Failed: No communication link was established."},
      {DPNERR_INVALIDINTERFACE, "Connect Failed: The interface parameter is invalid."},
      {DPNERR_INVALIDINSTANCE, "Connect Failed: The GUID for the application instance is invalid."},
      {DPNERR_INVALIDHOSTADDRESS, "Connect Failed: Invalid remote address."},
      {DPNERR_INVALIDFLAGS, "Connect Failed: The flags passed to this method are invalid."},
      {DPNERR_INVALIDAPPLICATION, "Connect Failed: Invalid GUID."},
      {DPNERR_INVALIDDEVICEADDRESS, "Connect Failed: Invalid local address."},
      {DPNERR_HOSTREJECTEDCONNECTION, "Connect Failed: Connection Rejected."},
  };
  for (const auto& [code, text] : failures) {
    game->connectionLost = 0;
    ConnectComplete(code);
    EXPECT_STREQ(LastLine()->text, text);
    EXPECT_EQ(LastLine()->colour, 0xFFFFFFFFu);
    EXPECT_EQ(game->connectionLost, 1) << text;
  }
  EXPECT_TRUE(fakeClient.sent.empty());
}

TEST_F(ClientHandler, AnUnexplainedFailurePrintsNothingAndKeepsTheConnection) {
  const size_t lines = LineCount();
  ConnectComplete(DPNERR_TIMEDOUT);
  ConnectComplete(DPNSUCCESS_PENDING);
  EXPECT_EQ(LineCount(), lines);
  EXPECT_EQ(game->connectionLost, 0);
}

TEST_F(ClientHandler, TheSessionEndingLosesTheConnection) {
  DPNMSG_TERMINATE_SESSION message{};
  message.hResultCode = DPNERR_CONNECTIONLOST;
  EXPECT_EQ(ClientMessageHandler(nullptr, DPN_MSGID_TERMINATE_SESSION, &message), S_OK);
  EXPECT_STREQ(LastLine()->text, "Session Terminated.");
  EXPECT_EQ(game->connectionLost, 1);
}

TEST_F(ClientHandler, AVersionMismatchInsideTheHandlerClosesTheClient) {
  BecomeClient();
  std::vector<BYTE> version = {0x01, 0x00, 0x00, 0x00, 0x00};
  DPNMSG_RECEIVE message{};
  message.dwSize = sizeof message;
  message.pReceiveData = version.data();
  message.dwReceiveDataSize = DWORD(version.size());
  EXPECT_EQ(ClientMessageHandler(nullptr, DPN_MSGID_RECEIVE, &message), S_OK);
  EXPECT_STREQ(LastLine()->text, "Version Mismatch. Server replied version 0. This copy is version 1001.");
  EXPECT_EQ(fakeClient.closeFlags.size(), 1u);
}

}  // namespace
