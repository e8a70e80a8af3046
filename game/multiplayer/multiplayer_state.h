// The game object's network-match fields: the session wrapper of each side, the player ids the
// host's handler records, the standings, the peer's paddle step and the measured round trip, and
// the one lock (netLock) that the transport's threads and the main thread share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/mutex.h"
#include "vector.h"

class aruDPServer;
class aruDPClient;

constexpr uint32_t noPlayerId = 0xFFFFFFFF;

// The least time between two paddle messages, kept once for the program.
class PaddleThrottle {
 public:
  static constexpr uint32_t intervalMs = 30;

  // True when a paddle message is due at tick `nowMs`; the first call only starts the clock.
  // Tick counts wrap after 49.7 days, so "at least" is a signed difference.
  bool Due(uint32_t nowMs);
  void Reset() { started = false; }

 private:
  uint32_t nextSendMs = 0;
  bool started = false;
};

struct MultiplayerState {
  MultiplayerState();
  ~MultiplayerState();
  MultiplayerState(const MultiplayerState&) = delete;
  MultiplayerState& operator=(const MultiplayerState&) = delete;

  // Recursive, taken by both message handlers for the whole of each message and by the main
  // thread around the ball, score and paddle sends. Declared before the wrappers so that it
  // exists before the first and is destroyed after the last.
  aruMutex netLock;

  // At most one of the two exists: the host's match scene owns `server`, the joining side's
  // `client`. Both are null outside a network match.
  std::unique_ptr<aruDPServer> server;
  std::unique_ptr<aruDPClient> client;

  uint32_t serverPlayerId = noPlayerId;  // the host's own player, first create-player event
  uint32_t clientPlayerId = noPlayerId;  // the joined client; noPlayerId when none
  uint8_t connectionLost = 0;            // set by the client handler, cleared by the join screen
  uint8_t matchRunning = 0;
  int32_t playerWins = 0;
  int32_t opponentWins = 0;
  int32_t speedSetting = 1;
  std::string password;      // typed on a set-up screen; never saved  // the host's checked speed option at the start of a match
  float ping = 0.0f;  // the session's round trip in milliseconds, read every frame
  aruVector3 opponentStep;
  PaddleThrottle paddleThrottle;

  bool HasSession() const { return server != nullptr || client != nullptr; }
};
