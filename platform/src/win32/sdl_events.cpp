// SDL events become window messages: keys (virtual-key codes, scan-code bits in lParam, text
// input attached for TranslateMessage), mouse motion and buttons in client coordinates, focus,
// minimisation, moves, size changes and the close box. Keys pressed while Alt is held are
// WM_SYSKEYDOWN as on Windows, except Enter and F4: the engine recognises Alt+Enter and Alt+F4
// in WM_KEYDOWN (checking Alt with GetAsyncKeyState), so those two arrive as WM_KEYDOWN.
#include <cstdio>

#include "aru_platform.h"
#include "win32/window_state.h"

namespace platform {
namespace {

int GenericKey(int virtualKey) {
  switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return virtualKey;
  }
}

LPARAM KeyLParam(const KeyCodes& codes, bool down, bool wasDown, bool alt) {
  DWORD bits = 1u | (DWORD(codes.scanCode & 0xFF) << 16);
  if (codes.extended) bits |= 1u << 24;
  if (alt) bits |= 1u << 29;
  if (wasDown) bits |= 1u << 30;
  if (!down) bits |= (1u << 30) | (1u << 31);
  return LPARAM(bits);
}

// Updates the key state and queues the key message; fromSdl keys expect their typed text from
// SDL's text input, injected keys carry the characters the key types.
void QueueKey(HWND window, const KeyCodes& codes, bool down, bool repeat, bool fromSdl) {
  bool wasDown = IsKeyDown(codes.virtualKey) || repeat;
  SetKeyDown(codes.virtualKey, down);
  if (!window) return;
  int key = GenericKey(codes.virtualKey);
  bool alt = IsKeyDown(VK_MENU);
  bool system = key == VK_MENU || (alt && key != VK_RETURN && key != VK_F4);
  QueuedMessage entry;
  entry.msg.hwnd = window;
  entry.msg.wParam = WPARAM(key);
  entry.msg.lParam = KeyLParam(codes, down, wasDown, alt);
  entry.msg.time = GetTickCount();
  GetCursorPos(&entry.msg.pt);
  if (!down) {
    entry.msg.message = system ? WM_SYSKEYUP : WM_KEYUP;
    QueueMessage(entry);
    return;
  }
  entry.msg.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
  bool shift = IsKeyDown(VK_SHIFT), control = IsKeyDown(VK_CONTROL);
  std::string text = CharactersOfKey(key, shift, control);
  bool controlCharacter = text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x20;
  if (fromSdl && !controlCharacter) text.clear();
  std::snprintf(entry.text, sizeof entry.text, "%s", text.c_str());
  entry.textKnown = true;
  entry.awaitingText = fromSdl && !controlCharacter;
  entry.systemChars = alt;
  QueueMessage(entry);
}

WPARAM MouseKeyFlags() {
  WPARAM flags = 0;
  if (IsKeyDown(VK_LBUTTON)) flags |= MK_LBUTTON;
  if (IsKeyDown(VK_RBUTTON)) flags |= MK_RBUTTON;
  if (IsKeyDown(VK_MBUTTON)) flags |= MK_MBUTTON;
  if (IsKeyDown(VK_SHIFT)) flags |= MK_SHIFT;
  if (IsKeyDown(VK_CONTROL)) flags |= MK_CONTROL;
  return flags;
}

// The window under an SDL mouse event and the event's point in its client area.
HWND MouseWindow(Uint32 windowId, int x, int y, POINT& client) {
  HWND window = WindowOfSdlId(windowId);
  if (!window) return nullptr;
  RECT rect{};
  GetWindowRect(window, &rect);
  if (SDL_GetRelativeMouseMode()) {
    POINT cursor = VirtualCursor();
    client = {cursor.x - rect.left, cursor.y - rect.top};
  } else {
    client = {x, y};
    SetVirtualCursor(rect.left + x, rect.top + y);
  }
  return window;
}

void HandleMotion(const SDL_MouseMotionEvent& motion) {
  if (motion.which == SDL_TOUCH_MOUSEID) return;
  if (SDL_GetRelativeMouseMode()) MoveVirtualCursorBy(motion.xrel, motion.yrel);
  POINT client{};
  HWND window = MouseWindow(motion.windowID, motion.x, motion.y, client);
  if (window) QueueMessage(window, WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(client.x, client.y));
}

void HandleButton(const SDL_MouseButtonEvent& button, bool down) {
  if (button.which == SDL_TOUCH_MOUSEID) return;
  int virtualKey;
  UINT message;
  switch (button.button) {
    case SDL_BUTTON_LEFT: virtualKey = VK_LBUTTON, message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: virtualKey = VK_RBUTTON, message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: virtualKey = VK_MBUTTON, message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
  }
  SetKeyDown(virtualKey, down);
  POINT client{};
  HWND window = MouseWindow(button.windowID, button.x, button.y, client);
  if (window) QueueMessage(window, message, MouseKeyFlags(), MAKELPARAM(client.x, client.y));
}

void HandleWheel(const SDL_MouseWheelEvent& wheel) {
  HWND window = WindowOfSdlId(wheel.windowID);
  if (!window || wheel.y == 0) return;
  int delta = wheel.y * WHEEL_DELTA * (wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
  POINT cursor = VirtualCursor();
  QueueMessage(window, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), delta), MAKELPARAM(cursor.x, cursor.y));
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
  HWND window = WindowOfSdlId(event.windowID);
  if (!window) return;
  bool minimised = IsWindowMinimised(window);
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      NoteFocus(window, true);
      QueueMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, minimised ? 1 : 0), 0);
      QueueMessage(window, WM_SETFOCUS, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      NoteFocus(window, false);
      // Key releases after this point go to another window: forget what is held.
      ReleaseAllKeys();
      QueueMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimised ? 1 : 0), 0);
      QueueMessage(window, WM_KILLFOCUS, 0, 0);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      NoteMinimised(window, true);
      QueueMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
      QueueMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      NoteMinimised(window, false);
      QueueMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
      break;
    case SDL_WINDOWEVENT_MOVED:
      if (NoteWindowMoved(window, event.data1, event.data2)) {
        QueueMessage(window, WM_MOVE, 0, MAKELPARAM(event.data1, event.data2));
      }
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      NoteWindowSize(window, event.data1, event.data2);
      QueueMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_CLOSE:
      QueueMessage(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      KeyCodes codes = KeyCodesOf(event.key.keysym);
      if (!codes.virtualKey) return;
      HWND window = WindowOfSdlId(event.key.windowID);
      QueueKey(window ? window : FocusWindow(), codes, event.type == SDL_KEYDOWN,
               event.key.repeat != 0, true);
      break;
    }
    case SDL_TEXTINPUT: AttachTextToLastKeyDown(Latin1FromUtf8(event.text.text)); break;
    case SDL_MOUSEMOTION: HandleMotion(event.motion); break;
    case SDL_MOUSEBUTTONDOWN: HandleButton(event.button, true); break;
    case SDL_MOUSEBUTTONUP: HandleButton(event.button, false); break;
    case SDL_MOUSEWHEEL: HandleWheel(event.wheel); break;
    case SDL_WINDOWEVENT: HandleWindowEvent(event.window); break;
    default: break;
  }
}

}  // namespace

void PumpSdlEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleEvent(event);
}

void InjectKeyEvent(int virtualKey, bool down) {
  KeyCodes codes;
  codes.virtualKey = virtualKey;
  QueueKey(FocusWindow(), codes, down, false, false);
}

}  // namespace platform
