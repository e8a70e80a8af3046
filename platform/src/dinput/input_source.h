// Where the DirectInput devices read from: SDL's keyboard and mouse state for a real window, or
// the state set through the test hook when there is no SDL window. Also answers whether the
// window is in the foreground, which foreground devices need.
#pragma once

#include <cstdint>

#include "windows.h"

namespace platform {

// True when the window has the keyboard focus (for headless windows: the test foreground flag).
bool IsInputForeground(HWND window);

// Fills the 256-byte state: 0x80 for every held key, by DIK_ code.
void ReadKeyboardState(HWND window, uint8_t state[256]);

// Relative motion since the last read and the four button bytes (0x80 = held).
struct MouseReading {
  int32_t dx = 0, dy = 0, dz = 0;
  uint8_t buttons[4] = {};
};
MouseReading ReadMouseState(HWND window);

// The DIK_ code of an SDL scancode (an int so this header needs no SDL); 0 when unknown.
uint8_t DikFromScancode(int scancode);

}  // namespace platform
