// A headless rally simulator: the real rules of RallixMatch, frame by frame with a chosen dt
// and a fixed seed, with the computer on the far paddle and a scripted mouse on the near one.
// It checks after every frame that the ball stays in the arena, that nothing becomes NaN or
// infinite, and that every goal and every match end follows the scoring rules.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "match.h"

struct SimulationReport {
  int rallies = 0;  // goals: play goes on after a goal, so a rally ends with one
  int matches = 0;
  long frames = 0;
  int playerGoals = 0;
  int opponentGoals = 0;
  int returns = 0;
  int powerHits = 0;
  int stalledRallies = 0;
  int problems = 0;
  float fastestDepthSpeed = 0.0f;
  std::string firstProblem;
};

class RallySimulator {
 public:
  RallySimulator(int16_t difficulty, uint32_t seed, float dt);
  // Drives the given match state, such as the game object's own, instead of a private one.
  RallySimulator(RallixMatch& driven, int16_t difficulty, uint32_t seed, float dt);

  SimulationReport Play(int rallies);
  // One frame as the match scene runs it: mouse, computer, ball.
  void Frame();
  RallixMatch& Match() { return match; }

 private:
  void Configure(int16_t difficulty, uint32_t seed, float dt);
  void StartNextMatch();
  POINT NearPaddleCursor();
  void CheckFrame(int32_t scoresBefore, uint32_t volleyBefore, int32_t powerShotsBefore);
  void Problem(const std::string& what);

  std::unique_ptr<RallixMatch> owned;
  RallixMatch& match;
  std::mt19937 random;
  FrameInput frame;
  SimulationReport report;
  POINT park{640, 512};
  float aimX = 0.0f;
  float aimY = 0.0f;
  int flickFrames = 0;
  bool flickThisRally = false;
  uint8_t lastDirection = 1;
  double rallySeconds = 0.0;
  int32_t nextLevel = 1;
};
