// The ball and the timed effect quads ("splats") of a rally: their state and timing. Drawing
// them (the sphere mesh and the textured square) belongs to the match scene, which reads the
// values kept here.
#pragma once

#include <cstdint>

#include "vector.h"

class PlayBall {
 public:
  static constexpr float radius = 0.25f;
  static constexpr int sphereSlices = 15;
  static constexpr int sphereStacks = 6;

  aruVector3 position;
  aruVector3 second;  // kept zero; no rule reads it
  aruVector3 velocity;
  float spinAngle = 0.0f;  // radians about y, advanced once per drawn frame
  int32_t texture = -1;

  // Grows the spin angle by 0.1 and returns it to 0 once it reaches 6.23.
  void Spin();
};

class GoalSplat {
 public:
  static constexpr uint32_t lifetimeMs = 100;

  explicit GoalSplat(float sideLength) : size(sideLength) {}

  // Puts the splat at the position and starts its 100 ms life at the given tick.
  void MarkSplat(const aruVector3& position, uint32_t tickMs);
  bool IsVisible(uint32_t nowMs) const;
  // Scale of the square in x and y: 0 at the stamp, 1 after 100 ms (elapsed ms × 0.01).
  float Growth(uint32_t nowMs) const;

  aruVector3 centre;
  float size;
  uint32_t startTick = 0;
  bool marked = false;  // never marked: nothing to draw
  int32_t texture = -1;
};
