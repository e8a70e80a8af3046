// The senders: each builds one message in a local buffer and sends it through the wrapper that
// exists (skipping the send when none does). The ball, score and paddle senders run every frame
// on the main thread; they hold netLock only for building and sending and allocate nothing.
#include <cstdio>
#include <cstring>

#include "dp_client.h"
#include "dp_server.h"
#include "net_layout.h"
#include "net_lock.h"
#include "net_protocol.h"

namespace {

constexpr DWORD clientGuaranteed = DPNSEND_GUARANTEED;
constexpr DWORD hostGuaranteed = DPNSEND_GUARANTEED | DPNSEND_NOLOOPBACK;
constexpr DWORD clientPaddleFlags = 0;
constexpr DWORD hostPaddleFlags = DPNSEND_NOLOOPBACK;
constexpr D3DCOLOR chatEchoColour = 0xFFFFFFE8;
constexpr uint32_t chatExtraMs = 3000;
constexpr size_t maxMessageText = textMessageSize - 2;

// A message that goes both ways: each side has exactly one of the two wrappers.
void SendToPeer(RallixGame& game, const BYTE* message, DWORD size, DWORD clientFlags, DWORD hostFlags,
                DWORD timeoutMs) {
  if (game.client != nullptr) game.client->Send(message, size, clientFlags, timeoutMs);
  if (game.server != nullptr) game.server->Send(message, size, hostFlags, timeoutMs);
}

void SendFromHost(RallixGame& game, const BYTE* message, DWORD size) {
  if (game.server != nullptr) game.server->Send(message, size, hostGuaranteed, 0);
}

// Type and text with its terminator in a zero-filled buffer; a longer text is cut to 254.
DWORD BuildTextMessage(BYTE (&message)[textMessageSize], uint8_t type, const char* text) {
  std::memset(message, 0, sizeof message);
  message[0] = type;
  const size_t length = strnlen(text, maxMessageText);
  std::memcpy(message + 1, text, length);
  return static_cast<DWORD>(length + 2);
}

void SendTextMessage(uint8_t type, const char* text) {
  BYTE message[textMessageSize];
  const DWORD size = BuildTextMessage(message, type, text);
  SendToPeer(NetGame(), message, size, clientGuaranteed, hostGuaranteed, 0);
}

}  // namespace

void SendVersion() {
  BYTE message[versionSize];
  message[0] = messageVersion;
  PutField<int32_t>(message, 1, PROTOCOL_VERSION);
  SendFromHost(NetGame(), message, versionSize);
}

void SendName() { SendTextMessage(messageName, NetGame().playerName); }

void SendChat(const char* text) {
  SendTextMessage(messageChat, text);
  RallixGame& game = NetGame();
  char line[aruConsole::kTextSize];
  std::snprintf(line, sizeof line, "<%s> %.*s", game.playerName, static_cast<int>(maxMessageText), text);
  game.PrintFor(line, chatEchoColour, chatExtraMs);
}

void SendBall(int16_t event) {
  RallixGame& game = NetGame();
  NetLockGuard guard(game.netLock);
  BYTE message[ballSize];
  message[0] = messageBall;
  // The client's frame: its own end is where the host's opponent is, so x and z turn round.
  PutField<float>(message, 1, -game.ball.position.x);
  PutField<float>(message, 5, game.ball.position.y);
  PutField<float>(message, 9, -game.ball.position.z);
  PutField<float>(message, 13, -game.ball.velocity.x);
  PutField<float>(message, 17, game.ball.velocity.y);
  PutField<float>(message, 21, -game.ball.velocity.z);
  PutField<int16_t>(message, 25, event);
  SendFromHost(game, message, ballSize);
}

void SendScores() {
  RallixGame& game = NetGame();
  NetLockGuard guard(game.netLock);
  BYTE message[scoresSize];
  message[0] = messageScores;
  // Already in the client's terms: the host's opponent is the client's player.
  PutField<int32_t>(message, 1, game.opponentScore);
  PutField<int32_t>(message, 5, game.playerScore);
  PutField<int32_t>(message, 9, game.opponentWins);
  PutField<int32_t>(message, 13, game.playerWins);
  SendFromHost(game, message, scoresSize);
}

void SendPaddle() {
  RallixGame& game = NetGame();
  if (!game.paddleThrottle.Due(GetTickCount())) return;
  NetLockGuard guard(game.netLock);
  BYTE message[paddleSize];
  message[0] = messagePaddle;
  // The sender turns x round; the receiver turns the position's z round on arrival.
  PutField<float>(message, 1, -game.playerPaddle.x);
  PutField<float>(message, 5, game.playerPaddle.y);
  PutField<float>(message, 9, game.playerPaddle.z);
  PutField<float>(message, 13, -game.paddleStep.x);
  PutField<float>(message, 17, game.paddleStep.y);
  PutField<float>(message, 21, game.paddleStep.z);
  SendToPeer(game, message, paddleSize, clientPaddleFlags, hostPaddleFlags, paddleTimeoutMs);
}

void SendEndMatch() {
  const BYTE message[endMatchSize] = {messageEndMatch};
  SendFromHost(NetGame(), message, endMatchSize);
}

void SendStartMatch() {
  RallixGame& game = NetGame();
  BYTE message[startMatchSize];
  message[0] = messageStartMatch;
  PutField<int32_t>(message, 1, game.goalsToWin);
  SendFromHost(game, message, startMatchSize);
}
