// The rally rules of RallixMatch: ball stepping, wall bounces, both paddle returns with the
// per-return speed-up and power shots, goals, the serve and the mouse-driven player paddle,
// plus the ball's spin and the splats' timing. Nothing here allocates or touches files; it
// runs once per frame.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "match.h"

int16_t debugMode = 0;

namespace {

constexpr float alignmentReach = 0.075f;  // between unit vectors seen from the arena's centre
constexpr float returnDepth = 0.025f;     // how far before its paddle a ball can be returned
constexpr float returnedOffset = 0.125f;  // a returned ball restarts this far in front
constexpr float wallReach = 0.25f;        // the ball's radius beyond the paddle limits
constexpr float sideSplatOffset = 0.8375f;
constexpr float floorSplatOffset = 0.6875f;
constexpr float powerHitFactor = 360.0f;
constexpr float restingPow = 180.0f;
constexpr float powDecayPerSecond = 100.0f;
constexpr float serveDepthSpeed = 15.0f;

constexpr uint32_t colourWhite = 0xFFFFFFFF;
constexpr uint32_t colourGreen = 0xFF00FF00;
constexpr uint32_t colourPlayerGoal = 0xFFAAAAFF;
constexpr uint32_t colourOpponentGoal = 0xFFFFAAAA;

void AddRectangle(aruPlane* triangles, const aruVector3 (&corners)[4]) {
  triangles[0] = aruPlane(corners[0], corners[1], corners[2]);
  triangles[1] = aruPlane(corners[0], corners[2], corners[3]);
  // The arena's centre is inside the box: turn any triangle facing away from it around.
  for (int i = 0; i < 2; ++i) {
    const aruPlane& triangle = triangles[i];
    if (triangle.d <= 0.0f) {
      triangles[i] = aruPlane(triangle.corners[0], triangle.corners[2], triangle.corners[1]);
    }
  }
}

}  // namespace

void PlayBall::Spin() {
  spinAngle += 0.1f;
  if (spinAngle >= 6.23f) spinAngle = 0.0f;
}

void GoalSplat::MarkSplat(const aruVector3& position, uint32_t tickMs) {
  centre = position;
  startTick = tickMs;
  marked = true;
}

bool GoalSplat::IsVisible(uint32_t nowMs) const {
  return marked && nowMs - startTick < lifetimeMs;
}

float GoalSplat::Growth(uint32_t nowMs) const { return float(nowMs - startTick) * 0.01f; }

RallixMatch::RallixMatch() : random(std::random_device{}()) {}

void RallixMatch::StartMatch() {
  ball.position = {};
  ball.velocity = {};
  awaitingServe = 1;
  paused = 0;
  towardOpponent = RandomInt(2, 100) % 2 == 0 ? 1 : 0;  // even: the player serves
  playerPaddle.Set(0.0f, 0.0f, playerEndZ);
  opponentPaddle.Set(0.0f, 0.0f, opponentEndZ);
  playerScore = 0;
  opponentScore = 0;
  volley = 0;
  highestVolley = 0;
  powerShots = 0;
  power = 0.0f;
  aiTarget = {};
  playerTarget = {};
  BuildCollisionTriangles();
}

