// A window class whose procedure records every message, for the window and message tests.
// Tests run with the headless video back end: windows are records without an SDL window.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "aru_platform.h"
#include "windows.h"

struct RecordedMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<RecordedMessage>& ProbeLog() {
  static std::vector<RecordedMessage> log;
  return log;
}

inline LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ProbeLog().push_back({message, wParam, lParam});
  if (message == WM_USER + 1) return 1234;
  return DefWindowProcA(window, message, wParam, lParam);
}

class HeadlessWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.style = CS_CLASSDC;
      windowClass.lpfnWndProc = ProbeProcedure;
      windowClass.lpszClassName = "ProbeWindow";
      ASSERT_NE(RegisterClassExA(&windowClass), 0);
      registered = true;
    }
    window = CreateWindowA("ProbeWindow", "Probe Title", WS_CAPTION | WS_SYSMENU, 0, 0, 640, 480,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    DrainQueue();
    ProbeLog().clear();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    DrainQueue();
  }
  static void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  // The messages currently queued, removed from the queue.
  static std::vector<UINT> TakeQueued() {
    std::vector<UINT> messages;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) messages.push_back(msg.message);
    return messages;
  }
  std::vector<UINT> Logged() const {
    std::vector<UINT> messages;
    for (const RecordedMessage& entry : ProbeLog()) messages.push_back(entry.message);
    return messages;
  }
  HWND window = nullptr;
};
