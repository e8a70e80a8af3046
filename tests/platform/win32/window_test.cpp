// Windows without a display: classes, geometry with the messages it sends, styles, focus and
// minimising, FindWindowA within and across processes, the screen size.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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

// Runs `body` in a child process that reports through a pipe once its window exists and then
// ends as `body` decides; returns the child's id after the window was made.
template <typename Body>
pid_t ChildWithWindow(const char* title, Body body) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    HWND other = CreateWindowA("ProbeWindow", title, 0, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    char byte = other ? 1 : 0;
    (void)!write(ready[1], &byte, 1);
    body();
    _exit(0);
  }
  char byte = 0;
  bool made = read(ready[0], &byte, 1) == 1 && byte == 1;
  close(ready[0]);
  close(ready[1]);
  return made ? child : -1;
}

class CrossProcess : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_RUNTIME_DIR");
    Window::TearDown();
  }
  int RegistrationFiles() const {
    std::error_code ignored;
    int count = 0;
    for (auto& entry : std::filesystem::directory_iterator(runtime.Path("rallix-windows"), ignored)) {
      (void)entry;
      ++count;
    }
    return count;
  }
  TempDir runtime;
};

TEST_F(CrossProcess, AnEndedProcessNotYetReapedIsNotARunningCopy) {
  pid_t child = ChildWithWindow("Zombie", [] { _exit(0); });
  ASSERT_GT(child, 0);
  // Waits for the end without reaping: the child stays in the process table, and its window
  // must not count.
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT), 0);
  ASSERT_EQ(kill(child, 0), 0);
  EXPECT_EQ(FindWindowA("ProbeWindow", "Zombie"), nullptr);
  EXPECT_EQ(RegistrationFiles(), 0);
  waitpid(child, nullptr, 0);
}

TEST_F(CrossProcess, ANormalExitWithoutDestroyingTheWindowRemovesItsRegistration) {
  pid_t child = ChildWithWindow("Exits", [] { std::exit(0); });
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(RegistrationFiles(), 0);
}

TEST_F(CrossProcess, AnUnlockedFileNamingALiveProcessIsStaleAndRemoved) {
  // As after a reboot: the file names a process id that now belongs to some other program.
  std::filesystem::create_directories(runtime.Path("rallix-windows"));
  std::filesystem::permissions(runtime.Path("rallix-windows"), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  runtime.Write("rallix-windows/1-0", "ProbeWindow\nStale\n" + std::to_string(getppid()) + "\n");
  EXPECT_EQ(FindWindowA("ProbeWindow", "Stale"), nullptr);
  EXPECT_EQ(RegistrationFiles(), 0);
}

TEST_F(CrossProcess, AFolderOthersCanWriteIntoIsNotTrusted) {
  std::filesystem::create_directories(runtime.Path("rallix-windows"));
  std::filesystem::permissions(runtime.Path("rallix-windows"), std::filesystem::perms::all,
                               std::filesystem::perm_options::replace);
  pid_t child = ChildWithWindow("Shared", [] { pause(); });
  ASSERT_GT(child, 0);
  EXPECT_EQ(RegistrationFiles(), 0);
  EXPECT_EQ(FindWindowA("ProbeWindow", "Shared"), nullptr);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
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