void RallixMatch::BuildCollisionTriangles() {
  const float halfX = 3.0f * arenaScale.x;
  const float halfY = 3.0f * arenaScale.y;
  const float halfZ = 3.0f * arenaScale.z;
  const float farZ = 11.5f;
  const float floorY = minY - wallReach;
  const float ceilingY = maxY + wallReach;
  const float leftX = minX - wallReach;
  const float rightX = maxX + wallReach;
  const aruVector3 farEnd[4] = {
      {-halfX, -halfY, farZ}, {halfX, -halfY, farZ}, {halfX, halfY, farZ}, {-halfX, halfY, farZ}};
  const aruVector3 floor[4] = {{-halfX, floorY, -halfZ}, {halfX, floorY, -halfZ},
                               {halfX, floorY, halfZ}, {-halfX, floorY, halfZ}};
  const aruVector3 ceiling[4] = {{-halfX, ceilingY, -halfZ}, {halfX, ceilingY, -halfZ},
                                 {halfX, ceilingY, halfZ}, {-halfX, ceilingY, halfZ}};
  const aruVector3 left[4] = {{leftX, -halfY, -halfZ}, {leftX, halfY, -halfZ},
                              {leftX, halfY, halfZ}, {leftX, -halfY, halfZ}};
  const aruVector3 right[4] = {{rightX, -halfY, -halfZ}, {rightX, halfY, -halfZ},
                               {rightX, halfY, halfZ}, {rightX, -halfY, halfZ}};
  // The near end spans only the side walls' corners; the far end keeps the arena's width.
  const aruVector3 nearEnd[4] = {{leftX, -halfY, -farZ}, {rightX, -halfY, -farZ},
                                 {rightX, halfY, -farZ}, {leftX, halfY, -farZ}};
  AddRectangle(collisionTriangles + 0, farEnd);
  AddRectangle(collisionTriangles + 2, floor);
  AddRectangle(collisionTriangles + 4, ceiling);
  AddRectangle(collisionTriangles + 6, left);
  AddRectangle(collisionTriangles + 8, right);
  AddRectangle(collisionTriangles + 10, nearEnd);
}

bool RallixMatch::IsMatchOver() const {
  return playerScore >= goalsToWin || opponentScore >= goalsToWin;
}

void RallixMatch::StepBall(const FrameInput& frame) {
  BounceWalls(frame);
  const aruVector3 paddleUnit = playerPaddle.Normalised();
  const aruVector3 opponentUnit = opponentPaddle.Normalised();
  const aruVector3 ballUnit = ball.position.Normalised();
  bool returned = false;
  if (ballUnit.Distance(paddleUnit) <= alignmentReach &&
      ball.position.z <= playerPaddle.z + returnDepth) {
    PlayerReturn(ballUnit, paddleUnit, frame.tickMs);
    returned = true;
  } else if (ballUnit.Distance(opponentUnit) <= alignmentReach &&
             ball.position.z >= opponentPaddle.z - returnDepth) {
    FarReturn(ballUnit, opponentUnit, frame.tickMs);
    returned = true;
  }
  if (!returned) {
    if (ball.position.z < playerPaddle.z) {
      Goal(false, frame.tickMs);
    } else if (ball.position.z > opponentPaddle.z) {
      Goal(true, frame.tickMs);
    }
  }
  aruVector3 motion = ball.velocity;
  motion.z += towardOpponent ? power : -power;
  PowerSpread(motion, power);
  motion.Scale(frame.dt);
  ball.position.Add(motion);
}

void RallixMatch::PlayerReturn(const aruVector3& ballUnit, const aruVector3& paddleUnit,
                               uint32_t tickMs) {
  const bool powerBall = power > 0.0f;
  if (powerBall) {
    PlayAt(MatchSound::power, ball.position, nullptr);
    powerSplat.MarkSplat(ball.position, tickMs);
    power += 10.0f;
  } else {
    hitSplat.MarkSplat(playerPaddle, tickMs);
    PlayAt(MatchSound::ping, ball.position, nullptr);
  }
  ball.position.z = playerPaddle.z + returnedOffset;
  ball.velocity.z = -ball.velocity.z;
  towardOpponent = !towardOpponent;
  const float dx = ballUnit.x - paddleUnit.x;
  const float dy = ballUnit.y - paddleUnit.y;
  if (!powerBall && powerShotsAllowed && (xPow >= powerHitFactor || yPow >= powerHitFactor)) {
    PlayAt(MatchSound::power, ball.position, nullptr);
    powerSplat.MarkSplat(ball.position, tickMs);
    Announce(colourGreen, "POWER HIT!");
    power = 25.0f;
    powerShots += 1;
  } else {
    hitSplat.centre = ball.position;
  }
  ball.velocity.x = dx * xPow;
  ball.velocity.y = dy * yPow;
  ball.velocity.z += HitSpeedUp();
  volley += 1;
  if (debugMode == 1) {
    Announce(colourWhite, "Debug: Distance=%5.3f Xpow=%5.3f Ypow=%5.3f",
           double(ballUnit.Distance(paddleUnit)), double(xPow), double(yPow));
  }
  aruVector3 heading = ball.velocity;
  heading.z += power;
  if (power > 0.0f) PowerSpread(heading, power);
  aiTarget = PredictToOpponent(ball.position, heading, 0);
  playerTarget = {};
}

