// The ray-cast prediction: through floor, ceiling and side walls it must land where the
// simulated ball really crosses the end plane; the computer's aim carries a bounded error; rays
// that meet nothing give the zero vector without endless recursion or NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "match_recorder.h"

namespace {

constexpr float endPlaneZ = 11.5f;

// Steps the real ball until its centre crosses z = planeZ and returns the crossing point.
aruVector3 SimulateArrival(RecordingMatch& match, float planeZ) {
  const float timeStep = 1e-4f;
  aruVector3 previous = match.ball.position;
  for (int step = 0; step < 1000000; ++step) {
    previous = match.ball.position;
    match.StepBall(Frame(timeStep));
    const float z = match.ball.position.z;
    if ((planeZ > 0.0f && z >= planeZ) || (planeZ < 0.0f && z <= planeZ)) break;
  }
  const aruVector3 now = match.ball.position;
  const float fraction = (planeZ - previous.z) / (now.z - previous.z);
  return aruVector3(previous.x + fraction * (now.x - previous.x),
                    previous.y + fraction * (now.y - previous.y), planeZ);
}

struct Heading {
  const char* walls;
  int bounces;
  // The far end spans the arena's full width (±3.75), wider than the side walls' bounce limits
  // (±3.15): a last leg crossing it in that strip is predicted there, before the wall.
  bool farLegPassesTheWalls;
  aruVector3 origin;
  aruVector3 velocity;
};

class PredictionLandsWhereTheBallArrives : public testing::TestWithParam<Heading> {};

TEST_P(PredictionLandsWhereTheBallArrives, AtThePlayersEnd) {
  const Heading& heading = GetParam();
  RecordingMatch match;
  match.Rally(heading.origin, aruVector3(heading.velocity.x, heading.velocity.y,
                                         -std::fabs(heading.velocity.z)));
  const aruVector3 predicted = match.PredictToPlayer(match.ball.position, match.ball.velocity, 0);
  const aruVector3 arrival = SimulateArrival(match, -endPlaneZ);
  EXPECT_FLOAT_EQ(predicted.z, -endPlaneZ);
  EXPECT_NEAR(predicted.x, arrival.x, 0.01f) << heading.walls;
  EXPECT_NEAR(predicted.y, arrival.y, 0.01f) << heading.walls;
  EXPECT_EQ(match.CountSounds(MatchSound::wall), heading.bounces) << heading.walls;
}

TEST_P(PredictionLandsWhereTheBallArrives, AtTheFarEndWithinTheAimingError) {
  const Heading& heading = GetParam();
  RecordingMatch match;
  aruVector3 origin = heading.origin;
  origin.z = -origin.z;
  match.Rally(origin, aruVector3(heading.velocity.x, heading.velocity.y,
                                 std::fabs(heading.velocity.z)));
  const aruVector3 predicted =
      match.PredictToOpponent(match.ball.position, match.ball.velocity, 0);
  const aruVector3 arrival = SimulateArrival(match, endPlaneZ);
  EXPECT_FLOAT_EQ(predicted.z, endPlaneZ);
  if (heading.farLegPassesTheWalls) {
    EXPECT_GT(std::fabs(predicted.x), 3.15f);
    EXPECT_LT(std::fabs(predicted.x), 3.75f);
    return;
  }
  EXPECT_NEAR(predicted.x, arrival.x, 0.075f + 0.01f) << heading.walls;
  EXPECT_NEAR(predicted.y, arrival.y, 0.075f + 0.01f) << heading.walls;
}

INSTANTIATE_TEST_SUITE_P(
    Walls, PredictionLandsWhereTheBallArrives,
    testing::Values(
        Heading{"straight", 0, false, {0.4f, -0.3f, 10.0f}, {1.0f, 0.5f, 30.0f}},
        Heading{"floor", 1, false, {0.0f, 0.0f, 10.0f}, {0.0f, -8.0f, 30.0f}},
        Heading{"ceiling then floor", 2, false, {1.0f, 1.0f, 10.0f}, {-0.5f, 9.0f, 25.0f}},
        Heading{"right wall then left wall", 2, true, {0.0f, 0.5f, 10.0f}, {9.0f, 0.0f, 20.0f}},
        Heading{"left wall", 1, false, {-1.0f, 0.0f, 5.0f}, {-6.0f, 1.0f, 30.0f}},
        Heading{"three walls", 3, false, {0.5f, 0.5f, 11.0f}, {11.0f, 6.0f, 20.0f}}),
    [](const testing::TestParamInfo<Heading>& info) {
      return "case" + std::to_string(info.index);
    });

TEST(PredictToOpponent, AimingErrorIsWholeThousandthsUpTo0_075) {
  RecordingMatch match;
  std::set<int> offsets;
  for (int i = 0; i < 2000; ++i) {
    const aruVector3 point = match.PredictToOpponent(aruVector3(1, 1, 0), aruVector3(0, 0, 1), 0);
    for (float coordinate : {point.x, point.y}) {
      const float offset = coordinate - 1.0f;
      EXPECT_LE(std::fabs(offset), 0.075f + 1e-5f);
      const float thousandths = offset * 1000.0f;
      EXPECT_NEAR(thousandths, std::round(thousandths), 1e-2f);
      offsets.insert(int(std::lround(thousandths)));
    }
  }
  EXPECT_GT(offsets.size(), 100u);
  EXPECT_TRUE(offsets.count(-75) && offsets.count(75));
}

TEST(PredictToPlayer, HasNoAimingError) {
  RecordingMatch match;
  for (int i = 0; i < 20; ++i) {
    const aruVector3 point = match.PredictToPlayer(aruVector3(1, 1, 0), aruVector3(0, 0, -1), 0);
    EXPECT_FLOAT_EQ(point.x, 1.0f);
    EXPECT_FLOAT_EQ(point.y, 1.0f);
    EXPECT_FLOAT_EQ(point.z, -11.5f);
  }
}

TEST(Prediction, RayMeetingNothingGivesZero) {
  RallixMatch unbuilt;  // twelve empty triangles, as constructed
  EXPECT_TRUE(unbuilt.PredictToOpponent(aruVector3(0, 0, 0), aruVector3(1, 2, 3), 0).IsZero());

  RecordingMatch match;
  EXPECT_TRUE(match.PredictToOpponent(aruVector3(0, 0, 0), aruVector3(0, 0, -1), 0).IsZero())
      << "heading away from the far end";
  EXPECT_TRUE(match.PredictToPlayer(aruVector3(0, 0, 0), aruVector3(0, 0, 0), 0).IsZero());
}

TEST(Prediction, SidewaysRayWithoutDepthGivesUpInsteadOfRecursingForever) {
  RecordingMatch match;
  EXPECT_TRUE(match.PredictToOpponent(aruVector3(0, 0, 0), aruVector3(1, 0, 0), 0).IsZero());
  EXPECT_TRUE(match.PredictToPlayer(aruVector3(0, 0, 0), aruVector3(0, 1, 0), 0).IsZero());
  const aruVector3 steep = match.PredictToPlayer(aruVector3(0, 0, 0), aruVector3(1, 0, -1e-4f), 0);
  EXPECT_FALSE(std::isnan(steep.x) || std::isnan(steep.y) || std::isnan(steep.z));
}

TEST(Prediction, BallOnACornerOrEdgeNeverProducesNaN) {
  RecordingMatch match;
  const float xs[] = {-3.15f, 0.0f, 3.15f};
  const float ys[] = {-2.55f, 0.0f, 2.55f};
  const aruVector3 headings[] = {{1, 1, 1}, {-1, 1, -1}, {1, -1, 1}, {0, 0, 1}, {1, 1, 0}};
  for (float x : xs) {
    for (float y : ys) {
      for (const aruVector3& heading : headings) {
        for (const aruVector3& point :
             {match.PredictToOpponent(aruVector3(x, y, 0), heading, 0),
              match.PredictToPlayer(aruVector3(x, y, 11.5f), heading, 0)}) {
          EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y) &&
                      std::isfinite(point.z));
        }
      }
    }
  }
}

TEST(CollisionTriangles, AllFaceIntoTheBoxAtTheBounceLimits) {
  RecordingMatch match;
  const aruVector3 centre;
  for (int i = 0; i < RallixMatch::triangleCount; ++i) {
    const aruPlane& triangle = match.collisionTriangles[i];
    EXPECT_GT(triangle.d, 0.0f) << "triangle " << i << " must face the centre";
  }
  aruVector3 point;
  EXPECT_TRUE(match.collisionTriangles[3].RayHit(centre, aruVector3(0.1f, -1, 0.2f), point) ||
              match.collisionTriangles[2].RayHit(centre, aruVector3(0.1f, -1, 0.2f), point));
  EXPECT_FLOAT_EQ(point.y, -2.55f);
  EXPECT_TRUE(match.collisionTriangles[8].RayHit(centre, aruVector3(1, 0, 0.5f), point) ||
              match.collisionTriangles[9].RayHit(centre, aruVector3(1, 0, 0.5f), point));
  EXPECT_FLOAT_EQ(point.x, 3.15f);
}

}  // namespace
