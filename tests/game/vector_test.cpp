// aruVector3 arithmetic and aruPlane's ray test: the inside test, the sign rules that let only
// rays running against the normal hit, and the degenerate rays that must never produce a hit.
#include <gtest/gtest.h>

#include <cmath>

#include "vector.h"

namespace {

// A triangle in the plane z = 5 whose normal faces -z, toward a viewer at the origin.
aruPlane FacingTriangle() {
  return aruPlane(aruVector3(-1, -1, 5), aruVector3(-1, 1, 5), aruVector3(1, -1, 5));
}

TEST(Vector3, NormalisedCopyHasUnitLengthAndZeroStaysZero) {
  const aruVector3 v(3, 0, 4);
  const aruVector3 unit = v.Normalised();
  EXPECT_FLOAT_EQ(unit.Length(), 1.0f);
  EXPECT_FLOAT_EQ(unit.x, 0.6f);
  EXPECT_FLOAT_EQ(unit.z, 0.8f);
  EXPECT_FLOAT_EQ(v.x, 3.0f) << "the original is left alone";
  const aruVector3 zero = aruVector3().Normalised();
  EXPECT_TRUE(zero.IsZero());
  EXPECT_FALSE(std::isnan(zero.x));
}

TEST(Vector3, AddScaleDifferenceAndDistance) {
  aruVector3 v(1, 2, 3);
  v.Add(aruVector3(1, 1, 1));
  v.Scale(2.0f);
  EXPECT_EQ(v.x, 4.0f);
  EXPECT_EQ(v.y, 6.0f);
  EXPECT_EQ(v.z, 8.0f);
  const aruVector3 difference = v.Difference(aruVector3(1, 2, 8));
  EXPECT_EQ(difference.x, 3.0f);
  EXPECT_EQ(difference.y, 4.0f);
  EXPECT_EQ(difference.z, 0.0f);
  EXPECT_FLOAT_EQ(v.Distance(aruVector3(1, 2, 8)), 5.0f);
}

TEST(Vector3, ZeroTestIsExact) {
  EXPECT_TRUE(aruVector3(0, 0, 0).IsZero());
  EXPECT_TRUE(aruVector3(-0.0f, 0, 0).IsZero());
  EXPECT_FALSE(aruVector3(0, 1e-30f, 0).IsZero());
}

TEST(Plane, CoefficientsSatisfyThePlaneEquationAtEveryCorner) {
  const aruPlane plane(aruVector3(1, 2, 3), aruVector3(4, -1, 2), aruVector3(0, 5, -2));
  for (const aruVector3& corner : plane.corners) {
    EXPECT_NEAR(plane.a * corner.x + plane.b * corner.y + plane.c * corner.z + plane.d, 0.0f,
                1e-4f);
  }
}

TEST(PlaneRayHit, RayAgainstTheNormalHitsInsideAndReportsThePoint) {
  const aruPlane plane = FacingTriangle();
  ASSERT_LT(plane.c, 0.0f) << "the test triangle must face -z";
  aruVector3 point;
  EXPECT_TRUE(plane.RayHit(aruVector3(-0.5f, -0.5f, 0), aruVector3(0, 0, 2), point));
  EXPECT_FLOAT_EQ(point.x, -0.5f);
  EXPECT_FLOAT_EQ(point.y, -0.5f);
  EXPECT_FLOAT_EQ(point.z, 5.0f);
}

TEST(PlaneRayHit, PointOutsideIsWrittenButNotAHit) {
  const aruPlane plane = FacingTriangle();
  aruVector3 point;
  // (0.5, 0.5) is in the square but beyond the triangle's hypotenuse.
  EXPECT_FALSE(plane.RayHit(aruVector3(0.5f, 0.5f, 0), aruVector3(0, 0, 1), point));
  EXPECT_FLOAT_EQ(point.x, 0.5f);
  EXPECT_FLOAT_EQ(point.y, 0.5f);
  EXPECT_FLOAT_EQ(point.z, 5.0f);
}

TEST(PlaneRayHit, PointOnAnEdgeCountsAsInside) {
  const aruPlane plane = FacingTriangle();
  aruVector3 point;
  EXPECT_TRUE(plane.RayHit(aruVector3(0, 0, 0), aruVector3(0, 0, 1), point));
  EXPECT_TRUE(plane.RayHit(aruVector3(-1, 0.3f, 0), aruVector3(0, 0, 1), point));
}

TEST(PlaneRayHit, RayRunningWithTheNormalOrAlongThePlaneNeverHits) {
  const aruPlane plane = FacingTriangle();
  aruVector3 point(7, 7, 7);
  EXPECT_FALSE(plane.RayHit(aruVector3(-0.5f, -0.5f, 10), aruVector3(0, 0, -1), point))
      << "from behind, travelling with the normal";
  EXPECT_FALSE(plane.RayHit(aruVector3(-0.5f, -0.5f, 5), aruVector3(1, 0, 0), point))
      << "along the face";
  EXPECT_FALSE(plane.RayHit(aruVector3(-0.5f, -0.5f, 0), aruVector3(0, 1, 0), point));
  EXPECT_FLOAT_EQ(point.x, 7.0f) << "no crossing, nothing written";
}

TEST(PlaneRayHit, CrossingBehindTheOriginStillCounts) {
  // t is not bounded: a ray starting past the plane still reports the crossing behind it.
  const aruPlane plane = FacingTriangle();
  aruVector3 point;
  EXPECT_TRUE(plane.RayHit(aruVector3(-0.5f, -0.5f, 9), aruVector3(0, 0, 1), point));
  EXPECT_FLOAT_EQ(point.z, 5.0f);
}

TEST(PlaneRayHit, OriginOnThePlaneGivesTZeroAndNoHit) {
  const aruPlane plane = FacingTriangle();
  aruVector3 point;
  EXPECT_FALSE(plane.RayHit(aruVector3(-0.5f, -0.5f, 5), aruVector3(0, 0, 1), point));
}

TEST(PlaneRayHit, ZeroRaysNeverHitAndNeverProduceNaN) {
  const aruPlane plane = FacingTriangle();
  aruVector3 point;
  EXPECT_FALSE(plane.RayHit(aruVector3(), aruVector3(), point));
  EXPECT_FALSE(plane.RayHit(aruVector3(-0.5f, -0.5f, 0), aruVector3(), point));
  EXPECT_FALSE(std::isnan(point.x) || std::isnan(point.y) || std::isnan(point.z));
}

TEST(PlaneRayHit, DirectionLengthDoesNotChangeTheCrossing) {
  const aruPlane plane = FacingTriangle();
  aruVector3 shortPoint;
  aruVector3 longPoint;
  ASSERT_TRUE(plane.RayHit(aruVector3(-0.8f, 0, 0), aruVector3(0.01f, 0, 0.1f), shortPoint));
  ASSERT_TRUE(plane.RayHit(aruVector3(-0.8f, 0, 0), aruVector3(10, 0, 100), longPoint));
  EXPECT_NEAR(shortPoint.x, longPoint.x, 1e-5f);
  EXPECT_NEAR(shortPoint.x, -0.3f, 1e-5f);
}

TEST(PlaneRayHit, DegenerateTriangleNeverHits) {
  const aruPlane collapsed(aruVector3(1, 1, 1), aruVector3(1, 1, 1), aruVector3(1, 1, 1));
  aruVector3 point;
  EXPECT_FALSE(collapsed.RayHit(aruVector3(0, 0, 0), aruVector3(1, 1, 1), point));
  const aruPlane empty;
  EXPECT_FALSE(empty.RayHit(aruVector3(0, 0, -3), aruVector3(0, 0, 1), point));
}

}  // namespace
