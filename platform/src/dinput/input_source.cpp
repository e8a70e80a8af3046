// The state behind the DirectInput devices. A window with an SDL window behind it reads SDL's
// keyboard and mouse state, which the message pump keeps current; any other window (headless
// video, tests) reads the state set through the test hook in dinput_test.h.
#include "dinput/input_source.h"

#include <SDL.h>

#include <cstring>

#include "dinput_test.h"
#include "win32/window_internal.h"

namespace platform {
namespace {

struct InjectedState {
  uint8_t keys[256] = {};
  uint8_t buttons[4] = {};
  int32_t dx = 0, dy = 0, dz = 0;
  bool foreground = true;
};

InjectedState& Injected() {
  static InjectedState state;
  return state;
}

constexpr uint8_t kHeld = 0x80;

}  // namespace

void SetTestKey(uint8_t dikCode, bool down) { Injected().keys[dikCode] = down ? kHeld : 0; }

void SetTestMouseButton(int button, bool down) {
  if (button >= 0 && button < 4) Injected().buttons[button] = down ? kHeld : 0;
}

void AddTestMouseMotion(int32_t dx, int32_t dy, int32_t dz) {
  Injected().dx += dx;
  Injected().dy += dy;
  Injected().dz += dz;
}

void SetTestForeground(bool foreground) { Injected().foreground = foreground; }

void ResetTestInput() { Injected() = InjectedState{}; }

bool IsInputForeground(HWND window) {
  SDL_Window* sdl = SdlWindowOf(window);
  if (sdl == nullptr) return Injected().foreground;
  return SDL_GetKeyboardFocus() == sdl && !IsWindowMinimised(window);
}

void ReadKeyboardState(HWND window, uint8_t state[256]) {
  if (SdlWindowOf(window) == nullptr) {
    std::memcpy(state, Injected().keys, 256);
    return;
  }
  std::memset(state, 0, 256);
  int count = 0;
  const Uint8* held = SDL_GetKeyboardState(&count);
  for (int scancode = 0; scancode < count; ++scancode) {
    if (held[scancode] == 0) continue;
    const uint8_t dik = DikFromScancode(scancode);
    if (dik != 0) state[dik] = kHeld;
  }
}

MouseReading ReadMouseState(HWND window) {
  MouseReading reading;
  if (SdlWindowOf(window) == nullptr) {
    InjectedState& injected = Injected();
    reading.dx = injected.dx;
    reading.dy = injected.dy;
    reading.dz = injected.dz;
    injected.dx = injected.dy = injected.dz = 0;
    std::memcpy(reading.buttons, injected.buttons, 4);
    return reading;
  }
  // SDL keeps the motion since the previous call; it has no wheel total, so lZ stays 0.
  int dx = 0, dy = 0;
  const Uint32 mask = SDL_GetRelativeMouseState(&dx, &dy);
  reading.dx = dx;
  reading.dy = dy;
  const Uint32 order[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK};
  for (int i = 0; i < 4; ++i) reading.buttons[i] = (mask & order[i]) != 0 ? kHeld : 0;
  return reading;
}

}  // namespace platform
