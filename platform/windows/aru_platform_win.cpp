// The Windows build's implementation of the platform services in aru_platform.h: Windows opens
// Windows-style paths as they are, the video back end is always the real window, keys are
// injected through SendInput, and console control events end the game through WM_DESTROY.
// The test clock exists only on the Linux platform layer; no Windows program calls it. The note
// sink is kept but never called: the real Direct3D and DirectSound have no notes to give.
#include <windows.h>

#include <aru_platform.h>

#include <atomic>

namespace platform {

namespace {

std::atomic<HWND> g_terminationWindow{nullptr};
std::atomic<NoteSink> g_noteSink{nullptr};

// Runs on a thread of its own that the system starts; posting is safe from any thread.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
      const HWND window = g_terminationWindow.load();
      if (window == nullptr) return FALSE;
      return PostMessageA(window, WM_DESTROY, 0, 0) ? TRUE : FALSE;
    }
    default:
      return FALSE;
  }
}

bool IsExtendedKey(int virtualKey) {
  switch (virtualKey) {
    case VK_RCONTROL: case VK_RMENU: case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_DIVIDE: case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ResolvePath(const char* path) { return path != nullptr ? std::string(path) : std::string(); }

bool IsHeadlessVideo() { return false; }

void InjectKeyEvent(int virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(virtualKey);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
  if (SendInput(1, &input, sizeof(input)) != 1) {
    OutputDebugStringA("platform: SendInput refused an injected key\n");
  }
}

void InstallTerminationHandler(HWND__* window) {
  g_terminationWindow.store(window);
  if (!SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
    OutputDebugStringA("platform: SetConsoleCtrlHandler failed; Ctrl+C ends the process directly\n");
  }
}

void SetNoteSink(NoteSink sink) { g_noteSink.store(sink); }

// A Windows copy runs from the folder it was unpacked into, its data beside it.
DataFolder EnterDataFolder(const char*, std::initializer_list<const char*>) { return DataFolder{}; }

}  // namespace platform
