// aruVector3 arithmetic and aruPlane's ray test. The inside test sums the angles that the
// triangle's edges subtend at the crossing point; it works in double precision so that points
// on an edge (angles near π, where arc-cosine is most sensitive) stay within the tolerance.
#include "vector.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double insideTolerance = 0.0001;

struct Unit {
  double x, y, z;
};

Unit UnitTowards(const aruVector3& from, const aruVector3& to) {
  const double dx = double(to.x) - from.x;
  const double dy = double(to.y) - from.y;
  const double dz = double(to.z) - from.z;
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (length == 0.0) return {0.0, 0.0, 0.0};
  return {dx / length, dy / length, dz / length};
}

double AngleBetween(const Unit& first, const Unit& second) {
  const double dot = first.x * second.x + first.y * second.y + first.z * second.z;
  return std::acos(std::clamp(dot, -1.0, 1.0));
}

}  // namespace

void aruVector3::Set(float xValue, float yValue, float zValue) {
  x = xValue;
  y = yValue;
  z = zValue;
}

void aruVector3::Add(const aruVector3& other) {
  x += other.x;
  y += other.y;
  z += other.z;
}

void aruVector3::Scale(float factor) {
  x *= factor;
  y *= factor;
  z *= factor;
}

aruVector3 aruVector3::Difference(const aruVector3& other) const {
  return {x - other.x, y - other.y, z - other.z};
}

float aruVector3::Length() const { return std::sqrt(x * x + y * y + z * z); }

aruVector3 aruVector3::Normalised() const {
  const float length = Length();
  if (length == 0.0f) return {};
  return {x / length, y / length, z / length};
}

float aruVector3::Distance(const aruVector3& other) const { return Difference(other).Length(); }

float aruVector3::Dot(const aruVector3& other) const {
  return x * other.x + y * other.y + z * other.z;
}

bool aruVector3::IsZero() const { return x == 0.0f && y == 0.0f && z == 0.0f; }

aruPlane::aruPlane(const aruVector3& corner0, const aruVector3& corner1,
                   const aruVector3& corner2)
    : corners{corner0, corner1, corner2} {
  const aruVector3 edge1 = corner1.Difference(corner0);
  const aruVector3 edge2 = corner2.Difference(corner0);
  a = edge1.y * edge2.z - edge1.z * edge2.y;
  b = edge1.z * edge2.x - edge1.x * edge2.z;
  c = edge1.x * edge2.y - edge1.y * edge2.x;
  d = -(a * corner0.x + b * corner0.y + c * corner0.z);
}

bool aruPlane::RayHit(const aruVector3& origin, const aruVector3& direction,
                      aruVector3& point) const {
  if (origin.IsZero() && direction.IsZero()) return false;
  const aruVector3 unit = direction.Normalised();
  const aruVector3 normal(a, b, c);
  const float denominator = normal.Dot(unit);
  if (!(denominator < 0.0f)) return false;
  const float t = -(normal.Dot(origin) + d) / denominator;
  if (t == 0.0f || !std::isfinite(t)) return false;
  point.Set(origin.x + t * unit.x, origin.y + t * unit.y, origin.z + t * unit.z);
  return Contains(point);
}

bool aruPlane::Contains(const aruVector3& point) const {
  const Unit toCorner0 = UnitTowards(point, corners[0]);
  const Unit toCorner1 = UnitTowards(point, corners[1]);
  const Unit toCorner2 = UnitTowards(point, corners[2]);
  const double sum = AngleBetween(toCorner0, toCorner1) + AngleBetween(toCorner1, toCorner2) +
                     AngleBetween(toCorner2, toCorner0) - 2.0 * std::numbers::pi;
  return std::fabs(sum) <= insideTolerance;
}
