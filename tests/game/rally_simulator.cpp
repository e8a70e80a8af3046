// The simulator's near player aims at the predicted arrival with a random error chosen for
// each incoming ball, moves the mouse at a limited speed, and now and then flicks it just
// before the ball arrives to make a power hit. Matches cycle through levels 1 to 10.
#include "rally_simulator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int maximumMousePixels = 40;    // per frame
constexpr int flickPixels = 140;          // above 135: a power move
constexpr float aimError = 0.9f;          // arena units either way
constexpr double stalledRallySeconds = 300.0;
constexpr int32_t levelCount = 10;
constexpr float arenaHalfX = 3.75f;
constexpr float arenaHalfY = 3.0f;
constexpr float goalLineZ = 12.0f;

bool Finite(const aruVector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

RallySimulator::RallySimulator(int16_t difficulty, uint32_t seed, float dt)
    : owned(std::make_unique<RallixMatch>()), match(*owned), random(seed) {
  Configure(difficulty, seed, dt);
}

RallySimulator::RallySimulator(RallixMatch& driven, int16_t difficulty, uint32_t seed, float dt)
    : match(driven), random(seed) {
  Configure(difficulty, seed, dt);
}

void RallySimulator::Configure(int16_t difficulty, uint32_t seed, float dt) {
  match.SeedRandom(seed);
  match.difficulty = difficulty;
  frame.dt = dt;
  frame.tickMs = 1000;
}

SimulationReport RallySimulator::Play(int rallies) {
  StartNextMatch();
  while (report.rallies < rallies && report.problems == 0) {
    Frame();
    if (rallySeconds > stalledRallySeconds) {
      ++report.stalledRallies;
      Problem("a rally ran for more than five minutes");
    }
  }
  return report;
}

void RallySimulator::StartNextMatch() {
  match.selectedLevel = nextLevel;
  nextLevel = nextLevel % levelCount + 1;
  match.BeginSelectedLevel();
  match.StartMatch();
  rallySeconds = 0.0;
}

void RallySimulator::Frame() {
  frame.tickMs += uint32_t(std::lround(frame.dt * 1000.0f));
  if (match.awaitingServe) match.Serve(frame.tickMs);
  const int32_t scoresBefore = match.playerScore + match.opponentScore;
  const uint32_t volleyBefore = match.volley;
  const int32_t powerShotsBefore = match.powerShots;
  match.MovePlayerPaddle(frame, NearPaddleCursor(), park);
  match.MoveComputerPaddle(frame);
  match.StepBall(frame);
  ++report.frames;
  rallySeconds += frame.dt;
  CheckFrame(scoresBefore, volleyBefore, powerShotsBefore);
}

POINT RallySimulator::NearPaddleCursor() {
  const bool incoming = !match.towardOpponent;
  if (incoming != !lastDirection) {
    // A new ball is on its way to one end: pick this return's aiming error and power move.
    std::uniform_real_distribution<float> error(-aimError, aimError);
    aimX = error(random);
    aimY = error(random);
    flickThisRally = std::uniform_int_distribution<int>(0, 3)(random) == 0;
  }
  lastDirection = match.towardOpponent;
  if (flickFrames > 0) {
    --flickFrames;
    return POINT{park.x + (flickFrames == 1 ? flickPixels : -flickPixels), park.y};
  }
  if (incoming && flickThisRally && match.power == 0.0f && match.ball.position.z < -10.0f) {
    flickThisRally = false;
    flickFrames = 2;
    return NearPaddleCursor();
  }
  aruVector3 target = match.ball.position;
  if (incoming && !match.playerTarget.IsZero()) target = match.playerTarget;
  const float wantedX = target.x + aimX - match.playerPaddle.x;
  const float wantedY = target.y + aimY - match.playerPaddle.y;
  auto pixels = [&](float units) {
    const float raw = units / match.gameSensitivity;
    return LONG(std::clamp(raw, float(-maximumMousePixels), float(maximumMousePixels)));
  };
  return POINT{park.x + pixels(wantedX), park.y - pixels(wantedY)};
}

void RallySimulator::CheckFrame(int32_t scoresBefore, uint32_t volleyBefore,
                                int32_t powerShotsBefore) {
  const aruVector3& ball = match.ball.position;
  const aruVector3& velocity = match.ball.velocity;
  if (!Finite(ball) || !Finite(velocity) || !Finite(match.playerPaddle) ||
      !Finite(match.opponentPaddle) || !Finite(match.aiTarget) || !Finite(match.playerTarget) ||
      !std::isfinite(match.power) || !std::isfinite(match.xPow) || !std::isfinite(match.yPow)) {
    Problem("a value became NaN or infinite");
  }
  const float depthTravel = (std::fabs(velocity.z) + match.power) * frame.dt;
  if (std::fabs(ball.x) > arenaHalfX || std::fabs(ball.y) > arenaHalfY ||
      std::fabs(ball.z) > goalLineZ + depthTravel + 1e-3f) {
    Problem("the ball left the arena");
  }
  if (!match.awaitingServe && (velocity.z > 0.0f) != (match.towardOpponent != 0)) {
    Problem("towardOpponent disagrees with the ball's direction");
  }
  if (match.power < 0.0f) Problem("power became negative");
  if (match.playerPaddle.z != RallixMatch::playerEndZ ||
      match.opponentPaddle.z != RallixMatch::opponentEndZ) {
    Problem("a paddle left its end");
  }
  report.fastestDepthSpeed = std::max(report.fastestDepthSpeed, std::fabs(velocity.z));
  if (match.volley > volleyBefore) ++report.returns;
  if (match.powerShots > powerShotsBefore) ++report.powerHits;

  const int32_t scores = match.playerScore + match.opponentScore;
  if (scores == scoresBefore) return;
  if (scores != scoresBefore + 1) Problem("a frame scored more than one goal");
  ++report.rallies;
  rallySeconds = 0.0;
  if (!match.IsMatchOver()) return;
  const int32_t winner = std::max(match.playerScore, match.opponentScore);
  const int32_t loser = std::min(match.playerScore, match.opponentScore);
  if (winner != match.goalsToWin || loser >= match.goalsToWin ||
      match.goalsToWin != 2 * match.currentLevel + 3) {
    Problem("a match ended with scores that do not follow goalsToWin");
  }
  report.playerGoals += match.playerScore;
  report.opponentGoals += match.opponentScore;
  ++report.matches;
  StartNextMatch();
}

void RallySimulator::Problem(const std::string& what) {
  if (report.problems++ == 0) {
    const aruVector3& ball = match.ball.position;
    report.firstProblem = what + " at frame " + std::to_string(report.frames) + ", ball (" +
                          std::to_string(ball.x) + ", " + std::to_string(ball.y) + ", " +
                          std::to_string(ball.z) + ")";
  }
}
