// The keyboard and mouse state behind GetAsyncKeyState, GetKeyState, GetCursorPos and
// SetCursorPos. Key states follow the key messages made from SDL events (or injected by tests);
// the cursor is a virtual screen position fed by mouse motion, relative motion when the
// pointer cannot be warped (Wayland), so the game's centre-and-measure steering works everywhere.
#include <algorithm>
#include <atomic>

#include "aru_platform.h"
#include "win32/window_state.h"

namespace {

constexpr int kKeyCount = 256;

// Read from any thread (the input code polls); written on the window thread.
std::atomic<bool> keyDown[kKeyCount];
std::atomic<bool> keyToggled[kKeyCount];
std::atomic<int> cursorX{0};
std::atomic<int> cursorY{0};
bool relativeFallback = false;  // warping failed once: use relative motion from then on

bool ValidKey(int virtualKey) { return virtualKey > 0 && virtualKey < kKeyCount; }

// The generic Shift, Ctrl and Alt keys are down while either side is.
void UpdateGenericKey(int generic, int left, int right) {
  keyDown[generic].store(keyDown[left].load() || keyDown[right].load());
}

SDL_Window* CursorWindow(RECT& rect) {
  HWND window = platform::FocusWindow();
  SDL_Window* sdl = platform::SdlWindowOf(window);
  if (sdl) GetWindowRect(window, &rect);
  return sdl;
}

}  // namespace

namespace platform {

void SetKeyDown(int virtualKey, bool down) {
  if (!ValidKey(virtualKey)) return;
  if (down && !keyDown[virtualKey].load()) keyToggled[virtualKey].store(!keyToggled[virtualKey].load());
  keyDown[virtualKey].store(down);
  UpdateGenericKey(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  UpdateGenericKey(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  UpdateGenericKey(VK_MENU, VK_LMENU, VK_RMENU);
}

bool IsKeyDown(int virtualKey) { return ValidKey(virtualKey) && keyDown[virtualKey].load(); }

void ReleaseAllKeys() {
  for (auto& key : keyDown) key.store(false);
}

void SetVirtualCursor(int x, int y) {
  // Clamped to the screen once there is one to ask (never initialising video just for this).
  if (SdlVideoActive() || IsHeadlessVideo()) {
    x = std::clamp(x, 0, GetSystemMetrics(SM_CXSCREEN) - 1);
    y = std::clamp(y, 0, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  cursorX.store(x);
  cursorY.store(y);
}

void MoveVirtualCursorBy(int dx, int dy) { SetVirtualCursor(cursorX.load() + dx, cursorY.load() + dy); }

POINT VirtualCursor() { return POINT{cursorX.load(), cursorY.load()}; }

}  // namespace platform

SHORT GetAsyncKeyState(int virtualKey) {
  return platform::IsKeyDown(virtualKey) ? SHORT(0x8000) : SHORT(0);
}

SHORT GetKeyState(int virtualKey) {
  if (virtualKey <= 0 || virtualKey >= kKeyCount) return 0;
  SHORT state = platform::IsKeyDown(virtualKey) ? SHORT(0x8000) : SHORT(0);
  return SHORT(state | (keyToggled[virtualKey].load() ? 1 : 0));
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = platform::VirtualCursor();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  platform::SetVirtualCursor(x, y);
  if (!platform::SdlVideoActive()) return TRUE;
  RECT rect{};
  SDL_Window* window = CursorWindow(rect);
  if (relativeFallback || SDL_GetRelativeMouseMode()) return TRUE;
  if (SDL_WarpMouseGlobal(x, y) == 0) return TRUE;
  // No global warping here: keep the pointer inside our window and follow relative motion.
  if (window) {
    relativeFallback = SDL_SetRelativeMouseMode(SDL_TRUE) == 0;
    if (!relativeFallback) SDL_WarpMouseInWindow(window, x - rect.left, y - rect.top);
  }
  return TRUE;
}
