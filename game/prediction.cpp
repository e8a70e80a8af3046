// Where will the ball arrive? A ray from the ball along its heading is cast at the arena's
// collision triangles; at the floor, ceiling and side walls it is mirrored and cast again,
// until it meets the far end (the computer's target, with its aiming error) or the near end
// (the player's crosshair).
#include "match.h"

namespace {

constexpr int farEndTriangle = 0;
constexpr int firstFloorOrCeiling = 2;
constexpr int firstSideWall = 6;
constexpr int nearEndTriangle = 10;
constexpr int wallTriangleEnd = 10;
// A ray that keeps bouncing between walls (a near-sideways heading) gives up here, and the
// computer follows the ball instead of recursing without bound.
constexpr int maximumReflections = 256;
constexpr int aimingErrorSteps = 75;
constexpr float aimingErrorUnit = 0.001f;

}  // namespace

aruVector3 RallixMatch::PredictToOpponent(const aruVector3& origin, const aruVector3& direction,
                                          int excluded) {
  return Predict(origin, direction, excluded, farEndTriangle, true, 0);
}

aruVector3 RallixMatch::PredictToPlayer(const aruVector3& origin, const aruVector3& direction,
                                        int excluded) {
  return Predict(origin, direction, excluded, nearEndTriangle, false, 0);
}

aruVector3 RallixMatch::Predict(const aruVector3& origin, const aruVector3& direction,
                                int excluded, int endTriangle, bool aimingError, int depth) {
  if (depth > maximumReflections) return {};
  aruVector3 point;
  if (collisionTriangles[endTriangle].RayHit(origin, direction, point) ||
      collisionTriangles[endTriangle + 1].RayHit(origin, direction, point)) {
    if (aimingError) {
      point.x += float(RandomInt(-aimingErrorSteps, aimingErrorSteps)) * aimingErrorUnit;
      point.y += float(RandomInt(-aimingErrorSteps, aimingErrorSteps)) * aimingErrorUnit;
    }
    return point;
  }
  for (int index = firstFloorOrCeiling; index < wallTriangleEnd; ++index) {
    if (index == excluded || !collisionTriangles[index].RayHit(origin, direction, point)) {
      continue;
    }
    aruVector3 mirrored = direction;
    if (index < firstSideWall) {
      mirrored.y = -mirrored.y;
    } else {
      mirrored.x = -mirrored.x;
    }
    return Predict(point, mirrored, index, endTriangle, aimingError, depth + 1);
  }
  return {};
}
