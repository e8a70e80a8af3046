// What other platform areas (the Direct3D device, DirectInput) need to know about the windows
// created by CreateWindowA: the SDL window behind a HWND and whether it is minimised. Only
// platform code includes this header.
#pragma once

#include <SDL.h>

#include "windows.h"

namespace platform {

// The SDL window behind a HWND; null when the video back end is headless or the handle unknown.
SDL_Window* SdlWindowOf(HWND window);

// True while the window is minimised (iconified).
bool IsWindowMinimised(HWND window);

// Initialises SDL's video subsystem once, with the hints this platform relies on. Safe to call
// many times and from any platform area before it touches SDL video.
void InitSdlVideo();

}  // namespace platform
