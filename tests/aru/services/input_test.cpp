// Key and mouse-button bindings: intervals, held keys repeating, one firing per device and frame,
// rebinding, clearing and the enabled flag, on the headless input devices and the test clock.
#include <gtest/gtest.h>

#include <aru_platform.h>
#include <dinput_test.h>

#include <vector>

#include "services/input.h"

namespace {

std::vector<int> fired;
void First() { fired.push_back(1); }
void Second() { fired.push_back(2); }
void Third() { fired.push_back(3); }

class KeyBindings : public ::testing::Test {
 protected:
  void SetUp() override {
    fired.clear();
    platform::ResetTestInput();
    platform::InstallTestClock(1'000'000'000);
    input.SetWindow(reinterpret_cast<HINSTANCE>(1), reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5151)));
    ASSERT_EQ(input.Create(), 0);
    input.SetEnabled(true);
  }
  void TearDown() override {
    input.Release();
    platform::ResetTestInput();
    platform::RemoveTestClock();
  }
  static void AdvanceMs(int ms) { platform::AdvanceTestClock(int64_t(ms) * 1000); }
  // Runs one frame's dispatch and returns what fired in it.
  std::vector<int> Frame() {
    fired.clear();
    input.Dispatch();
    return fired;
  }

  aruDInput input;
};

TEST_F(KeyBindings, NewKeyWaitsItsIntervalThenRepeatsWhileHeld) {
  input.BindKey(DIK_F10, First, 1000);
  platform::SetTestKey(DIK_F10, true);
  EXPECT_TRUE(Frame().empty());
  AdvanceMs(999);
  EXPECT_TRUE(Frame().empty());
  AdvanceMs(1);
  EXPECT_EQ(Frame(), std::vector<int>{1});
  AdvanceMs(500);
  EXPECT_TRUE(Frame().empty());
  AdvanceMs(500);
  EXPECT_EQ(Frame(), std::vector<int>{1});
  platform::SetTestKey(DIK_F10, false);
  AdvanceMs(5000);
  EXPECT_TRUE(Frame().empty());
}

TEST_F(KeyBindings, ZeroIntervalFiresEveryFrame) {
  input.BindKey(DIK_SPACE, First, 0);
  platform::SetTestKey(DIK_SPACE, true);
  EXPECT_EQ(Frame(), std::vector<int>{1});
  EXPECT_EQ(Frame(), std::vector<int>{1});
}

TEST_F(KeyBindings, TwoDueKeysFireOnePerFrameEarlierRegisteredFirst) {
  input.BindKey(DIK_RETURN, First, 100);
  input.BindKey(DIK_ESCAPE, Second, 100);
  platform::SetTestKey(DIK_RETURN, true);
  platform::SetTestKey(DIK_ESCAPE, true);
  AdvanceMs(100);
  EXPECT_EQ(Frame(), std::vector<int>{1});
  EXPECT_EQ(Frame(), std::vector<int>{2});
  EXPECT_TRUE(Frame().empty());
}

TEST_F(KeyBindings, MouseAndKeyboardEachFireOncePerFrame) {
  input.BindKey(DIK_C, First, 0);
  input.BindMouseButton(0, Second, 250);
  input.BindMouseButton(1, Third, 0);
  platform::SetTestKey(DIK_C, true);
  platform::SetTestMouseButton(0, true);
  platform::SetTestMouseButton(1, true);
  EXPECT_EQ(Frame(), (std::vector<int>{2, 1}));  // mouse first; a new button fires at once
  EXPECT_EQ(Frame(), (std::vector<int>{3, 1}));
}

TEST_F(KeyBindings, RebindingAKeyOrButtonReplacesTheOldCallback) {
  input.BindKey(68, First, 0);
  input.BindKey(68, Second, 0);
  input.BindMouseButton(0, First, 0);
  input.BindMouseButton(0, Third, 0);
  platform::SetTestKey(68, true);
  platform::SetTestMouseButton(0, true);
  EXPECT_EQ(Frame(), (std::vector<int>{3, 2}));
  EXPECT_EQ(Frame(), (std::vector<int>{3, 2}));
}

TEST_F(KeyBindings, NullCallbackStillEndsTheWalk) {
  input.BindKey(DIK_ESCAPE, nullptr, 0);
  input.BindKey(DIK_RETURN, First, 0);
  platform::SetTestKey(DIK_ESCAPE, true);
  platform::SetTestKey(DIK_RETURN, true);
  EXPECT_TRUE(Frame().empty());
  platform::SetTestKey(DIK_ESCAPE, false);
  EXPECT_EQ(Frame(), std::vector<int>{1});
}

TEST_F(KeyBindings, ClearedOrDisabledBindingsDoNothing) {
  input.BindKey(DIK_SPACE, First, 0);
  platform::SetTestKey(DIK_SPACE, true);
  input.ClearBindings();
  EXPECT_TRUE(Frame().empty());
  input.BindKey(DIK_SPACE, First, 0);
  input.SetEnabled(false);
  EXPECT_TRUE(Frame().empty());
  input.SetEnabled(true);
  EXPECT_EQ(Frame(), std::vector<int>{1});
}

TEST_F(KeyBindings, NothingFiresWhileTheWindowIsInTheBackground) {
  input.BindKey(DIK_SPACE, First, 0);
  platform::SetTestKey(DIK_SPACE, true);
  platform::SetTestForeground(false);
  EXPECT_TRUE(Frame().empty());
  platform::SetTestForeground(true);
  EXPECT_TRUE(Frame().empty());  // lost until the window's focus message re-acquires
  input.Acquire();
  EXPECT_EQ(Frame(), std::vector<int>{1});
}

TEST(KeyBindingsSetUp, EnablingNeedsInstanceAndWindow) {
  aruDInput input;
  input.SetEnabled(true);
  EXPECT_FALSE(input.IsEnabled());
  input.SetWindow(reinterpret_cast<HINSTANCE>(1), nullptr);
  input.SetEnabled(true);
  EXPECT_FALSE(input.IsEnabled());
}

TEST(KeyBindingsSetUp, ReleaseLeavesNoDevicesAndCanRepeat) {
  aruDInput input;
  input.SetWindow(reinterpret_cast<HINSTANCE>(1), reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5152)));
  ASSERT_EQ(input.Create(), 0);
  EXPECT_TRUE(input.HasKeyboard());
  EXPECT_TRUE(input.HasMouse());
  input.Release();
  input.Release();
  EXPECT_FALSE(input.HasKeyboard());
  EXPECT_FALSE(input.HasMouse());
}

TEST(KeyBindingsSetUp, CreateWithoutWindowFails) {
  aruDInput input;
  EXPECT_EQ(input.Create(), E_FAIL);
  EXPECT_TRUE(input.HasKeyboard());  // created before the failing step, kept in use
  EXPECT_FALSE(input.HasMouse());
}

}  // namespace
