// The network match's text readers and ball steps. The host decides every return and goal and
// tells the joining side; the joining side only moves its copy of the ball between messages.
#include "net_rules.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "net_protocol.h"
#include "rallix_game.h"

namespace {

constexpr float alignmentReach = 0.075f;
constexpr float returnDepth = 0.025f;
constexpr float returnedOffset = 0.125f;
constexpr float goalLineOffset = 0.025f;
constexpr float angleFactor = 150.0f;
constexpr int32_t fallbackGoals = 5;
constexpr uint32_t playerGoalColour = 0xFFAAAAFF;
constexpr uint32_t opponentGoalColour = 0xFFFFAAAA;
constexpr uint32_t debugColour = 0xFFFFFFFF;

// The ball leaves a paddle: placed off its face, turned around, angled by the offset of the
// ball from the paddle's centre (both as unit vectors), and sped up along the new direction.
void ReturnBall(RallixGame& game, const aruVector3& ballUnit, const aruVector3& paddleUnit,
                float newZ, float speedUp) {
  game.ball.position.z = newZ;
  game.ball.velocity.z = -game.ball.velocity.z;
  game.towardOpponent = game.towardOpponent ? 0 : 1;
  game.ball.velocity.x = angleFactor * (ballUnit.x - paddleUnit.x);
  game.ball.velocity.y = angleFactor * (ballUnit.y - paddleUnit.y);
  game.ball.velocity.z += speedUp;
  game.volley += 1;
}

void Goal(RallixGame& game, bool hostScored, uint32_t tickMs) {
  if (hostScored) {
    game.Announce(playerGoalColour, "%s scored a point!", game.playerName);
    game.playerScore += 1;
    game.PlayAt(MatchSound::score, game.ball.position, nullptr);
    game.ball.position.z = game.opponentPaddle.z - goalLineOffset;
  } else {
    game.Announce(opponentGoalColour, "%s scored a point!", game.opponentName);
    game.opponentScore += 1;
    game.PlayAt(MatchSound::score, game.ball.position, nullptr);
    game.ball.position.z = game.playerPaddle.z + goalLineOffset;
  }
  game.ball.velocity.z = -game.ball.velocity.z;
  game.towardOpponent = game.towardOpponent ? 0 : 1;
  game.goalSplat.MarkSplat(game.ball.position, tickMs);
  if (game.volley > game.highestVolley) game.highestVolley = game.volley;
  game.volley = 0;
  SendScores();
  SendBall(BALL_EVENT_GOAL);
}

void MoveBall(RallixGame& game, float dt) {
  aruVector3 motion = game.ball.velocity;
  motion.Scale(dt);
  game.ball.position.Add(motion);
}

}  // namespace

int32_t ReadPortText(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ') ++text;
  int32_t value = 0;
  int digits = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    if (++digits > 6) return 0;  // far beyond any port; also keeps the sum from overflowing
    value = value * 10 + (*text - '0');
  }
  while (*text == ' ') ++text;
  return digits > 0 && *text == '\0' ? value : 0;
}

bool PortInRange(int32_t port) { return port >= lowestPort && port <= highestPort; }

ConnectTarget ParseConnectTarget(const std::string& text) {
  ConnectTarget target;
  const size_t colon = text.find(':');
  if (colon == std::string::npos) {
    target.host = text;
    return target;
  }
  target.host = text.substr(0, colon);
  target.port = std::atoi(text.c_str() + colon + 1);
  return target;
}

bool IsPlausibleHostText(const char* text) {
  if (text == nullptr || *text == '\0') return false;
  for (; *text != '\0'; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (c <= ' ' || c == 0x7F) return false;
  }
  return true;
}

int32_t ReadMaxScore(const char* text) {
  const double value = text != nullptr ? std::atof(text) : 0.0;
  // NaN, huge values and anything below 1 all fall back to the default.
  if (!(value >= 1.0) || value > 1.0e6) return fallbackGoals;
  return static_cast<int32_t>(value);
}

float NetSpeedUp(int32_t speedSetting) {
  switch (speedSetting) {
    case 0: return 0.3f;
    case 1: return 0.6f;
    case 2: return 1.2f;
    default: return 0.5f;
  }
}

void StepNetBall(RallixGame& game, const FrameInput& frame) {
  game.BounceWalls(frame);
  const aruVector3 paddleUnit = game.playerPaddle.Normalised();
  const aruVector3 opponentUnit = game.opponentPaddle.Normalised();
  const aruVector3 ballUnit = game.ball.position.Normalised();
  const float speedUp = NetSpeedUp(game.speedSetting);
  const float nearDistance = ballUnit.Distance(paddleUnit);
  if (nearDistance <= alignmentReach && game.ball.position.z <= game.playerPaddle.z + returnDepth) {
    game.hitSplat.MarkSplat(game.ball.position, frame.tickMs);
    game.PlayAt(MatchSound::ping, game.ball.position, nullptr);
    ReturnBall(game, ballUnit, paddleUnit, game.playerPaddle.z + returnedOffset, speedUp);
    if (debugMode == 1) {
      game.Announce(debugColour, "Debug: Distance=%5.3f Xpow=%5.3f Ypow=%5.3f", nearDistance,
                    game.xPow, game.yPow);
    }
    SendBall(BALL_EVENT_HIT);
  } else if (ballUnit.Distance(opponentUnit) <= alignmentReach &&
             game.ball.position.z >= game.opponentPaddle.z - returnDepth) {
    game.hitSplat.MarkSplat(game.ball.position, frame.tickMs);
    game.PlayAt(MatchSound::pong, game.ball.position, nullptr);
    ReturnBall(game, ballUnit, opponentUnit, game.opponentPaddle.z - returnedOffset, -speedUp);
    SendBall(BALL_EVENT_HIT);
  }
  if (game.ball.position.z < game.playerPaddle.z) {
    Goal(game, false, frame.tickMs);
  } else if (game.ball.position.z > game.opponentPaddle.z) {
    Goal(game, true, frame.tickMs);
  }
  MoveBall(game, frame.dt);
}

void StepClientBall(RallixGame& game, const FrameInput& frame) {
  game.BounceWalls(frame);
  MoveBall(game, frame.dt);
}
