// The engine's 4 x 4 matrix and the camera: eye, target, up and projection of the 3-D view, and
// the 2-D mode in which all screen-space drawing happens (one unit per back-buffer pixel, origin
// at the bottom-left corner, y up).
#pragma once

#include <windows.h>

class ARU;

// Sixteen floats in D3DMATRIX's element order (row vectors, translation in elements 12..14).
struct aruMatrix {
  float m[16];

  void Identity();
  // this = this x other, other given as sixteen values in the same order.
  void Multiply(const float other[16]);
  void Translate(float x, float y, float z);
  void Scale(float x, float y, float z);
};

class aruCamera {
 public:
  // Stores the engine and its back-buffer size; again after every device reset.
  void Initialize(ARU* engine);
  void SetEye(float x, float y, float z);
  void SetTarget(float x, float y, float z);
  HRESULT SetView(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
                  float upY, float upZ, float nearPlane, float farPlane, float fieldOfView, float aspect);
  // Depth test and lighting on, view and projection from the stored values: the 3-D pass.
  HRESULT Apply();
  // Depth test and lighting off, orthographic projection over the back buffer: the 2-D pass.
  HRESULT Begin2D();

 protected:
  ARU* cameraEngine = nullptr;
  float target[3] = {0, 0, 0};
  float eye[3] = {0, 0, -1};
  float up[3] = {0, 1, 0};
  float fieldOfView = 0.785398f;
  float aspect = 1.25f;
  float nearPlane = 1.0f;
  float farPlane = 1000.0f;
  float cameraWidth = 0;
  float cameraHeight = 0;

 private:
  HRESULT SetViewAndProjection();
};
