// The message queue: order, filters, PM_NOREMOVE, WM_QUIT, TranslateMessage's characters,
// injected keys and their key state, Alt combinations, and SIGTERM as WM_DESTROY.
#include <csignal>

#include "window_probe.h"

namespace {

using Messages = HeadlessWindow;

TEST_F(Messages, PostedMessagesComeBackInOrderAndNoRemoveLeavesThem) {
  PostMessageA(window, WM_USER + 10, 1, 2);
  PostMessageA(window, WM_USER + 11, 3, 4);
  PostMessageA(nullptr, WM_USER + 12, 5, 6);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 10));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 10));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(msg.lParam, 2);
  EXPECT_EQ(TakeQueued(), std::vector<UINT>({WM_USER + 11, WM_USER + 12}));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, FiltersSelectByRangeAndWindow) {
  PostMessageA(window, WM_MOUSEMOVE, 0, 0);
  PostMessageA(window, WM_KEYDOWN, 'A', 0);
  PostMessageA(nullptr, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_KEYDOWN));
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_MOUSEMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(TakeQueued(), std::vector<UINT>({WM_USER}));
}

TEST_F(Messages, QuitComesAfterEverythingElseWithItsExitCode) {
  PostQuitMessage(3);
  PostMessageA(window, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_USER));
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, DispatchAndSendCallTheWindowProcedure) {
  PostMessageA(window, WM_USER + 1, 7, 8);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&msg), 1234);
  EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 1234);
  ASSERT_EQ(ProbeLog().size(), 2u);
  EXPECT_EQ(ProbeLog()[0].wParam, 7u);
  EXPECT_EQ(ProbeLog()[0].lParam, 8);
}

// Peeks the next message, translates it and returns what followed it in the queue.
std::vector<std::pair<UINT, WPARAM>> TranslateNext() {
  std::vector<std::pair<UINT, WPARAM>> result;
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return result;
  result.push_back({msg.message, msg.wParam});
  TranslateMessage(&msg);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) &&
         (msg.message == WM_CHAR || msg.message == WM_SYSCHAR)) {
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    result.push_back({msg.message, msg.wParam});
  }
  return result;
}

TEST_F(Messages, TranslateMessageTypesTheKeysCharacterBeforeLaterMessages) {
  PostMessageA(window, WM_KEYDOWN, VK_OEM_3, 0);
  PostMessageA(window, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(TranslateMessage(&msg));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_CHAR));
  EXPECT_EQ(msg.wParam, WPARAM('`'));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER));
  msg.message = WM_KEYUP;
  EXPECT_FALSE(TranslateMessage(&msg));
}

TEST_F(Messages, InjectedKeysSetKeyStateAndTypeShiftedAndControlCharacters) {
  ShowWindow(window, SW_SHOW);
  DrainQueue();
  platform::InjectKeyEvent('A', true);
  EXPECT_EQ(TranslateNext(), (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}}));
  EXPECT_NE(GetAsyncKeyState('A') & 0x8000, 0);
  platform::InjectKeyEvent('A', false);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_KEYUP));
  EXPECT_EQ(DWORD(msg.lParam) >> 30, 3u);  // previous state down, transition up

  platform::InjectKeyEvent(VK_LSHIFT, true);
  platform::InjectKeyEvent('2', true);
  TranslateNext();  // the shift key itself
  EXPECT_EQ(TranslateNext(), (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, '2'}, {WM_CHAR, '@'}}));
  platform::InjectKeyEvent('2', false);
  platform::InjectKeyEvent(VK_LSHIFT, false);
  DrainQueue();

  platform::InjectKeyEvent(VK_LCONTROL, true);
  EXPECT_NE(GetAsyncKeyState(VK_LCONTROL) & 0x8000, 0);
  EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RCONTROL), 0);
  platform::InjectKeyEvent('V', true);
  TranslateNext();
  EXPECT_EQ(TranslateNext(), (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'V'}, {WM_CHAR, 0x16}}));
  platform::InjectKeyEvent('V', false);
  platform::InjectKeyEvent(VK_LCONTROL, false);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  DrainQueue();
}

TEST_F(Messages, AltEnterAndAltF4ArriveAsKeyDownOtherAltKeysAsSystemKeys) {
  ShowWindow(window, SW_SHOW);
  DrainQueue();
  platform::InjectKeyEvent(VK_LMENU, true);
  platform::InjectKeyEvent(VK_RETURN, true);
  platform::InjectKeyEvent(VK_RETURN, false);
  platform::InjectKeyEvent(VK_F4, true);
  platform::InjectKeyEvent(VK_F4, false);
  platform::InjectKeyEvent('X', true);
  EXPECT_NE(GetAsyncKeyState(VK_MENU) & 0x8000, 0);
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (auto next = TranslateNext(); !next.empty(); next = TranslateNext()) {
    seen.insert(seen.end(), next.begin(), next.end());
  }
  // No WM_CHAR for Alt+Enter: the console must not see an Enter when the display mode flips.
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_SYSKEYDOWN, VK_MENU},
                                                        {WM_KEYDOWN, VK_RETURN},
                                                        {WM_SYSCHAR, '\r'},
                                                        {WM_KEYUP, VK_RETURN},
                                                        {WM_KEYDOWN, VK_F4},
                                                        {WM_KEYUP, VK_F4},
                                                        {WM_SYSKEYDOWN, 'X'},
                                                        {WM_SYSCHAR, 'x'}}));
  platform::InjectKeyEvent('X', false);
  platform::InjectKeyEvent(VK_LMENU, false);
  DrainQueue();
}

TEST_F(Messages, SigtermBecomesWmDestroyForTheGameWindow) {
  platform::InstallTerminationHandler(window);
  PostMessageA(window, WM_USER, 0, 0);
  std::raise(SIGTERM);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_DESTROY));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  std::raise(SIGINT);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_DESTROY));
  platform::InstallTerminationHandler(nullptr);
}

}  // namespace
