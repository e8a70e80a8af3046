// The engine's side of scenes: carrying out a requested change, rendering the present scene, and
// invalidating and restoring device objects around a device reset. Every scene failure is fatal
// to the run: quit is set and the run state becomes 2.
#include "core/aru.h"

#include <exception>

#include "services/fader.h"
#include "services/gui.h"

void ARU::ChangeScene(aruScene* next) {
  // A second change before the first was applied replaces it; the scene it would have started
  // was never initialised and is dropped here.
  if (sceneChangePending && nextScene != next && nextScene != presentScene) delete nextScene;
  nextScene = next;
  sceneChangePending = true;
}

// After a scene's Destroy threw: the scene is deleted, its textures and bindings dropped, and the
// run ends.
bool ARU::AbandonPresentScene() {
  delete presentScene;
  presentScene = nullptr;
  ReleaseAll();
  ClearBindings();
  quit = true;
  runState = 2;
  return false;
}

bool ARU::ApplySceneChange() {
  if (!sceneChangePending) return false;
  sceneChangePending = false;

  if (presentScene != nullptr) {
    try {
      aruScene* old = presentScene;
      if (FAILED(old->Destroy())) {
        Value("Failed destroying scene ", static_cast<const void*>(old));
        presentScene = nullptr;
        delete old;
        quit = true;
        runState = 2;
        return false;
      }
      Value("Destroyed scene ", static_cast<const void*>(old));
      presentScene = nullptr;
      delete old;
      ReleaseAll();
      ClearBindings();
    } catch (const std::exception& caught) {
      Line("Exception caught while destroying the scene.");
      Exception(caught);
      return AbandonPresentScene();
    } catch (...) {
      Line("Generic exception caught while destroying the scene.");
      return AbandonPresentScene();
    }
  }

  presentScene = nextScene;
  nextScene = nullptr;
  if (presentScene == nullptr) return true;

  try {
    if (SUCCEEDED(presentScene->Initialize())) {
      Value("Initialized scene ", static_cast<const void*>(presentScene));
      return true;
    }
    Value("Failed initializing scene ", static_cast<const void*>(presentScene));
    if (FAILED(presentScene->Destroy())) {
      Value("Failed destroying scene ", static_cast<const void*>(presentScene));
    }
  } catch (const std::exception& caught) {
    Line("Exception caught during initialization.");
    Exception(caught);
  } catch (...) {
    Line("Generic exception caught initializing scene.");
  }
  // The failed scene stays present; shutdown destroys and deletes it.
  quit = true;
  runState = 2;
  return false;
}

HRESULT ARU::RenderScene() {
  if (presentScene == nullptr) return 0;
  if (inactive && !fullScreen) Sleep(16);
  try {
    if (FAILED(presentScene->Render())) {
      Value("Rendering failed on scene ", static_cast<const void*>(presentScene));
      runState = 2;
      return E_FAIL;
    }
  } catch (const std::exception& caught) {
    Line("Exception caught during rendering.");
    Exception(caught);
    runState = 2;
    return E_FAIL;
  } catch (...) {
    Value("Exception caught while rendering scene ", static_cast<const void*>(presentScene));
    runState = 2;
    return E_FAIL;
  }
  return 0;
}

HRESULT ARU::InvalidateObjects() {
  try {
    if (fader != nullptr) fader->Invalidate();
    ReleaseAll();
    aruConsole::Invalidate();
    if (gui != nullptr) gui->Invalidate();
    if (device != nullptr) device->EvictManagedResources();
    if (presentScene != nullptr && FAILED(presentScene->InvalidateDeviceObjects())) {
      Value("Failed invalidating scene ", static_cast<const void*>(presentScene));
      runState = 2;
      return E_FAIL;
    }
    Line("Objects Invalidated...");
    return 0;
  } catch (const std::exception& caught) {
    Line("Exception caught during invalidation.");
    Exception(caught);
  } catch (...) {
    Line("Exception caught while invalidating.");
  }
  runState = 2;
  return E_FAIL;
}

HRESULT ARU::RestoreObjects() {
  try {
    aruCamera::Initialize(this);
    SetDefaultRenderStates();
    aruConsole::Restore();
    if (fader != nullptr) fader->Restore();
    if (gui != nullptr) gui->Restore();
    if (presentScene != nullptr && FAILED(presentScene->RestoreDeviceObjects())) {
      Value("Failed reinitializing scene ", static_cast<const void*>(presentScene));
      runState = 2;
      return E_FAIL;
    }
    Acquire();
    Line("Objects reinitialized...");
    return 0;
  } catch (const std::exception& caught) {
    Line("Exception caught during reinitialization.");
    Exception(caught);
  } catch (...) {
    Line("Exception caught while reinitializating.");
  }
  runState = 2;
  return E_FAIL;
}
