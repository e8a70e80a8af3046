// Window classes and windows: each HWND names a record holding the class, title, style,
// rectangle and window procedure, and (unless the video back end is headless) the SDL window
// shown for it. Geometry changes send WM_MOVE and WM_SIZE to the window procedure as Windows
// does; focus and minimisation reported by SDL arrive as messages (sdl_events.cpp).
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "aru_platform.h"
#include "win32/window_internal.h"
#include "win32/window_state.h"

namespace {

struct WindowClass {
  std::string name;
  WNDPROC procedure;
};

constexpr int kHeadlessScreenWidth = 1280;
constexpr int kHeadlessScreenHeight = 1024;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

// The map itself is guarded by windowsLock (PostMessageA checks handles from any thread); the
// records' fields are only touched on the window thread.
std::mutex windowsLock;
std::map<uintptr_t, std::unique_ptr<platform::WindowRecord>> windows;
uintptr_t nextWindowId = 0x1000;
std::map<std::string, WindowClass> classes;  // key: lower-case class name
ATOM nextAtom = 0xC000;
HWND focusWindow = nullptr;
int cursorShowCount = 0;

std::string LowerCase(const char* text) {
  std::string lower = text ? text : "";
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

HWND HandleOf(uintptr_t id) { return reinterpret_cast<HWND>(id); }

platform::WindowRecord* RecordOrFail(HWND window) {
  platform::WindowRecord* record = platform::FindWindowRecord(window);
  if (!record || record->foreign) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return record && !record->foreign ? record : nullptr;
}

LONG Width(const RECT& rect) { return rect.right - rect.left; }
LONG Height(const RECT& rect) { return rect.bottom - rect.top; }

// Moves and/or resizes a window and tells its procedure, as SetWindowPos does.
void ApplyGeometry(HWND window, platform::WindowRecord& record, int x, int y, int width,
                   int height, bool move, bool size) {
  RECT old = record.rect;
  if (!move) x = old.left, y = old.top;
  if (!size) width = Width(old), height = Height(old);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (record.sdl) {
    if (size) SDL_SetWindowSize(record.sdl, width, height);
    if (move) SDL_SetWindowPosition(record.sdl, x, y);
  }
  record.rect = {x, y, x + width, y + height};
  if (x != old.left || y != old.top) SendMessageA(window, WM_MOVE, 0, MAKELPARAM(x, y));
  if (width != Width(old) || height != Height(old)) {
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  }
}

// Headless windows get focus and activation messages synchronously, as on Windows; SDL
// windows get them from SDL's focus events.
void ChangeFocusHeadless(HWND window) {
  HWND previous = focusWindow;
  if (previous == window) return;
  focusWindow = window;
  if (previous) {
    SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SendMessageA(previous, WM_KILLFOCUS, WPARAM(window), 0);
  }
  if (window) {
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    SendMessageA(window, WM_SETFOCUS, WPARAM(previous), 0);
  }
}

void MinimiseHeadless(HWND window, platform::WindowRecord& record, bool minimise) {
  if (record.minimised == minimise) return;
  record.minimised = minimise;
  if (minimise) {
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
    if (focusWindow == window) {
      focusWindow = nullptr;
      SendMessageA(window, WM_KILLFOCUS, 0, 0);
    }
  } else {
    ChangeFocusHeadless(window);
  }
}

SDL_Window* CreateSdlWindow(const platform::WindowRecord& record) {
  platform::InitSdlVideo();
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (!(record.style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* window = SDL_CreateWindow(record.title.c_str(), record.rect.left, record.rect.top,
                                        Width(record.rect), Height(record.rect), flags);
  if (!window) std::fprintf(stderr, "CreateWindowA: SDL_CreateWindow failed: %s\n", SDL_GetError());
  return window;
}

// Dummy objects whose addresses serve as cursor, icon, brush and module handles.
struct StockObject {
  int unused;
} stockObjects[8], arrowCursor, applicationIcon, moduleInstance;

}  // namespace

namespace platform {

WindowRecord* FindWindowRecord(HWND window) {
  std::lock_guard<std::mutex> guard(windowsLock);
  auto found = windows.find(reinterpret_cast<uintptr_t>(window));
  return found == windows.end() ? nullptr : found->second.get();
}

HWND WindowOfSdlId(Uint32 windowId) {
  SDL_Window* sdl = SDL_GetWindowFromID(windowId);
  if (!sdl) return nullptr;
  std::lock_guard<std::mutex> guard(windowsLock);
  for (auto& [id, record] : windows) {
    if (record->sdl == sdl) return HandleOf(id);
  }
  return nullptr;
}

HWND FocusWindow() { return focusWindow; }

void NoteFocus(HWND window, bool focused) {
  if (focused) focusWindow = window;
  else if (focusWindow == window) focusWindow = nullptr;
}

bool NoteWindowMoved(HWND window, int x, int y) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || (record->rect.left == x && record->rect.top == y)) return false;
  record->rect = {x, y, x + Width(record->rect), y + Height(record->rect)};
  return true;
}

void NoteWindowSize(HWND window, int width, int height) {
  if (WindowRecord* record = FindWindowRecord(window)) {
    record->rect.right = record->rect.left + width;
    record->rect.bottom = record->rect.top + height;
  }
}

void NoteMinimised(HWND window, bool minimised) {
  if (WindowRecord* record = FindWindowRecord(window)) record->minimised = minimised;
}

bool SdlVideoActive() { return !IsHeadlessVideo() && SDL_WasInit(SDL_INIT_VIDEO) != 0; }

bool IsHeadlessVideo() {
  const char* video = std::getenv("ARU_VIDEO");
  return video && strcasecmp(video, "null") == 0;
}

void InitSdlVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return;
  // SIGINT/SIGTERM are ours (InstallTerminationHandler), not SDL's quit event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A click that focuses the window is also a click, as on Windows.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL video initialisation failed: %s\n", SDL_GetError());
  }
}

