// The GUI manager on an engine without a device: hit tests and click order, roll-over sounds,
// the check-box toggle guard and linked flags, option groups, text boxes and focus, and the
// software cursor driven by the system cursor's motion away from the window centre.
#include <gtest/gtest.h>

#include <aru_platform.h>

#include <string>
#include <vector>

#include "core/aru.h"
#include "services/gui.h"

namespace {

std::vector<int> clicked;
void ClickFirst() { clicked.push_back(1); }
void ClickSecond() { clicked.push_back(2); }

class TestEngine : public ARU {
 public:
  HRESULT GameInitialize() override { return 0; }
  void SetScreen(float width, float height) {
    screenWidth = width;
    screenHeight = height;
    centreX = width * 0.5f;
    centreY = height * 0.5f;
  }
  void SetInactive(bool flag) { inactive = flag; }
};

class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    clicked.clear();
    platform::InstallTestClock(7'000'000'000);
    engine.SetScreen(1280, 1024);
    ASSERT_EQ(gui.Create(&engine, 50, 50, -1), 0);
  }
  void TearDown() override {
    gui.Release();
    platform::RemoveTestClock();
  }
  // Moves the software cursor to a pixel position (speed 10 makes one system pixel one pixel).
  void PointAt(float x, float y) {
    const int dx = static_cast<int>(x - gui.GetCursorX()), dy = static_cast<int>(y - gui.GetCursorY());
    SetCursorPos(static_cast<int>(engine.GetCentreX()) + dx, static_cast<int>(engine.GetCentreY()) - dy);
    gui.MoveCursor(10);
  }
  void ClickOn(float x, float y) {
    PointAt(x, y);
    gui.Click();
  }

  TestEngine engine;
  aruGUI gui;
};

TEST_F(Gui, CursorStartsCentredAndFollowsMotionFromTheCentre) {
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 640);
  EXPECT_FLOAT_EQ(gui.GetCursorY(), 512);
  SetCursorPos(640 + 30, 512 + 20);  // right and down on the screen
  gui.MoveCursor(5);                 // factor 0.5
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 655);
  EXPECT_FLOAT_EQ(gui.GetCursorY(), 502);
  POINT parked{};
  GetCursorPos(&parked);
  EXPECT_EQ(parked.x, 640);
  EXPECT_EQ(parked.y, 512);
  gui.MoveCursor(5);  // the system cursor has not moved since it was parked
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 655);
}

TEST_F(Gui, CursorNeverLeavesTheBackBuffer) {
  SetCursorPos(100000, -100000);
  gui.MoveCursor(100);
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 1280);
  EXPECT_FLOAT_EQ(gui.GetCursorY(), 1024);
  SetCursorPos(-100000, 100000);
  gui.MoveCursor(100);
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 0);
  EXPECT_FLOAT_EQ(gui.GetCursorY(), 0);
}

TEST_F(Gui, CursorStaysWhileTheWindowIsInactive) {
  engine.SetInactive(true);
  SetCursorPos(0, 0);
  gui.MoveCursor(10);
  EXPECT_FLOAT_EQ(gui.GetCursorX(), 640);
  EXPECT_FLOAT_EQ(gui.GetCursorY(), 512);
}

TEST_F(Gui, OverlappingButtonsClickTheEarlierOne) {
  EXPECT_EQ(gui.AddButton(100, 100, 200, 100, ClickFirst, 3, 4), 0);
  EXPECT_EQ(gui.AddButton(150, 150, 200, 100, ClickSecond, 5, 0), 1);
  ClickOn(200, 180);  // inside both
  EXPECT_EQ(clicked, std::vector<int>{1});
  ClickOn(320, 220);  // only the second
  EXPECT_EQ(clicked, (std::vector<int>{1, 2}));
  gui.GetButton(0)->SetHidden(true);
  ClickOn(200, 180);
  EXPECT_EQ(clicked, (std::vector<int>{1, 2, 2}));
}

TEST_F(Gui, ButtonEdgesAreHitBottomAndSidesButNotTop) {
  gui.AddButton(100, 100, 200, 100, ClickFirst, -1, 0);
  ClickOn(100, 100);
  ClickOn(300, 199);
  ClickOn(200, 200);
  ClickOn(99, 150);
  EXPECT_EQ(clicked, (std::vector<int>{1, 1}));
}

TEST_F(Gui, ButtonsScaleWithTheBackBuffer) {
  engine.SetScreen(640, 512);
  gui.AddButton(640, 512, 128, 128, ClickFirst, -1, 0);  // pixels 320..384, 256..320
  ClickOn(330, 300);
  ClickOn(700, 600);
  EXPECT_EQ(clicked, std::vector<int>{1});
}

