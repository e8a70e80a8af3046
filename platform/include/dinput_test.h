// Test hook of the DirectInput devices: without a window of its own (headless video, or a window
// handle the window layer does not know), a device reads the state set here instead of SDL's.
// Tests use it to press keys and buttons and to take the window out of the foreground.
#pragma once

#include <cstdint>

namespace platform {

// Marks a DIK_ key as held (state byte 0x80) or released.
void SetTestKey(uint8_t dikCode, bool down);
// Marks mouse button 0..3 as held or released.
void SetTestMouseButton(int button, bool down);
// Adds relative motion that the next mouse state read reports and consumes.
void AddTestMouseMotion(int32_t dx, int32_t dy, int32_t dz);
// Whether the window counts as the foreground window (true until changed).
void SetTestForeground(bool foreground);
// Releases every key and button, drops pending motion and restores the foreground.
void ResetTestInput();

}  // namespace platform
