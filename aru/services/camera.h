// The camera: view and projection for the 3-D pass, and the 2-D projection for screen space.
#pragma once

#include <windows.h>

class ARU;

class aruCamera {
 public:
  void Initialize(ARU* engine) { cameraEngine = engine; }
  void SetView(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
               float upY, float upZ, float nearPlane, float farPlane, float fieldOfView, float aspect) {
    (void)eyeX, (void)eyeY, (void)eyeZ, (void)targetX, (void)targetY, (void)targetZ;
    (void)upX, (void)upY, (void)upZ, (void)nearPlane, (void)farPlane, (void)fieldOfView, (void)aspect;
  }

 protected:
  ARU* cameraEngine = nullptr;
};
