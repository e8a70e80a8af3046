// Services of the platform layer that have no Win32 name: the file-name rule for code that opens
// files itself, the controllable clock for tests, the video back-end choice, the hook that
// turns SIGINT/SIGTERM into WM_DESTROY, the sink for the layer's debug notes and the per-user
// folder of an installed program. Engine and game code may call these; nothing here
// exposes a Linux type.
#pragma once

#include <cstdint>
#include <initializer_list>
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

// Receives the platform layer's debug notes (what it cannot do exactly, e.g. an unsupported
// Direct3D state; each distinct note once). The engine points this at its log while the log is
// open; with no sink the notes go to standard error only when ARU_DEBUG is set. Null removes it.
using NoteSink = void (*)(const char* text);
void SetNoteSink(NoteSink sink);

// Where an installed program runs. A program with base/ beside it (a build or unpacked folder)
// runs where it was started, as before. An installed one (no base/ beside it, its data in
// ../share/<package>/base) makes the current folder the user's own data folder
// ($XDG_DATA_HOME/<package>, default ~/.local/share/<package>): there base/ holds the user's
// copies of `ownFiles` (names inside base/, copied from the shared data once, then the user's)
// and links to every other shared file, refreshed at each start so an updated installation is
// seen. When the user's folder cannot be written, a throw-away folder prepared the same way
// becomes current (the game plays with defaults and keeps nothing) and `problem` says why.
struct DataFolder {
  bool installed = false;  // the current folder was changed to `folder`
  std::string folder;
  std::string problem;     // empty when the user's folder is in use
};
DataFolder EnterDataFolder(const char* package, std::initializer_list<const char*> ownFiles);

}  // namespace platform
