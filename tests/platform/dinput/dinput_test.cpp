// DirectInput 8 devices without a window of their own: creation rules, acquisition, the
// foreground rule and the keyboard and mouse states read through the test hook.
#include <gtest/gtest.h>

#include "dinput.h"
#include "dinput_test.h"

namespace {

// A handle the window layer does not know: its devices read the injected state.
HWND TestWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150)); }

class DirectInputDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetTestInput();
    ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&input), nullptr),
              DI_OK);
  }
  void TearDown() override {
    if (keyboard != nullptr) keyboard->Release();
    if (mouse != nullptr) mouse->Release();
    if (input != nullptr) input->Release();
    platform::ResetTestInput();
  }
  void MakeKeyboard() {
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(TestWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  }
  void MakeMouse() {
    ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
    ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
    ASSERT_EQ(mouse->SetCooperativeLevel(TestWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  }

  IDirectInput8A* input = nullptr;
  IDirectInputDevice8A* keyboard = nullptr;
  IDirectInputDevice8A* mouse = nullptr;
};

TEST(DirectInputCreate, RefusesOtherVersionsInterfacesAndAggregation) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0900, IID_IDirectInput8A, &out, nullptr),
            DIERR_BETADIRECTINPUTVERSION);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInputDevice8A, &out, nullptr), DIERR_NOINTERFACE);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(out, nullptr);
}

TEST_F(DirectInputDevices, OnlyKeyboardAndMouseExist) {
  IDirectInputDevice8A* device = reinterpret_cast<IDirectInputDevice8A*>(1);
  EXPECT_EQ(input->CreateDevice(IID_IDirectInput8A, &device, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(input->CreateDevice(GUID_SysKeyboard, nullptr, nullptr), E_POINTER);
}

TEST_F(DirectInputDevices, DataFormatMustFitTheDevice) {
  ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(sizeof(DIMOUSESTATE), 16u);
}

TEST_F(DirectInputDevices, CooperativeLevelNeedsOneOfEachPairAndAWindow) {
  ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(TestWindow(), DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(TestWindow(), DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(TestWindow(), DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_EXCLUSIVE),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, 6), E_HANDLE);
  EXPECT_EQ(keyboard->SetCooperativeLevel(TestWindow(), 6), DI_OK);
}

TEST_F(DirectInputDevices, StateNeedsFormatAndAcquisition) {
  ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  uint8_t keys[256];
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);  // no format yet
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_INVALIDPARAM);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(TestWindow(), 6), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(keyboard->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceState(256, nullptr), E_POINTER);
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
}

TEST_F(DirectInputDevices, KeyboardStateHasHeldKeysByDikCode) {
  MakeKeyboard();
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  platform::SetTestKey(DIK_F10, true);
  platform::SetTestKey(DIK_ESCAPE, true);
  uint8_t keys[256];
  ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keys[68], 0x80);
  EXPECT_EQ(keys[1], 0x80);
  EXPECT_EQ(keys[DIK_SPACE], 0);
  platform::SetTestKey(DIK_ESCAPE, false);
  ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keys[1], 0);
  EXPECT_EQ(keys[68], 0x80);
}

TEST_F(DirectInputDevices, ForegroundDeviceFailsInBackgroundUntilReacquired) {
  MakeKeyboard();
  platform::SetTestForeground(false);
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
  platform::SetTestForeground(true);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  platform::SetTestKey(DIK_RETURN, true);
  platform::SetTestForeground(false);
  uint8_t keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_INPUTLOST);
  platform::SetTestForeground(true);
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DIERR_NOTACQUIRED);  // lost until acquired again
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  ASSERT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keys[DIK_RETURN], 0x80);
}

TEST_F(DirectInputDevices, BackgroundDeviceReadsWhileInBackground) {
  ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(TestWindow(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  platform::SetTestForeground(false);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  uint8_t keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(256, keys), DI_OK);
}

TEST_F(DirectInputDevices, MouseReportsButtonsAndMotionSinceLastRead) {
  MakeMouse();
  platform::AddTestMouseMotion(50, 50, 0);  // before acquisition: not reported
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  platform::SetTestMouseButton(0, true);
  platform::AddTestMouseMotion(3, -4, 120);
  DIMOUSESTATE state;
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 3);
  EXPECT_EQ(state.lY, -4);
  EXPECT_EQ(state.lZ, 120);
  EXPECT_EQ(state.rgbButtons[0], 0x80);
  EXPECT_EQ(state.rgbButtons[1], 0);
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lY, 0);
  EXPECT_EQ(state.rgbButtons[0], 0x80);
  EXPECT_EQ(mouse->GetDeviceState(256, &state), DIERR_INVALIDPARAM);
}

TEST_F(DirectInputDevices, ObjectsAnswerTheirInterfacesAndCountReferences) {
  MakeKeyboard();
  void* same = nullptr;
  ASSERT_EQ(keyboard->QueryInterface(IID_IDirectInputDevice8A, &same), S_OK);
  EXPECT_EQ(same, keyboard);
  EXPECT_EQ(keyboard->Release(), 1u);
  EXPECT_EQ(keyboard->QueryInterface(IID_IDirectInput8A, &same), E_NOINTERFACE);
  EXPECT_EQ(same, nullptr);
}

}  // namespace
