// A screen of the game. The engine calls the present scene every frame and around device resets,
// and replaces it when a scene asks for another; scenes are created with new by whoever asks for
// them and deleted by the engine after their Destroy.
#pragma once

#include <windows.h>

class ARU;

class aruScene {
 public:
  explicit aruScene(ARU* engine) : engine(engine) {}
  // Virtual so that deleting through the base pointer runs the concrete scene's destructor; the
  // engine still calls Destroy first and scenes do not rely on their destructors.
  virtual ~aruScene() = default;

  virtual HRESULT Initialize() = 0;
  virtual HRESULT RestoreDeviceObjects() { return 0; }
  virtual HRESULT InvalidateDeviceObjects() { return 0; }
  virtual HRESULT Render() = 0;
  virtual HRESULT Destroy() { return 0; }
  virtual HRESULT PreRender() { return 0; }

 protected:
  ARU* engine;
};
