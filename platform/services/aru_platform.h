// Services of the platform layer that have no Win32 name: the file-name rule for code that opens
// files itself, the controllable clock for tests, the video back-end choice and the hook that
// turns SIGINT/SIGTERM into WM_DESTROY. Engine and game code may call these; nothing here
// exposes a Linux type.
#pragma once

#include <cstdint>
#include <string>

struct HWND__;

namespace platform {

// Turns a Windows-style path (either slash) into one that opens here: backslashes become
// slashes, and when the exact name does not exist each component is matched
// case-insensitively against the directory's entries. Returns the best path found (the
// converted path when nothing matches, so creating a new file works as expected).
std::string ResolvePath(const char* path);

// Replaces the clock behind QueryPerformanceCounter, GetTickCount, Sleep and GetLocalTime.
// While installed, time moves only through AdvanceTestClock (Sleep advances it too).
void InstallTestClock(int64_t startMicroseconds);
void AdvanceTestClock(int64_t microseconds);
void SetTestLocalTime(int year, int month, int day, int hour, int minute, int second);
void RemoveTestClock();

// The video back end: "gl" (default, a real SDL window and OpenGL) or "null" (no window at
// all; messages are only those posted by code). Read from ARU_VIDEO.
bool IsHeadlessVideo();

// Presses or releases a key as the keyboard would, for tests and headless runs: the key state
// (GetAsyncKeyState) changes and WM_KEYDOWN/WM_KEYUP go to the focus window; TranslateMessage
// makes the US-layout characters of the key. Use the sided keys (VK_LCONTROL, VK_LSHIFT,
// VK_LMENU ...) for modifiers.
void InjectKeyEvent(int virtualKey, bool down);

// SIGINT and SIGTERM post WM_DESTROY to this window, so the game ends through its normal
// shutdown path.
void InstallTerminationHandler(HWND__* window);

}  // namespace platform