TEST_F(Gui, RollOverSoundPlaysOncePerEntry) {
  gui.SetSounds("missing-rollover.sfx", "missing-down.sfx");
  gui.AddButton(100, 100, 100, 100, ClickFirst, 3, 4);
  gui.AddButton(300, 100, 100, 100, ClickSecond, 5, 0);
  PointAt(150, 150);
  gui.UpdateRollOver();
  gui.UpdateRollOver();
  EXPECT_EQ(gui.GetRollOverPlays(), 1u);
  EXPECT_EQ(gui.GetHover(), 0);
  EXPECT_TRUE(gui.GetButton(0)->IsShowingRollOver());
  PointAt(350, 150);
  gui.UpdateRollOver();
  EXPECT_EQ(gui.GetRollOverPlays(), 2u);
  EXPECT_FALSE(gui.GetButton(0)->IsShowingRollOver());
  PointAt(150, 150);
  gui.UpdateRollOver();
  PointAt(250, 150);
  gui.UpdateRollOver();
  EXPECT_EQ(gui.GetRollOverPlays(), 3u);
  EXPECT_EQ(gui.GetHover(), -1);
  gui.SetSoundsEnabled(false);
  PointAt(150, 150);
  gui.UpdateRollOver();
  EXPECT_EQ(gui.GetRollOverPlays(), 3u);
}

TEST_F(Gui, DownSoundPlaysOnButtonClicksWhenEnabled) {
  gui.SetSounds(nullptr, "missing-down.sfx");
  gui.AddButton(100, 100, 100, 100, nullptr, -1, 0);
  ClickOn(150, 150);
  EXPECT_EQ(gui.GetDownPlays(), 1u);
  gui.SetSoundsEnabled(false);
  gui.Click();
  EXPECT_EQ(gui.GetDownPlays(), 1u);
  gui.ClickAt(150, 150);  // a scene's own click plays whenever the sound exists
  EXPECT_EQ(gui.GetDownPlays(), 2u);
  EXPECT_EQ(gui.GetRollOverPlays(), 0u);
}

TEST_F(Gui, HiddenCursorIgnoresClicks) {
  gui.AddButton(600, 500, 100, 100, ClickFirst, -1, 0);
  gui.SetCursorVisible(false);
  gui.Click();
  EXPECT_TRUE(clicked.empty());
  gui.SetCursorVisible(true);
  gui.Click();
  EXPECT_EQ(clicked, std::vector<int>{1});
}

TEST_F(Gui, CheckBoxDoubleClickWithin200MsFlipsOnce) {
  uint8_t flag = 0;
  EXPECT_EQ(gui.AddCheckBox(100, 300, 50, 50, "Sound"), 0);
  gui.GetCheckBox(0)->Link(&flag);
  ClickOn(120, 280);
  gui.Click();
  EXPECT_TRUE(gui.GetCheckBox(0)->IsChecked());
  EXPECT_EQ(flag, 1);
  platform::AdvanceTestClock(199'000);
  gui.Click();
  EXPECT_TRUE(gui.GetCheckBox(0)->IsChecked());
  platform::AdvanceTestClock(1'000);
  gui.Click();
  EXPECT_FALSE(gui.GetCheckBox(0)->IsChecked());
  EXPECT_EQ(flag, 0);
}

TEST_F(Gui, LinkedFlagSetsTheStateAtOnceEvenWhenHidden) {
  uint8_t on = 1, other = 2;
  gui.AddCheckBox(100, 300, 50, 50, nullptr);
  gui.AddCheckBox(100, 200, 50, 50, nullptr);
  gui.GetCheckBox(0)->SetHidden(true);
  gui.GetCheckBox(0)->Link(&on);
  gui.GetCheckBox(1)->Link(&other);
  EXPECT_TRUE(gui.GetCheckBox(0)->IsChecked());
  EXPECT_FALSE(gui.GetCheckBox(1)->IsChecked());
  gui.GetCheckBox(1)->SetChecked(true);
  EXPECT_EQ(other, 1);
}

TEST_F(Gui, OptionsUncheckTheirGroupOnly) {
  gui.AddOption(100, 500, 50, 50, "Easy", 1);
  gui.AddOption(100, 400, 50, 50, "Hard", 1);
  gui.AddOption(400, 500, 50, 50, "Blue", 2);
  EXPECT_EQ(gui.SelectedOption(1), -1);
  ClickOn(120, 480);
  ClickOn(420, 480);
  EXPECT_EQ(gui.SelectedOption(1), 0);
  EXPECT_EQ(gui.SelectedOption(2), 2);
  ClickOn(120, 380);
  EXPECT_EQ(gui.SelectedOption(1), 1);
  EXPECT_FALSE(gui.GetOption(0)->IsChecked());
  EXPECT_TRUE(gui.GetOption(2)->IsChecked());
  gui.ClickAt(120, 480);  // a scene's click does not choose options
  EXPECT_EQ(gui.SelectedOption(1), 1);
}

TEST_F(Gui, TextBoxRefusesTheCharacterBeyondItsLimitAndCutsPastes) {
  EXPECT_EQ(gui.AddTextBox(100, 500, 10), 0);
  gui.ClickAt(110, 490);
  ASSERT_EQ(gui.GetFocus(), 0);
  for (char c : std::string("abcdefghijk")) gui.KeyInput(static_cast<uint8_t>(c), true);
  EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "abcdefghij");
  gui.Paste("0123456789ABCDEF");
  EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "0123456789");
  EXPECT_EQ(gui.GetTextBox(0)->GetCaret(), 10);
}

