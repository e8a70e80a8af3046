// Keyboard and mouse through DirectInput, and the key and mouse-button bindings of a scene: while
// a bound key or button is held its function is called, at most once per interval, and at most
// one key binding and one mouse binding fire per frame.
#pragma once

#include <windows.h>
#include <dinput.h>

#include <cstdint>
#include <vector>

class aruDInput {
 public:
  typedef void (*Callback)();

  aruDInput() = default;
  ~aruDInput();
  aruDInput(const aruDInput&) = delete;
  aruDInput& operator=(const aruDInput&) = delete;

  void SetWindow(HINSTANCE instance, HWND window) {
    inputInstance = instance;
    inputWindow = window;
  }
  HRESULT Create();
  void Acquire();
  // Only takes effect once SetWindow has given both handles.
  void SetEnabled(bool flag);
  bool IsEnabled() const { return enabled; }

  // An earlier binding of the same code never fires again; a new key waits `interval` ms before
  // its first firing, a new button may fire at once.
  HRESULT BindKey(uint32_t code, Callback callback, uint32_t interval);
  HRESULT BindMouseButton(uint32_t button, Callback callback, uint32_t interval);
  void ClearBindings();
  // The per-frame poll: mouse bindings first, then key bindings.
  void Dispatch();
  void Release();

  bool HasKeyboard() const { return keyboard != nullptr; }
  bool HasMouse() const { return mouse != nullptr; }

 protected:
  struct Binding {
    Callback callback;
    uint32_t code;
    uint32_t due;
    uint32_t interval;
  };

  static void DisableCode(std::vector<Binding>& table, uint32_t code);
  static void Fire(std::vector<Binding>& table, const uint8_t* state, uint32_t stateSize);

  HINSTANCE inputInstance = nullptr;
  HWND inputWindow = nullptr;
  IDirectInput8A* directInput = nullptr;
  IDirectInputDevice8A* keyboard = nullptr;
  IDirectInputDevice8A* mouse = nullptr;
  std::vector<Binding> keyBindings;
  std::vector<Binding> mouseBindings;
  bool enabled = false;
};
