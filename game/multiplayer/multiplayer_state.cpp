// The network-match fields' construction and teardown, and the paddle throttle.
#include "multiplayer_state.h"

#include "dp_client.h"
#include "dp_server.h"

MultiplayerState::MultiplayerState() = default;

// The wrappers go first (members are destroyed in reverse order), so their transport threads
// have stopped before netLock goes.
MultiplayerState::~MultiplayerState() = default;

bool PaddleThrottle::Due(uint32_t nowMs) {
  if (!started) {
    started = true;
    nextSendMs = nowMs + intervalMs;
    return false;
  }
  if (static_cast<int32_t>(nowMs - nextSendMs) < 0) return false;
  nextSendMs = nowMs + intervalMs;
  return true;
}