SDL_Window* SdlWindowOf(HWND window) {
  WindowRecord* record = FindWindowRecord(window);
  return record ? record->sdl : nullptr;
}

bool IsWindowMinimised(HWND window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) return false;
  if (record->sdl) return (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_MINIMIZED) || record->minimised;
  return record->minimised;
}

}  // namespace platform

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key = LowerCase(windowClass->lpszClassName);
  if (classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  classes[key] = {windowClass->lpszClassName, windowClass->lpfnWndProc};
  return nextAtom++;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (classes.erase(LowerCase(className)) == 0) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
  }
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
  auto windowClass = classes.find(LowerCase(className));
  if (windowClass == classes.end()) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto record = std::make_unique<platform::WindowRecord>();
  record->className = windowClass->second.name;
  record->title = windowName ? windowName : "";
  record->procedure = windowClass->second.procedure;
  record->style = LONG(style & ~DWORD(WS_VISIBLE));
  record->exStyle = LONG(exStyle);
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = kDefaultWidth, height = kDefaultHeight;
  record->rect = {x, y, x + std::max(width, 1), y + std::max(height, 1)};
  if (!platform::IsHeadlessVideo()) {
    record->sdl = CreateSdlWindow(*record);
    if (!record->sdl) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  record->registrationFile = platform::RegisterWindowForOtherProcesses(record->className, record->title);
  HWND handle;
  {
    std::lock_guard<std::mutex> guard(windowsLock);
    handle = HandleOf(nextWindowId);
    nextWindowId += 0x10;
    windows[reinterpret_cast<uintptr_t>(handle)] = std::move(record);
  }
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

HWND CreateWindowA(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu,
                         instance, param);
}

BOOL DestroyWindow(HWND window) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return FALSE;
  SendMessageA(window, WM_DESTROY, 0, 0);
  std::unique_ptr<platform::WindowRecord> owned;
  {
    std::lock_guard<std::mutex> guard(windowsLock);
    auto found = windows.find(reinterpret_cast<uintptr_t>(window));
    if (found == windows.end()) return TRUE;  // the procedure destroyed it already
    owned = std::move(found->second);
    windows.erase(found);
  }
  if (owned->sdl) SDL_DestroyWindow(owned->sdl);
  platform::UnregisterWindowForOtherProcesses(owned->registrationFile);
  platform::DropMessagesFor(window);
  if (focusWindow == window) focusWindow = nullptr;
  return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  std::lock_guard<std::mutex> guard(windowsLock);
  for (auto& [id, record] : windows) {
    if (record->foreign) continue;
    if (className && strcasecmp(className, record->className.c_str()) != 0) continue;
    if (windowName && strcasecmp(windowName, record->title.c_str()) != 0) continue;
    return HandleOf(id);
  }
  int pid = platform::FindWindowOfOtherProcess(className, windowName);
  if (pid == 0) return nullptr;
  // A window of another instance is represented here by a record that only names it.
  for (auto& [id, record] : windows) {
    if (record->foreign && record->foreignPid == pid) return HandleOf(id);
  }
  auto record = std::make_unique<platform::WindowRecord>();
  record->foreign = true;
  record->foreignPid = pid;
  record->className = className ? className : "";
  record->title = windowName ? windowName : "";
  HWND handle = HandleOf(nextWindowId);
  nextWindowId += 0x10;
  windows[reinterpret_cast<uintptr_t>(handle)] = std::move(record);
  return handle;
}

