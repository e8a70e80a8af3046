// A small program for the window end-to-end test: it opens a real window through
// CreateWindowA, runs the game's kind of message loop and prints every message its window
// procedure receives (name, wParam, lParam, and whether Alt is down), one line each.
// Usage: window_probe [title] [seconds]. SIGTERM ends it through WM_DESTROY.
#include <cstdio>
#include <cstdlib>

#include "aru_platform.h"
#include "windows.h"

namespace {

const char* MessageName(UINT message) {
  switch (message) {
    case WM_DESTROY: return "WM_DESTROY";
    case WM_MOVE: return "WM_MOVE";
    case WM_SIZE: return "WM_SIZE";
    case WM_ACTIVATE: return "WM_ACTIVATE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    default: return nullptr;
  }
}

bool running = true;

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* name = MessageName(message);
  if (name) std::printf("%s", name);
  else std::printf("MSG_%04X", message);
  std::printf(" wParam=0x%lx lParam=0x%08lx alt=%d\n", (unsigned long)wParam,
              (unsigned long)(DWORD)lParam, (GetAsyncKeyState(VK_MENU) & 0x8000) ? 1 : 0);
  std::fflush(stdout);
  if (message == WM_DESTROY) running = false;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const char* title = argc > 1 ? argv[1] : "Window Probe";
  DWORD seconds = argc > 2 ? DWORD(std::atoi(argv[2])) : 60;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = ProbeProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "WindowProbe";
  if (!RegisterClassExA(&windowClass)) return 2;
  HWND window = CreateWindowA("WindowProbe", title, WS_CAPTION | WS_SYSMENU, 100, 100, 320, 240,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 3;
  platform::InstallTerminationHandler(window);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  RECT rect;
  GetWindowRect(window, &rect);
  std::printf("READY %ld %ld %ld %ld\n", (long)rect.left, (long)rect.top,
              (long)(rect.right - rect.left), (long)(rect.bottom - rect.top));
  std::fflush(stdout);
  DWORD deadline = GetTickCount() + seconds * 1000;
  MSG msg;
  while (running && GetTickCount() < deadline) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      Sleep(5);
    }
  }
  if (IsWindow(window)) DestroyWindow(window);
  return running ? 4 : 0;
}
