// Vector and matrix helpers of the utility library. Matrices follow Direct3D: row vectors
// (p' = p * M), left-handed view space with z into the screen, and clip-space depth 0..1.
#include <cmath>

#include "d3dx9math.h"

namespace {

D3DXMATRIX* Fill(D3DXMATRIX* out, const D3DXMATRIX& value) {
  *out = value;
  return out;
}

D3DXMATRIX Diagonal(float a, float b, float c, float d) {
  return D3DXMATRIX(a, 0, 0, 0, 0, b, 0, 0, 0, 0, c, 0, 0, 0, 0, d);
}

// Determinant of the 3x3 matrix left after removing `row` and `column` of m.
float Minor(const D3DXMATRIX& m, int row, int column) {
  float r[3][3];
  for (int i = 0, ri = 0; i < 4; ++i) {
    if (i == row) continue;
    for (int j = 0, rj = 0; j < 4; ++j) {
      if (j == column) continue;
      r[ri][rj++] = m.m[i][j];
    }
    ++ri;
  }
  return r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) - r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
         r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
}

}  // namespace

D3DXCOLOR::operator DWORD() const {
  auto channel = [](float v) -> DWORD {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<DWORD>(v * 255.0f + 0.5f);
  };
  return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// ---------------------------------------------------------------------------------------------
// Vectors
FLOAT WINAPI D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }

FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  D3DXVECTOR3 result(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
  *out = result;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = *a + *b;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  *out = *a - *b;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, FLOAT s) {
  *out = *v * s;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  float length = D3DXVec3Length(v);
  *out = length > 0.0f ? *v / length : D3DXVECTOR3(0, 0, 0);
  return out;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  D3DXVECTOR4 result(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41,
                     v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
                     v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43,
                     v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
  *out = result;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, v, m);
  float w = h.w != 0.0f ? h.w : 1.0f;
  *out = D3DXVECTOR3(h.x / w, h.y / w, h.z / w);
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  D3DXVECTOR3 result(v->x * m->_11 + v->y * m->_21 + v->z * m->_31,
                     v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                     v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
  *out = result;
  return out;
}

// ---------------------------------------------------------------------------------------------
// Matrices
D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out) { return Fill(out, Diagonal(1, 1, 1, 1)); }

BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* m) { return *m == Diagonal(1, 1, 1, 1); }

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
  D3DXMATRIX result;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += m1->m[i][k] * m2->m[k][j];
      result.m[i][j] = sum;
    }
  return Fill(out, result);
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  D3DXMATRIX result;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) result.m[i][j] = m->m[j][i];
  return Fill(out, result);
}

FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* m) {
  float determinant = 0.0f;
  for (int j = 0; j < 4; ++j) determinant += ((j & 1) ? -1.0f : 1.0f) * m->m[0][j] * Minor(*m, 0, j);
  return determinant;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m) {
  float det = D3DXMatrixDeterminant(m);
  if (determinant) *determinant = det;
  if (det == 0.0f || !std::isfinite(det)) return nullptr;
  D3DXMATRIX result;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      result.m[j][i] = (((i + j) & 1) ? -1.0f : 1.0f) * Minor(*m, i, j) / det;  // adjugate / det
  return Fill(out, result);
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z) {
  D3DXMATRIX result = Diagonal(1, 1, 1, 1);
  result._41 = x;
  result._42 = y;
  result._43 = z;
  return Fill(out, result);
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, FLOAT sx, FLOAT sy, FLOAT sz) {
  return Fill(out, Diagonal(sx, sy, sz, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Fill(out, D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Fill(out, D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Fill(out, D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, FLOAT angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, axis);
  float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  return Fill(out, D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0,
                              t * v.x * v.y - s * v.z, t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0,
                              t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c, 0,
                              0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, FLOAT yaw, FLOAT pitch, FLOAT roll) {
  D3DXMATRIX z, x, y;
  D3DXMatrixRotationZ(&z, roll);
  D3DXMatrixRotationX(&x, pitch);
  D3DXMatrixRotationY(&y, yaw);
  return Fill(out, z * x * y);
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                                      const D3DXVECTOR3* up) {
  D3DXVECTOR3 zAxis = *at - *eye, xAxis, yAxis;
  D3DXVec3Normalize(&zAxis, &zAxis);
  D3DXVec3Cross(&xAxis, up, &zAxis);
  D3DXVec3Normalize(&xAxis, &xAxis);
  D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
  return Fill(out, D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z, yAxis.z,
                              zAxis.z, 0, -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye),
                              -D3DXVec3Dot(&zAxis, eye), 1));
}

namespace {

// Perspective projection with the given x and y scales: view z in [zNear, zFar] maps to 0..1.
D3DXMATRIX Perspective(float xScale, float yScale, float zNear, float zFar) {
  float q = zFar / (zFar - zNear);
  return D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -q * zNear, 0);
}

}  // namespace

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zNear,
                                              FLOAT zFar) {
  float yScale = 1.0f / std::tan(fovY / 2.0f);
  return Fill(out, Perspective(yScale / aspect, yScale, zNear, zFar));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveLH(D3DXMATRIX* out, FLOAT width, FLOAT height, FLOAT zNear,
                                           FLOAT zFar) {
  return Fill(out, Perspective(2.0f * zNear / width, 2.0f * zNear / height, zNear, zFar));
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, FLOAT left, FLOAT right, FLOAT bottom,
                                              FLOAT top, FLOAT zNear, FLOAT zFar) {
  return Fill(out, D3DXMATRIX(2.0f / (right - left), 0, 0, 0, 0, 2.0f / (top - bottom), 0, 0, 0, 0,
                              1.0f / (zFar - zNear), 0, (left + right) / (left - right),
                              (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1));
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* out, FLOAT width, FLOAT height, FLOAT zNear, FLOAT zFar) {
  return D3DXMatrixOrthoOffCenterLH(out, -width / 2, width / 2, -height / 2, height / 2, zNear, zFar);
}