BOOL ShowWindow(HWND window, int command) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return FALSE;
  BOOL wasVisible = (record->style & WS_VISIBLE) ? TRUE : FALSE;
  bool hide = command == SW_HIDE;
  bool minimise = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
  if (hide) record->style &= ~LONG(WS_VISIBLE);
  else record->style |= LONG(WS_VISIBLE);
  if (record->sdl) {
    if (hide) SDL_HideWindow(record->sdl);
    else SDL_ShowWindow(record->sdl);
    if (minimise) SDL_MinimizeWindow(record->sdl);
    else if (command == SW_MAXIMIZE) SDL_MaximizeWindow(record->sdl);
    else if (command == SW_RESTORE) SDL_RestoreWindow(record->sdl);
    return wasVisible;
  }
  if (hide && focusWindow == window) ChangeFocusHeadless(nullptr);
  else if (minimise) MinimiseHeadless(window, *record, true);
  else if (!hide) {
    MinimiseHeadless(window, *record, false);
    ChangeFocusHeadless(window);
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND window) { return RecordOrFail(window) ? TRUE : FALSE; }

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return FALSE;
  ApplyGeometry(window, *record, x, y, width, height, true, true);
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return FALSE;
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) record->exStyle |= WS_EX_TOPMOST;
    else if (insertAfter == HWND_NOTOPMOST) record->exStyle &= ~LONG(WS_EX_TOPMOST);
    if (record->sdl) {
      SDL_SetWindowAlwaysOnTop(record->sdl, (record->exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
    }
  }
  ApplyGeometry(window, *record, x, y, cx, cy, !(flags & SWP_NOMOVE), !(flags & SWP_NOSIZE));
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return 0;
  LONG previous = 0;
  switch (index) {
    case GWL_STYLE:
      previous = record->style;
      record->style = value;
      if (record->sdl) {
        SDL_SetWindowBordered(record->sdl, (value & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
        if ((value & WS_VISIBLE) && !(previous & WS_VISIBLE)) SDL_ShowWindow(record->sdl);
      }
      return previous;
    case GWL_EXSTYLE:
      previous = record->exStyle;
      record->exStyle = value;
      return previous;
    case GWLP_USERDATA:
      previous = LONG(record->userData);
      record->userData = value;
      return previous;
    default:
      // A window procedure does not fit a LONG on this 64-bit platform.
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LONG GetWindowLongA(HWND window, int index) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return 0;
  switch (index) {
    case GWL_STYLE: return record->style;
    case GWL_EXSTYLE: return record->exStyle;
    case GWLP_USERDATA: return LONG(record->userData);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record || !rect) return FALSE;
  if (record->sdl && !(SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_MINIMIZED)) {
    int x, y, width, height;
    SDL_GetWindowPosition(record->sdl, &x, &y);
    SDL_GetWindowSize(record->sdl, &width, &height);
    record->rect = {x, y, x + width, y + height};
  }
  *rect = record->rect;
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  RECT outer;
  if (!rect || !GetWindowRect(window, &outer)) return FALSE;
  *rect = {0, 0, Width(outer), Height(outer)};
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  RECT outer;
  if (!point || !GetWindowRect(window, &outer)) return FALSE;
  point->x += outer.left;
  point->y += outer.top;
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  RECT outer;
  if (!point || !GetWindowRect(window, &outer)) return FALSE;
  point->x -= outer.left;
  point->y -= outer.top;
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return FALSE;
  record->title = text ? text : "";
  if (record->sdl) SDL_SetWindowTitle(record->sdl, platform::Utf8FromLatin1(record->title.c_str()).c_str());
  platform::UnregisterWindowForOtherProcesses(record->registrationFile);
  record->registrationFile = platform::RegisterWindowForOtherProcesses(record->className, record->title);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  platform::WindowRecord* record = platform::FindWindowRecord(window);
  if (!record) return FALSE;
  return !record->foreign || kill(record->foreignPid, 0) == 0 || errno == EPERM;
}

BOOL IsIconic(HWND window) { return platform::IsWindowMinimised(window) ? TRUE : FALSE; }

int GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  SDL_DisplayMode mode{};
  bool known = false;
  if (!platform::IsHeadlessVideo()) {
    platform::InitSdlVideo();
    known = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
  }
  if (index == SM_CXSCREEN) return known ? mode.w : kHeadlessScreenWidth;
  return known ? mode.h : kHeadlessScreenHeight;
}

HWND SetFocus(HWND window) {
  HWND previous = focusWindow;
  platform::WindowRecord* record = RecordOrFail(window);
  if (!record) return nullptr;
  if (record->sdl) {
    SDL_RaiseWindow(record->sdl);
  } else {
    ChangeFocusHeadless(window);
  }
  return previous;
}

HWND GetFocus() { return focusWindow; }

HWND GetForegroundWindow() { return focusWindow; }

BOOL SetForegroundWindow(HWND window) {
  if (!RecordOrFail(window)) return FALSE;
  SetFocus(window);
  return TRUE;
}

int ShowCursor(BOOL show) {
  cursorShowCount += show ? 1 : -1;
  // The count, not the call, decides: the cursor shows while it is zero or more.
  if (platform::SdlVideoActive()) SDL_ShowCursor(cursorShowCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorShowCount;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return reinterpret_cast<HCURSOR>(&arrowCursor); }

HICON LoadIconA(HINSTANCE, LPCSTR) { return reinterpret_cast<HICON>(&applicationIcon); }

HCURSOR SetCursor(HCURSOR cursor) {
  static HCURSOR current = nullptr;
  HCURSOR previous = current;
  current = cursor;
  return previous;
}

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object >= int(std::size(stockObjects))) return nullptr;
  return &stockObjects[object];
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName) return nullptr;
  return reinterpret_cast<HMODULE>(&moduleInstance);
}
