// The main loop, one frame, and the engine's window procedure. Each iteration either dispatches
// one window message or, when the queue is empty, draws one frame; a scene change requested during
// the iteration is carried out after it.
#include "core/aru.h"

#include <exception>

#include "services/gui.h"

void ARU::Run(aruScene* firstScene) {
  BeginList("Main Loop");
  if (firstScene != nullptr) {
    nextScene = firstScene;
    sceneChangePending = true;
  }
  if (!quit) Acquire();
  while (!quit) {
    MSG message;
    if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (FAILED(RenderFrame())) {
      Line("Abnormal render failure.");
      runState = 2;
      quit = true;
    }
    if (!quit && sceneChangePending && !ApplySceneChange()) {
      runState = 2;
      quit = true;
    }
    Sleep(0);
  }
  EndList();
  Banner("Cleaning Up!");
}

HRESULT ARU::RenderFrame() {
  if (inactive && fullScreen) {
    Sleep(16);
    return 0;
  }
  const HRESULT cooperative = device->TestCooperativeLevel();
  if (cooperative == D3DERR_DEVICELOST) {
    Sleep(16);
    return 0;
  }
  if (cooperative == D3DERR_DEVICENOTRESET) return ResetDevice();
  if (cooperative != 0) return 0;

  DWORD flags = D3DCLEAR_ZBUFFER;
  if (clearTarget) flags |= D3DCLEAR_TARGET;

  if (presentScene != nullptr) {
    try {
      if (FAILED(presentScene->PreRender())) return E_FAIL;
    } catch (...) {
      Line("Exception caught during pre-render.");
      runState = 2;
      return E_FAIL;
    }
  }

  device->Clear(0, NULL, flags, clearColour, 1.0f, 0);
  if (FAILED(device->BeginScene())) return ResetDevice();
  const HRESULT rendered = RenderScene();
  device->EndScene();
  device->Present(NULL, NULL, NULL, NULL);
  if (FAILED(rendered)) return E_FAIL;

  Update();
  if (!IsOpen()) Dispatch();
  return 0;
}

static bool KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

LRESULT ARU::MsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      quit = true;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_MOVE:
      UpdateCentre();
      return 0;
    case WM_ACTIVATE:
      inactive = HIWORD(wParam) != 0;
      return 0;
    case WM_SETFOCUS:
      inactive = false;
      Acquire();
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_KILLFOCUS:
      inactive = true;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CLOSE:
    case WM_QUIT:
    case WM_SYSCOMMAND:
    case WM_ENTERIDLE:
    case WM_MOUSEMOVE:
      return 0;
    case WM_LBUTTONUP:
      if (gui != nullptr) gui->Click();
      return 0;
    case WM_KEYDOWN:
      HandleKeyDown(static_cast<uint32_t>(wParam));
      return 0;
    case WM_CHAR:
      if (!HandleKey(static_cast<uint32_t>(wParam), true) && gui != nullptr) {
        gui->KeyInput(static_cast<uint32_t>(wParam), true);
      }
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

void ARU::HandleKeyDown(uint32_t code) {
  if (KeyDown('V') && KeyDown(VK_LCONTROL)) {
    const std::string text = GetClipboardText();
    if (IsOpen()) {
      Paste(text.c_str());
    } else if (gui != nullptr) {
      gui->Paste(text.c_str());
    }
    return;
  }
  if (KeyDown(VK_MENU)) {
    if (KeyDown(VK_F4)) {
      quit = true;
    } else if (KeyDown(VK_RETURN)) {
      ToggleFullScreen();
    }
    return;
  }
  if (!HandleKey(code, false) && gui != nullptr) gui->KeyInput(code, false);
}
