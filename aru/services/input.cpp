// aruDInput: the DirectInput keyboard and mouse and the per-frame dispatch of bindings.
#include "services/input.h"

namespace {

constexpr DWORD kCooperativeLevel = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
constexpr uint8_t kHeld = 0x80;

// Creates one device with its format and level and acquires it; the device is kept in `device`
// as soon as it exists, so a later failing step leaves it in use.
HRESULT CreateDevice(IDirectInput8A* directInput, REFGUID guid, const DIDATAFORMAT& format, HWND window,
                     IDirectInputDevice8A*& device) {
  if (FAILED(directInput->CreateDevice(guid, &device, nullptr))) return E_FAIL;
  if (FAILED(device->SetDataFormat(&format))) return E_FAIL;
  if (FAILED(device->SetCooperativeLevel(window, kCooperativeLevel))) return E_FAIL;
  device->Acquire();
  return 0;
}

}  // namespace

aruDInput::~aruDInput() { Release(); }

HRESULT aruDInput::Create() {
  if (FAILED(DirectInput8Create(inputInstance, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&directInput),
                                nullptr))) {
    return E_FAIL;
  }
  if (FAILED(CreateDevice(directInput, GUID_SysKeyboard, c_dfDIKeyboard, inputWindow, keyboard))) return E_FAIL;
  if (FAILED(CreateDevice(directInput, GUID_SysMouse, c_dfDIMouse, inputWindow, mouse))) return E_FAIL;
  return 0;
}

void aruDInput::Acquire() {
  if (mouse != nullptr) mouse->Acquire();
  if (keyboard != nullptr) keyboard->Acquire();
}

void aruDInput::SetEnabled(bool flag) {
  if (inputInstance != nullptr && inputWindow != nullptr) enabled = flag;
}

void aruDInput::DisableCode(std::vector<Binding>& table, uint32_t code) {
  for (Binding& binding : table) {
    if (binding.code == code) binding.callback = nullptr, binding.code = UINT32_MAX;
  }
}

HRESULT aruDInput::BindKey(uint32_t code, Callback callback, uint32_t interval) {
  DisableCode(keyBindings, code);
  keyBindings.push_back({callback, code, GetTickCount() + interval, interval});
  return 0;
}

HRESULT aruDInput::BindMouseButton(uint32_t button, Callback callback, uint32_t interval) {
  DisableCode(mouseBindings, button);
  mouseBindings.push_back({callback, button, GetTickCount(), interval});
  return 0;
}

void aruDInput::ClearBindings() {
  std::vector<Binding>().swap(keyBindings);
  std::vector<Binding>().swap(mouseBindings);
}

// Walks the table in registration order; the first held binding that is due ends the walk.
void aruDInput::Fire(std::vector<Binding>& table, const uint8_t* state, uint32_t stateSize) {
  for (Binding& binding : table) {
    if (binding.code >= stateSize || (state[binding.code] & kHeld) == 0) continue;
    const DWORD now = GetTickCount();
    if (static_cast<int32_t>(now - binding.due) < 0) continue;
    if (binding.callback != nullptr) {
      binding.due = now + binding.interval;
      binding.callback();
    }
    return;
  }
}

void aruDInput::Dispatch() {
  if (!enabled) return;
  if (!mouseBindings.empty() && mouse != nullptr) {
    DIMOUSESTATE state;
    if (SUCCEEDED(mouse->GetDeviceState(sizeof state, &state))) {
      Fire(mouseBindings, state.rgbButtons, sizeof state.rgbButtons);
    }
  }
  if (!keyBindings.empty() && keyboard != nullptr) {
    uint8_t keys[256];
    if (SUCCEEDED(keyboard->GetDeviceState(sizeof keys, keys))) Fire(keyBindings, keys, sizeof keys);
  }
}

void aruDInput::Release() {
  if (keyboard != nullptr) keyboard->Unacquire();
  if (mouse != nullptr) mouse->Unacquire();
  if (mouse != nullptr) mouse->Release();
  mouse = nullptr;
  if (keyboard != nullptr) keyboard->Release();
  keyboard = nullptr;
  if (directInput != nullptr) directInput->Release();
  directInput = nullptr;
  ClearBindings();
}
