// State shared by the files of the window layer: the window records behind HWNDs, the message
// queue, the keyboard and mouse state fed by SDL events, and the translation of SDL events into
// window messages. Everything here runs on the thread that created the windows, except
// PostMessageA, which any thread may call.
#pragma once

#include <SDL.h>

#include <string>

#include "win32/win32_internal.h"
#include "win32/window_internal.h"

namespace platform {

struct WindowRecord {
  std::string className;
  std::string title;
  WNDPROC procedure = nullptr;
  LONG style = 0;
  LONG exStyle = 0;
  LONG_PTR userData = 0;
  RECT rect{};               // the window in screen coordinates; the client area is all of it
  SDL_Window* sdl = nullptr;  // null when headless
  bool minimised = false;
  bool foreign = false;       // a window of another process found by FindWindowA
  int foreignPid = 0;
  std::string registrationFile;
};

// Window records (window.cpp).
WindowRecord* FindWindowRecord(HWND window);
HWND WindowOfSdlId(Uint32 windowId);
HWND FocusWindow();
void NoteFocus(HWND window, bool focused);
// Records the position SDL reports; false when it is the one already known.
bool NoteWindowMoved(HWND window, int x, int y);
void NoteWindowSize(HWND window, int width, int height);
void NoteMinimised(HWND window, bool minimised);
bool SdlVideoActive();

// Cross-process registration of windows for FindWindowA (window_registry.cpp).
std::string RegisterWindowForOtherProcesses(const std::string& className, const std::string& title);
void UnregisterWindowForOtherProcesses(const std::string& file);
// The pid of a live process of another instance with such a window, or 0.
int FindWindowOfOtherProcess(const char* className, const char* title);

// A queued message. Key-down messages carry the characters TranslateMessage will make of them:
// control characters are known at once, typed text arrives in a separate SDL event.
struct QueuedMessage {
  MSG msg{};
  char text[8] = {};
  bool textKnown = false;     // false: TranslateMessage works the characters out from the key
  bool awaitingText = false;  // SDL text input for this key may still come
  bool systemChars = false;   // translates to WM_SYSCHAR (Alt was held)
};

// The message queue (messages.cpp). False when the queue is full.
bool QueueMessage(const QueuedMessage& entry);
bool QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Adds characters from text input to the newest key-down message still awaiting them, or posts
// them as character messages to the focus window when there is none.
void AttachTextToLastKeyDown(const std::string& latin1);
void DropMessagesFor(HWND window);

// Keyboard and mouse state (input_state.cpp).
void SetKeyDown(int virtualKey, bool down);
bool IsKeyDown(int virtualKey);
void ReleaseAllKeys();
void SetVirtualCursor(int x, int y);
void MoveVirtualCursorBy(int dx, int dy);
POINT VirtualCursor();

// SDL events to messages (sdl_events.cpp).
void PumpSdlEvents();

// Key codes (keymap.cpp).
struct KeyCodes {
  int virtualKey = 0;
  int scanCode = 0;
  bool extended = false;
};
KeyCodes KeyCodesOf(const SDL_Keysym& key);
// The characters a virtual key types with the given modifiers on a US layout (control
// characters for Enter, Backspace, Tab, Escape and Ctrl+letter); empty when none.
std::string CharactersOfKey(int virtualKey, bool shift, bool control);
// UTF-8 to the ANSI (Latin-1) characters the A functions use; others are dropped.
std::string Latin1FromUtf8(const char* text);
std::string Utf8FromLatin1(const char* text);

}  // namespace platform
