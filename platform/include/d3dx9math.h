// Vector and matrix types and helpers of the Direct3D 9 utility library: the left-handed,
// row-vector conventions of Direct3D (a point is transformed as p * M, translation in _41.._43).
// Implemented in platform/src/d3dx9/math.cpp.
#pragma once

#include "d3d9types.h"

#define D3DX_PI ((FLOAT)3.141592654f)
#define D3DX_1BYPI ((FLOAT)0.318309886f)
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXVECTOR2 {
  FLOAT x, y;

  D3DXVECTOR2() = default;
  D3DXVECTOR2(FLOAT vx, FLOAT vy) : x(vx), y(vy) {}
  D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return {x + v.x, y + v.y}; }
  D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return {x - v.x, y - v.y}; }
  D3DXVECTOR2 operator*(FLOAT s) const { return {x * s, y * s}; }
  bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
  bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }
};

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(FLOAT vx, FLOAT vy, FLOAT vz) { x = vx; y = vy; z = vz; }
  D3DXVECTOR3(const D3DVECTOR& v) { x = v.x; y = v.y; z = v.z; }

  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }
  D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) { x += v.x; y += v.y; z += v.z; return *this; }
  D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  D3DXVECTOR3& operator*=(FLOAT s) { x *= s; y *= s; z *= s; return *this; }
  D3DXVECTOR3& operator/=(FLOAT s) { x /= s; y /= s; z /= s; return *this; }
  D3DXVECTOR3 operator+() const { return *this; }
  D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
  D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
  D3DXVECTOR3 operator*(FLOAT s) const { return {x * s, y * s, z * s}; }
  D3DXVECTOR3 operator/(FLOAT s) const { return {x / s, y / s, z / s}; }
  friend D3DXVECTOR3 operator*(FLOAT s, const D3DXVECTOR3& v) { return v * s; }
  bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
  FLOAT x, y, z, w;

  D3DXVECTOR4() = default;
  D3DXVECTOR4(FLOAT vx, FLOAT vy, FLOAT vz, FLOAT vw) : x(vx), y(vy), z(vz), w(vw) {}
  bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
  bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }
};

struct D3DXMATRIX;
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);

struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
  explicit D3DXMATRIX(const FLOAT* values) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = values[i];
  }
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
             FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
  }

  FLOAT& operator()(UINT row, UINT column) { return m[row][column]; }
  FLOAT operator()(UINT row, UINT column) const { return m[row][column]; }
  operator FLOAT*() { return &_11; }
  operator const FLOAT*() const { return &_11; }

  D3DXMATRIX& operator*=(const D3DXMATRIX& other) { D3DXMatrixMultiply(this, this, &other); return *this; }
  D3DXMATRIX operator*(const D3DXMATRIX& other) const {
    D3DXMATRIX result;
    D3DXMatrixMultiply(&result, this, &other);
    return result;
  }
  D3DXMATRIX operator+(const D3DXMATRIX& other) const {
    D3DXMATRIX result;
    for (int i = 0; i < 16; ++i) result.m[i / 4][i % 4] = m[i / 4][i % 4] + other.m[i / 4][i % 4];
    return result;
  }
  D3DXMATRIX operator-(const D3DXMATRIX& other) const {
    D3DXMATRIX result;
    for (int i = 0; i < 16; ++i) result.m[i / 4][i % 4] = m[i / 4][i % 4] - other.m[i / 4][i % 4];
    return result;
  }
  D3DXMATRIX operator*(FLOAT s) const {
    D3DXMATRIX result;
    for (int i = 0; i < 16; ++i) result.m[i / 4][i % 4] = m[i / 4][i % 4] * s;
    return result;
  }
  bool operator==(const D3DXMATRIX& other) const {
    for (int i = 0; i < 16; ++i)
      if (m[i / 4][i % 4] != other.m[i / 4][i % 4]) return false;
    return true;
  }
  bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
};
typedef D3DXMATRIX* LPD3DXMATRIX;

// Floating-point colour with the channel order of D3DCOLORVALUE; converts to and from D3DCOLOR.
struct D3DXCOLOR {
  FLOAT r, g, b, a;

  D3DXCOLOR() = default;
  D3DXCOLOR(FLOAT cr, FLOAT cg, FLOAT cb, FLOAT ca) : r(cr), g(cg), b(cb), a(ca) {}
  D3DXCOLOR(DWORD argb)
      : r(((argb >> 16) & 0xff) / 255.0f), g(((argb >> 8) & 0xff) / 255.0f),
        b((argb & 0xff) / 255.0f), a(((argb >> 24) & 0xff) / 255.0f) {}
  D3DXCOLOR(const D3DCOLORVALUE& c) : r(c.r), g(c.g), b(c.b), a(c.a) {}
  operator DWORD() const;
  operator D3DCOLORVALUE() const { return {r, g, b, a}; }
};

// Vectors
FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* v);
FLOAT WINAPI D3DXVec3LengthSq(const D3DXVECTOR3* v);
FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* WINAPI D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* WINAPI D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* WINAPI D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, FLOAT s);
// A zero vector normalises to zero.
D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (x, y, z, 1) * M, divided by the resulting w.
D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 0) * M: the upper 3x3 part only.
D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);

// Matrices. Every function returns `out`, which may alias an input.
D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out);
BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
// Returns null (and leaves `out` unchanged) when the matrix is singular.
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m);
FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* m);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, FLOAT angle);
// Roll about z, then pitch about x, then yaw about y.
D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, FLOAT yaw, FLOAT pitch, FLOAT roll);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                                      const D3DXVECTOR3* up);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zNear,
                                              FLOAT zFar);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveLH(D3DXMATRIX* out, FLOAT width, FLOAT height, FLOAT zNear,
                                           FLOAT zFar);
D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* out, FLOAT width, FLOAT height, FLOAT zNear, FLOAT zFar);
D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, FLOAT left, FLOAT right, FLOAT bottom,
                                              FLOAT top, FLOAT zNear, FLOAT zFar);
