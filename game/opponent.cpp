// The computer opponent: its paddle speed by difficulty and level, the choice of difficulty,
// the start of a selected level, and the per-frame move of the far paddle toward its target
// (or the ball) at a limited speed, landing exactly on the target and resting on the limits.
#include "match.h"

#include <cstring>

float Approach(float value, float target, float step) {
  if (value < target) return value + step > target ? target : value + step;
  if (value > target) return value - step < target ? target : value - step;
  return value;
}

float RallixMatch::ComputerSpeed(int16_t chosenDifficulty) const {
  static constexpr float baseSpeed[] = {1.5f, 2.0f, 3.0f, 5.0f};
  if (chosenDifficulty < 1 || chosenDifficulty > 4) return 0.0f;
  return baseSpeed[chosenDifficulty - 1] + 0.1f * float(currentLevel - 1);
}

void RallixMatch::ChooseDifficulty(int16_t chosen) {
  currentLevel = 1;
  goalsToWin = 5;
  paused = 0;
  difficulty = chosen;
  std::strcpy(opponentName, "CPU");
}

void RallixMatch::BeginSelectedLevel() {
  currentLevel = selectedLevel;
  goalsToWin = 2 * currentLevel + 3;
  aiSpeed = ComputerSpeed(difficulty);
}

void RallixMatch::MoveComputerPaddle(const FrameInput& frame) {
  if (!IsActive(frame)) return;
  const float step = frame.dt * aiSpeed;
  const aruVector3& target = aiTarget.IsZero() ? ball.position : aiTarget;
  opponentPaddle.x = Approach(opponentPaddle.x, target.x, step);
  opponentPaddle.y = Approach(opponentPaddle.y, target.y, step);
  ClampOpponentPaddle();
}

void RallixMatch::ClampOpponentPaddle() {
  if (opponentPaddle.x < minX) {
    opponentPaddle.x = minX;
  } else if (opponentPaddle.x > maxX) {
    opponentPaddle.x = maxX;
  }
  if (opponentPaddle.y > maxY) {
    opponentPaddle.y = maxY;
  } else if (opponentPaddle.y < minY) {
    opponentPaddle.y = minY;
  }
}