void RallixMatch::FarReturn(const aruVector3& ballUnit, const aruVector3& paddleUnit,
                            uint32_t tickMs) {
  if (power > 0.0f) {
    PlayAt(MatchSound::power, ball.position, nullptr);
    powerSplat.MarkSplat(ball.position, tickMs);
    power += 5.0f;
  } else {
    hitSplat.MarkSplat(opponentPaddle, tickMs);
    PlayAt(MatchSound::pong, ball.position, nullptr);
  }
  ball.position.z = opponentPaddle.z - returnedOffset;
  ball.velocity.z = -ball.velocity.z;
  towardOpponent = !towardOpponent;
  const float sideFactor = 100.0f + 10.0f * float(currentLevel - 1);
  ball.velocity.x = sideFactor * (ballUnit.x - paddleUnit.x);
  ball.velocity.y = sideFactor * (ballUnit.y - paddleUnit.y);
  ball.velocity.z -= HitSpeedUp();
  volley += 1;
  aruVector3 heading = ball.velocity;
  heading.z -= power;
  if (power > 0.0f) PowerSpread(heading, power);
  aiTarget.Set(0.0f, 0.0f, opponentEndZ);
  playerTarget = PredictToPlayer(ball.position, heading, 0);
}

void RallixMatch::Goal(bool playerScored, uint32_t tickMs) {
  const char* scorer = playerScored ? playerName : opponentName;
  const uint32_t colour = playerScored ? colourPlayerGoal : colourOpponentGoal;
  if (power > 0.0f) {
    Announce(colour, "POWER POINT! Nice shot %s!", scorer);
  } else {
    Announce(colour, "%s scored a point!", scorer);
  }
  (playerScored ? playerScore : opponentScore) += 1;
  power = 0.0f;
  PlayAt(MatchSound::score, ball.position, nullptr);
  ball.position.z = playerScored ? opponentPaddle.z - returnDepth : playerPaddle.z + returnDepth;
  ball.velocity.z = -ball.velocity.z;
  towardOpponent = !towardOpponent;
  goalSplat.MarkSplat(ball.position, tickMs);
  highestVolley = std::max(highestVolley, volley);
  volley = 0;
  if (playerScored) {
    aiTarget = {};
    playerTarget = PredictToPlayer(ball.position, ball.velocity, 0);
  } else {
    playerTarget = {};
    aiTarget = PredictToOpponent(ball.position, ball.velocity, 0);
  }
}

float RallixMatch::HitSpeedUp() const {
  struct SpeedUp {
    float added;
    float below;
  };
  static constexpr SpeedUp table[] = {{0.5f, 50.0f}, {1.0f, 60.0f}, {1.25f, 70.0f}, {1.5f, 80.0f}};
  if (difficulty < 1 || difficulty > 4) return 0.0f;
  const SpeedUp& row = table[difficulty - 1];
  return std::fabs(ball.velocity.z) < row.below ? row.added : 0.0f;
}

