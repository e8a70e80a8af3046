// The engine matrix's operations and the camera's device calls. View and projection are the
// standard left-handed matrices of the D3DX helpers; every failing device call makes the
// camera operation return E_FAIL at once.
#include "services/camera.h"

#include <d3dx9math.h>

#include <cstring>

#include "core/aru.h"

#define RETURN_E_FAIL_ON_FAILURE(call) \
  do {                                 \
    if (FAILED(call)) return E_FAIL;   \
  } while (0)

void aruMatrix::Identity() {
  memset(m, 0, sizeof m);
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void aruMatrix::Multiply(const float other[16]) {
  float product[16];
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += m[row * 4 + k] * other[k * 4 + column];
      product[row * 4 + column] = sum;
    }
  }
  memcpy(m, product, sizeof m);
}

void aruMatrix::Translate(float x, float y, float z) {
  const float translation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  Multiply(translation);
}

void aruMatrix::Scale(float x, float y, float z) {
  const float scaling[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
  Multiply(scaling);
}

void aruCamera::Initialize(ARU* engine) {
  cameraEngine = engine;
  cameraWidth = engine->GetScreenWidth();
  cameraHeight = engine->GetScreenHeight();
}

void aruCamera::SetEye(float x, float y, float z) {
  eye[0] = x;
  eye[1] = y;
  eye[2] = z;
}

void aruCamera::SetTarget(float x, float y, float z) {
  target[0] = x;
  target[1] = y;
  target[2] = z;
}

HRESULT aruCamera::SetView(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                           float upX, float upY, float upZ, float nearDistance, float farDistance,
                           float verticalFieldOfView, float aspectRatio) {
  SetEye(eyeX, eyeY, eyeZ);
  SetTarget(targetX, targetY, targetZ);
  up[0] = upX;
  up[1] = upY;
  up[2] = upZ;
  nearPlane = nearDistance;
  farPlane = farDistance;
  fieldOfView = verticalFieldOfView;
  aspect = aspectRatio;
  return SetViewAndProjection();
}

HRESULT aruCamera::SetViewAndProjection() {
  IDirect3DDevice9* device = cameraEngine->GetDevice();
  const D3DXVECTOR3 eyePoint(eye[0], eye[1], eye[2]);
  const D3DXVECTOR3 targetPoint(target[0], target[1], target[2]);
  const D3DXVECTOR3 upDirection(up[0], up[1], up[2]);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eyePoint, &targetPoint, &upDirection);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, fieldOfView, aspect, nearPlane, farPlane);
  RETURN_E_FAIL_ON_FAILURE(device->SetTransform(D3DTS_VIEW, &view));
  RETURN_E_FAIL_ON_FAILURE(device->SetTransform(D3DTS_PROJECTION, &projection));
  return 0;
}

HRESULT aruCamera::Apply() {
  IDirect3DDevice9* device = cameraEngine->GetDevice();
  RETURN_E_FAIL_ON_FAILURE(device->SetRenderState(D3DRS_ZENABLE, TRUE));
  RETURN_E_FAIL_ON_FAILURE(device->SetRenderState(D3DRS_LIGHTING, TRUE));
  return SetViewAndProjection();
}

HRESULT aruCamera::Begin2D() {
  IDirect3DDevice9* device = cameraEngine->GetDevice();
  RETURN_E_FAIL_ON_FAILURE(device->SetRenderState(D3DRS_ZENABLE, FALSE));
  RETURN_E_FAIL_ON_FAILURE(device->SetRenderState(D3DRS_LIGHTING, FALSE));
  D3DXMATRIX projection;
  D3DXMatrixOrthoOffCenterLH(&projection, 0, cameraWidth, 0, cameraHeight, 0, 1);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  RETURN_E_FAIL_ON_FAILURE(device->SetTransform(D3DTS_PROJECTION, &projection));
  RETURN_E_FAIL_ON_FAILURE(device->SetTransform(D3DTS_VIEW, &identity));
  RETURN_E_FAIL_ON_FAILURE(device->SetTransform(D3DTS_WORLD, &identity));
  return 0;
}
