// DirectInput8Create, the DirectInput object and its keyboard and mouse devices. A device needs a
// data format and a cooperative level before it can be acquired; a foreground device can only be
// acquired while its window is in the foreground and loses acquisition when the window leaves it.
#include <atomic>
#include <cstring>
#include <new>

#include "dinput.h"
#include "dinput/input_source.h"

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0,
                                     nullptr};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), 0, nullptr};

namespace {

enum class DeviceKind { kKeyboard, kMouse };

template <typename Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;
  std::atomic<ULONG> references{1};
};

class InputDevice final : public RefCounted<IDirectInputDevice8A> {
 public:
  explicit InputDevice(DeviceKind kind) : kind(kind) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDirectInputDevice8A) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }

  HRESULT SetDataFormat(LPCDIDATAFORMAT format) override {
    if (format == nullptr) return DIERR_INVALIDPARAM;
    if (acquired) return DIERR_ACQUIRED;
    const DWORD expected = kind == DeviceKind::kKeyboard ? 256 : sizeof(DIMOUSESTATE);
    if (format->dwDataSize != expected) return DIERR_INVALIDPARAM;
    dataSize = format->dwDataSize;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND newWindow, DWORD flags) override {
    if (acquired) return DIERR_ACQUIRED;
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    const bool nonExclusive = (flags & DISCL_NONEXCLUSIVE) != 0;
    const bool fore = (flags & DISCL_FOREGROUND) != 0;
    const bool back = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == nonExclusive || fore == back) return DIERR_INVALIDPARAM;
    if (newWindow == nullptr) return E_HANDLE;
    window = newWindow;
    foreground = fore;
    levelSet = true;
    return DI_OK;
  }

  HRESULT Acquire() override {
    if (dataSize == 0 || !levelSet) return DIERR_INVALIDPARAM;
    if (acquired) return DI_NOEFFECT;
    if (foreground && !platform::IsInputForeground(window)) return DIERR_OTHERAPPHASPRIO;
    acquired = true;
    if (kind == DeviceKind::kMouse) platform::ReadMouseState(window);  // motion starts now
    return DI_OK;
  }

  HRESULT Unacquire() override {
    if (!acquired) return DI_NOEFFECT;
    acquired = false;
    return DI_OK;
  }

  HRESULT GetDeviceState(DWORD size, LPVOID data) override {
    if (data == nullptr) return E_POINTER;
    if (dataSize == 0 || size != dataSize) return DIERR_INVALIDPARAM;
    if (!acquired) return DIERR_NOTACQUIRED;
    if (foreground && !platform::IsInputForeground(window)) {
      acquired = false;
      return DIERR_INPUTLOST;
    }
    if (kind == DeviceKind::kKeyboard) {
      platform::ReadKeyboardState(window, static_cast<uint8_t*>(data));
      return DI_OK;
    }
    const platform::MouseReading reading = platform::ReadMouseState(window);
    DIMOUSESTATE state{};
    state.lX = reading.dx;
    state.lY = reading.dy;
    state.lZ = reading.dz;
    std::memcpy(state.rgbButtons, reading.buttons, 4);
    std::memcpy(data, &state, sizeof state);
    return DI_OK;
  }

 private:
  DeviceKind kind;
  HWND window = nullptr;
  DWORD dataSize = 0;
  bool levelSet = false;
  bool foreground = false;
  bool acquired = false;
};

class DirectInput final : public RefCounted<IDirectInput8A> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDirectInput8A) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }

  HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override {
    if (device == nullptr) return E_POINTER;
    *device = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    DeviceKind kind;
    if (guid == GUID_SysKeyboard) {
      kind = DeviceKind::kKeyboard;
    } else if (guid == GUID_SysMouse) {
      kind = DeviceKind::kMouse;
    } else {
      return DIERR_DEVICENOTREG;
    }
    *device = new (std::nothrow) InputDevice(kind);
    return *device != nullptr ? DI_OK : DIERR_OUTOFMEMORY;
  }
};

}  // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
  if (iid != IID_IDirectInput8A) return DIERR_NOINTERFACE;
  IDirectInput8A* object = new (std::nothrow) DirectInput();
  if (object == nullptr) return DIERR_OUTOFMEMORY;
  *out = object;
  return DI_OK;
}
