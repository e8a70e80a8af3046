// Windows without a display: classes, geometry with the messages it sends, styles, focus and
// minimising, FindWindowA within and across processes, the screen size.
#include <sys/wait.h>
#include <unistd.h>

#include "temp_dir.h"
#include "window_probe.h"

namespace {

using Window = HeadlessWindow;

TEST_F(Window, ClassesRegisterOnceAndUnknownClassesCreateNothing) {
  WNDCLASSEXA again{};
  again.lpfnWndProc = ProbeProcedure;
  again.lpszClassName = "PROBEWINDOW";
  EXPECT_EQ(RegisterClassExA(&again), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));
  EXPECT_EQ(CreateWindowA("NoSuchClass", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(Window, MovingAndSizingReportTheNewGeometryToTheProcedure) {
  RECT rect;
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480);
  ASSERT_TRUE(MoveWindow(window, 320, 272, 640, 480, TRUE));
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_MOVE}));
  EXPECT_EQ(ProbeLog()[0].lParam, MAKELPARAM(320, 272));
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 320);
  EXPECT_EQ(rect.bottom, 752);
  ProbeLog().clear();
  ASSERT_TRUE(SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 800, 600, SWP_NOMOVE));
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_SIZE}));
  GetClientRect(window, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, 800);
  EXPECT_EQ(rect.bottom, 600);
  POINT point{10, 20};
  ClientToScreen(window, &point);
  EXPECT_EQ(point.x, 330);
  EXPECT_EQ(point.y, 292);
  ScreenToClient(window, &point);
  EXPECT_EQ(point.x, 10);
}

TEST_F(Window, StyleIsStoredAndShowWindowSetsVisible) {
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), LONG(WS_CAPTION | WS_SYSMENU));
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), LONG(WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(SetWindowLongA(window, GWL_STYLE, WS_VISIBLE), LONG(WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), LONG(WS_VISIBLE));
}

TEST_F(Window, ShowingActivatesAndMinimisingReportsItInWmActivate) {
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(LOWORD(ProbeLog()[0].wParam), WA_ACTIVE);
  EXPECT_EQ(GetFocus(), window);
  ProbeLog().clear();
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(window));
  ASSERT_EQ(Logged(), std::vector<UINT>({WM_ACTIVATE, WM_KILLFOCUS}));
  EXPECT_NE(HIWORD(ProbeLog()[0].wParam), 0);
  ProbeLog().clear();
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(HIWORD(ProbeLog()[0].wParam), 0);
}

TEST_F(Window, DestroyingSendsWmDestroyAndDropsItsPostedMessages) {
  PostMessageA(window, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(TakeQueued().empty());
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
}

TEST_F(Window, CloseBoxDestroysTheWindowThroughDefWindowProc) {
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Logged(), std::vector<UINT>({WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Window, HeadlessScreenIs1280By1024) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_TRUE(platform::IsHeadlessVideo());
}

TEST_F(Window, FindWindowMatchesClassAndTitleIgnoringCase) {
  EXPECT_EQ(FindWindowA("probewindow", "PROBE TITLE"), window);
  EXPECT_EQ(FindWindowA("ProbeWindow", nullptr), window);
  EXPECT_EQ(FindWindowA("ProbeWindow", "Other Title"), nullptr);
}

TEST_F(Window, FindWindowSeesAnotherProcessUntilItDies) {
  TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  if (child == 0) {
    HWND other = CreateWindowA("ProbeWindow", "Second Instance", 0, 0, 0, 64, 64, nullptr, nullptr,
                               nullptr, nullptr);
    char byte = other ? 1 : 0;
    close(release[1]);
    (void)!write(ready[1], &byte, 1);
    (void)!read(release[0], &byte, 1);
    _exit(0);  // dies without destroying the window, as a crash would
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 1);
  HWND found = FindWindowA("ARUMainWindow", "Second Instance");
  EXPECT_EQ(found, nullptr);
  found = FindWindowA("ProbeWindow", "second instance");
  EXPECT_NE(found, nullptr);
  EXPECT_NE(found, window);
  EXPECT_TRUE(IsWindow(found));
  close(release[1]);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(IsWindow(found));
  EXPECT_EQ(FindWindowA("ProbeWindow", "Second Instance"), nullptr);
  // The dead process's registration file was removed by the search.
  EXPECT_TRUE(std::filesystem::is_empty(runtime.Path("rallix-windows")));
  unsetenv("XDG_RUNTIME_DIR");
  close(ready[0]);
  close(ready[1]);
  close(release[0]);
}

TEST_F(Window, ShowCursorCountsAndCursorPositionStaysOnTheScreen) {
  int start = ShowCursor(TRUE);
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(ShowCursor(FALSE), start - 2);
  ShowCursor(TRUE);
  ShowCursor(TRUE);
  ASSERT_TRUE(SetCursorPos(640, 512));
  POINT point;
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 640);
  EXPECT_EQ(point.y, 512);
  SetCursorPos(5000, -20);
  GetCursorPos(&point);
  EXPECT_EQ(point.x, 1279);
  EXPECT_EQ(point.y, 0);
}

}  // namespace
