// Small 3-D vector and the collision triangle with its ray test, the geometry under the ball
// rules and the computer's prediction. Arena coordinates: x right, y up, z into the screen
// (left-handed), in arena units.
#pragma once

class aruVector3 {
 public:
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  aruVector3() = default;
  aruVector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

  void Set(float xValue, float yValue, float zValue);
  void Add(const aruVector3& other);
  void Scale(float factor);
  // Component-wise this - other.
  aruVector3 Difference(const aruVector3& other) const;
  float Length() const;
  // Unit vector in the same direction; the zero vector stays zero.
  aruVector3 Normalised() const;
  float Distance(const aruVector3& other) const;
  float Dot(const aruVector3& other) const;
  // True only when all three components are exactly 0.
  bool IsZero() const;
};

// A collision triangle: the plane a·x + b·y + c·z + d = 0 through three corners. The normal
// (a, b, c) is (corner1 - corner0) × (corner2 - corner0) and is not normalised; only rays
// running against it can hit.
class aruPlane {
 public:
  float a = 0.0f;
  float b = 0.0f;
  float c = 0.0f;
  aruVector3 corners[3];
  float d = 0.0f;

  aruPlane() = default;
  aruPlane(const aruVector3& corner0, const aruVector3& corner1, const aruVector3& corner2);

  // Casts the ray origin + t·direction (t unbounded) at the plane. Writes the crossing point
  // whenever the plane is crossed, and returns true only when that point lies inside the
  // triangle. A zero ray, a ray along the plane or away from the normal, or t = 0 never hits.
  bool RayHit(const aruVector3& origin, const aruVector3& direction, aruVector3& point) const;

 private:
  bool Contains(const aruVector3& point) const;
};
