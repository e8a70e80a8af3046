// The receivers: what the host and the joining side do with each received message. Fields are
// read at the layouts' fixed offsets once the buffer is known to hold the whole layout; a
// shorter buffer, an unknown type or a layout carrying a non-finite number is garbage, shown
// only in debug mode. Texts are read up to their terminator or the end of the buffer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dp_client.h"
#include "net_layout.h"
#include "net_lock.h"
#include "net_match.h"
#include "net_protocol.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {

constexpr D3DCOLOR renameColour = 0xFFFFFFC8;
constexpr D3DCOLOR chatColour = 0xFFFFFFFF;
constexpr uint32_t chatExtraMs = 3000;
constexpr D3DCOLOR serverGarbageColour = 0xFFFF0000;
constexpr D3DCOLOR clientGarbageColour = 0xFF550000;
constexpr D3DCOLOR mismatchColour = 0xFFFF4444;
constexpr D3DCOLOR startColour = 0xFF00FF00;
constexpr DWORD textLayoutSize = 2;  // type and at least one byte of text
constexpr size_t textOffset = 1;

ReceivedBuffer BufferOf(const DPNMSG_RECEIVE* message) {
  ReceivedBuffer buffer;
  if (message == nullptr || message->pReceiveData == nullptr) return buffer;
  buffer.data = message->pReceiveData;
  buffer.size = message->dwReceiveDataSize;
  return buffer;
}

int TextLength(const ReceivedBuffer& in) { return static_cast<int>(in.TextLength(textOffset)); }

bool FloatsAreFinite(const ReceivedBuffer& in, size_t first, int count) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(GetField<float>(in.data, first + 4 * size_t(i)))) return false;
  }
  return true;
}

aruVector3 GetVector(const ReceivedBuffer& in, size_t offset) {
  return aruVector3(GetField<float>(in.data, offset), GetField<float>(in.data, offset + 4),
                    GetField<float>(in.data, offset + 8));
}

// Old name, " is now known as ", new name; the new name fills the zeroed field (255 at most).
void ReceiveName(RallixGame& game, const ReceivedBuffer& in) {
  const int length = TextLength(in);
  char line[aruConsole::kTextSize];
  std::snprintf(line, sizeof line, "%s is now known as %.*s", game.opponentName, length, in.Text(textOffset));
  game.PrintFor(line, renameColour, 0);
  std::memset(game.opponentName, 0, sizeof game.opponentName);
  std::memcpy(game.opponentName, in.Text(textOffset), std::min(size_t(length), sizeof game.opponentName - 1));
}

void ReceiveChat(RallixGame& game, const ReceivedBuffer& in) {
  char line[aruConsole::kTextSize];
  std::snprintf(line, sizeof line, "<%s> %.*s", game.opponentName, TextLength(in), in.Text(textOffset));
  game.PrintFor(line, chatColour, chatExtraMs);
}

bool IsPaddle(const ReceivedBuffer& in) { return in.size >= paddleSize && FloatsAreFinite(in, 1, 6); }

void ReceivePaddle(RallixGame& game, const ReceivedBuffer& in) {
  game.opponentPaddle = GetVector(in, 1);
  game.opponentPaddle.z = -game.opponentPaddle.z;
  game.opponentStep = GetVector(in, 13);
}

void ServerGarbage(RallixGame& game, const ReceivedBuffer& in) {
  if (debugMode == 0) return;
  game.aruConsole::Printf(serverGarbageColour, "Garbage: %.*s", TextLength(in), in.Text(textOffset));
}

void ClientGarbage(RallixGame& game, const ReceivedBuffer& in) {
  if (debugMode == 0) return;
  const int length = TextLength(in);
  game.aruConsole::Printf(clientGarbageColour, "Garbage (%d bytes) %.*s", length, length,
                          in.Text(textOffset));
}

// Returns false when the buffer does not hold the type's layout.
bool ServerAct(RallixGame& game, const ReceivedBuffer& in) {
  switch (in.Type()) {
    case messageName:
      if (in.size < textLayoutSize) return false;
      ReceiveName(game, in);
      SendName();
      return true;
    case messageChat:
      if (in.size < textLayoutSize) return false;
      ReceiveChat(game, in);
      return true;
    case messagePaddle:
      if (!IsPaddle(in)) return false;
      ReceivePaddle(game, in);
      return true;
    default: return false;
  }
}