TEST_F(Gui, TextBoxKeysMoveTheCaretAndDelete) {
  gui.AddTextBox(100, 500, 20);
  gui.GetTextBox(0)->SetText("host");
  gui.ClickAt(110, 490);
  gui.KeyInput(VK_PRIOR, false);
  gui.KeyInput(VK_DELETE, false);
  gui.KeyInput('g', true);
  EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "gost");
  gui.KeyInput(VK_NEXT, false);
  gui.KeyInput(VK_BACK, false);
  gui.KeyInput(VK_LEFT, false);
  gui.KeyInput(VK_RIGHT, false);
  gui.KeyInput(VK_RIGHT, false);
  gui.KeyInput(7, true);  // control characters are ignored
  EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "gos");
  EXPECT_EQ(gui.GetTextBox(0)->GetCaret(), 3);
}

TEST_F(Gui, ClickingOutsideTextBoxesRemovesTheFocus) {
  gui.AddTextBox(100, 500, 10);
  ClickOn(110, 490);
  EXPECT_EQ(gui.GetFocus(), 0);
  ClickOn(900, 100);
  EXPECT_EQ(gui.GetFocus(), -1);
  gui.KeyInput('x', true);
  gui.Paste("pasted");
  EXPECT_STREQ(gui.GetTextBox(0)->GetText(), "");
}

TEST_F(Gui, TextBoxIsHitFifteenUnitsAroundItsLine) {
  gui.AddTextBox(100, 500, 4);  // 85 pixels wide, line 475..500
  gui.ClickAt(110, 514);
  EXPECT_EQ(gui.GetFocus(), 0);
  gui.ClickAt(110, 461);
  EXPECT_EQ(gui.GetFocus(), 0);
  gui.ClickAt(110, 516);
  EXPECT_EQ(gui.GetFocus(), -1);
  gui.ClickAt(186, 490);
  EXPECT_EQ(gui.GetFocus(), -1);
}

TEST_F(Gui, NumbersNeverHandedOutGiveHarmlessWidgets) {
  gui.GetButton(5)->SetHidden(false);
  gui.GetTextBox(-1)->SetText("x");
  gui.GetCheckBox(3)->SetChecked(true);
  gui.GetOption(9)->SetChecked(true);
  gui.GetLabel(2)->SetText("label");
  gui.GetImage(1)->SetTexture(4);
  EXPECT_EQ(gui.SelectedOption(0), -1);
  gui.Click();
  gui.KeyInput('a', true);
  EXPECT_TRUE(gui.GetButton(5)->IsHidden());
}

TEST_F(Gui, ClearAndHideAllTakeWidgetsAway) {
  gui.AddButton(600, 500, 100, 100, ClickFirst, -1, 0);
  gui.AddTextBox(100, 500, 10);
  gui.AddLabel(10, 10, 0xFFFFFFFF, "hello");
  gui.HideAll();
  EXPECT_TRUE(gui.GetLabel(0)->IsHidden());
  gui.Click();
  EXPECT_TRUE(clicked.empty());
  gui.GetButton(0)->SetHidden(false);
  gui.ClickAt(110, 490);
  EXPECT_EQ(gui.GetFocus(), -1);  // the text box stays hidden
  gui.Clear();
  EXPECT_EQ(gui.AddButton(0, 0, 10, 10, nullptr, -1, 0), 0);
  EXPECT_EQ(gui.GetHover(), -1);
}

}  // namespace