void RallixMatch::PowerSpread(aruVector3& vector, float powerValue) {
  const float spread = 0.1f * powerValue;
  vector.x += vector.x > 0.0f ? spread : -spread;
  vector.y += vector.y > 0.0f ? spread : -spread;
}

void RallixMatch::BounceWalls(const FrameInput& frame) {
  const float leftX = minX - wallReach;
  const float rightX = maxX + wallReach;
  if (ball.position.x < leftX || ball.position.x > rightX) {
    const bool left = ball.position.x < leftX;
    ball.position.x = left ? leftX : rightX;
    ball.velocity.x = -ball.velocity.x;
    PlayAt(MatchSound::wall, ball.position, &ball.velocity);
    const float splatX = left ? minX - sideSplatOffset : maxX + sideSplatOffset;
    sideSplat.MarkSplat({splatX, ball.position.y, ball.position.z}, frame.tickMs);
  }
  const float floorY = minY - wallReach;
  const float ceilingY = maxY + wallReach;
  if (ball.position.y > ceilingY || ball.position.y < floorY) {
    const bool ceiling = ball.position.y > ceilingY;
    ball.position.y = ceiling ? ceilingY : floorY;
    ball.velocity.y = -ball.velocity.y;
    PlayAt(MatchSound::wall, ball.position, &ball.velocity);
    const float splatY = ceiling ? maxY + floorSplatOffset : minY - floorSplatOffset;
    floorSplat.MarkSplat({ball.position.x, splatY, ball.position.z}, frame.tickMs);
  }
}

void RallixMatch::PlayAt(MatchSound sound, const aruVector3& position,
                         const aruVector3* velocity) {
  if (!soundEffects || output.play == nullptr) return;
  output.play(output.context, sound, position, velocity);
}

void RallixMatch::Serve(uint32_t tickMs) {
  if (!awaitingServe || paused) return;
  const float sideways = float(RandomInt(0, 5)) - 2.5f;
  const float upways = float(RandomInt(0, 5)) - 2.5f;
  if (towardOpponent) {
    ball.velocity.Set(sideways, upways, serveDepthSpeed);
    aiTarget = PredictToOpponent(ball.position, ball.velocity, 0);
  } else {
    ball.velocity.Set(sideways, upways, -serveDepthSpeed);
    playerTarget = PredictToPlayer(ball.position, ball.velocity, 0);
  }
  if (output.served != nullptr) output.served(output.context);
  awaitingServe = 0;
  serveTime = tickMs;
}

bool RallixMatch::MovePlayerPaddle(const FrameInput& frame, POINT cursor, POINT park) {
  if (frame.inactive) return false;
  if (cursor.x == park.x && cursor.y == park.y) {
    xPow = std::max(xPow - powDecayPerSecond * frame.dt, restingPow);
    yPow = std::max(yPow - powDecayPerSecond * frame.dt, restingPow);
    paddleStep = {};
    return false;
  }
  const float mx = float(cursor.x - park.x) * gameSensitivity;
  const float my = float(park.y - cursor.y) * gameSensitivity;  // screen y grows downward
  playerPaddle.x = std::clamp(playerPaddle.x + mx, minX, maxX);
  playerPaddle.y = std::clamp(playerPaddle.y + my, minY, maxY);
  xPow = std::fabs(200.0f * mx) + 90.0f;
  yPow = std::fabs(200.0f * my) + 90.0f;
  paddleStep.Set(mx, my, 0.0f);
  return true;
}

bool RallixMatch::MovePlayerPaddle(const FrameInput& frame, POINT park) {
  if (frame.inactive) return false;
  POINT cursor = park;
  GetCursorPos(&cursor);
  if (!MovePlayerPaddle(frame, cursor, park)) return false;
  SetCursorPos(park.x, park.y);
  return true;
}

void RallixMatch::Announce(uint32_t colour, const char* format, ...) {
  if (output.print == nullptr) return;
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  output.print(output.context, colour, text);
}

int RallixMatch::RandomInt(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}