void ReceiveVersion(RallixGame& game, const ReceivedBuffer& in) {
  const int32_t version = GetField<int32_t>(in.data, 1);
  if (version == PROTOCOL_VERSION) return;
  game.aruConsole::Printf(mismatchColour,
                          "Version Mismatch. Server replied version %d. This copy is version %d.", version,
                          PROTOCOL_VERSION);
  if (game.client != nullptr) game.client->Close();
}

// The host's ball in the client's frame; a goal or a return is heard and marked here, then
// the ball is moved on by half the round trip.
void ReceiveBall(RallixGame& game, const ReceivedBuffer& in) {
  PlayBall& ball = game.ball;
  ball.position = GetVector(in, 1);
  ball.velocity = GetVector(in, 13);
  const int16_t event = GetField<int16_t>(in.data, 25);
  const uint32_t now = GetTickCount();
  if (event == BALL_EVENT_GOAL) {
    game.goalSplat.MarkSplat(ball.position, now);
    game.PlayAt(MatchSound::score, ball.position, nullptr);
  } else if (event == BALL_EVENT_HIT) {
    game.PlayAt(ball.position.z < 0.0f ? MatchSound::ping : MatchSound::pong, ball.position, nullptr);
    game.hitSplat.MarkSplat(ball.position, now);
  }
  aruVector3 travel = ball.velocity;
  travel.Scale(game.ping * 0.5f * 0.001f);
  ball.position.Add(travel);
}

void ReceiveScores(RallixGame& game, const ReceivedBuffer& in) {
  game.playerScore = GetField<int32_t>(in.data, 1);
  game.opponentScore = GetField<int32_t>(in.data, 5);
  game.playerWins = GetField<int32_t>(in.data, 9);
  game.opponentWins = GetField<int32_t>(in.data, 13);
}

// The chat box takes the keyboard through a click at the scaled design point (2, 2).
void ReceiveStartMatch(RallixGame& game, const ReceivedBuffer& in) {
  game.matchRunning = 1;
  if (aruFader* fader = game.GetFader()) fader->Reveal();
  if (aruGUI* gui = game.GetGUI()) {
    gui->SetCursorVisible(false);
    gui->ClickAt(game.ScaleX(2.0f), game.ScaleY(2.0f));
  }
  game.aruConsole::Printf(startColour, "First to %d wins!", GetField<int32_t>(in.data, 1));
}

bool ClientAct(RallixGame& game, const ReceivedBuffer& in) {
  switch (in.Type()) {
    case messageVersion:
      if (in.size < versionSize) return false;
      ReceiveVersion(game, in);
      return true;
    case messageName:
      if (in.size < textLayoutSize) return false;
      ReceiveName(game, in);
      return true;
    case messageChat:
      if (in.size < textLayoutSize) return false;
      ReceiveChat(game, in);
      return true;
    case messageBall:
      if (in.size < ballSize || !FloatsAreFinite(in, 1, 6)) return false;
      ReceiveBall(game, in);
      return true;
    case messageScores:
      if (in.size < scoresSize) return false;
      ReceiveScores(game, in);
      return true;
    case messagePaddle:
      if (!IsPaddle(in)) return false;
      ReceivePaddle(game, in);
      return true;
    case messageEndMatch: ReturnToSetupPicture(game); return true;
    case messageStartMatch:
      if (in.size < startMatchSize) return false;
      ReceiveStartMatch(game, in);
      return true;
    default: return false;
  }
}

}  // namespace

void ServerReceive(const DPNMSG_RECEIVE* message) {
  RallixGame& game = NetGame();
  NetLockGuard guard(game.netLock);
  const ReceivedBuffer in = BufferOf(message);
  if (!ServerAct(game, in)) ServerGarbage(game, in);
}

void ClientReceive(const DPNMSG_RECEIVE* message) {
  RallixGame& game = NetGame();
  NetLockGuard guard(game.netLock);
  const ReceivedBuffer in = BufferOf(message);
  if (!ClientAct(game, in)) ClientGarbage(game, in);
}
