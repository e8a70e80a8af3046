// A started game on the null video device, with a GUI and a fader, as g_engine; and the host
// match scene's set-up widgets, hidden as while a match runs.
#pragma once

#include <aru_platform.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "aru/test_support.h"
#include "rallix_game.h"
#include "services/fader.h"
#include "services/gui.h"

class StartedGame : public testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    platform::InstallTestClock(5'000'000);
    testing_support::WriteFile(dir.File("config.cfg"), "[ARU]\nIsSetup=1\n[Pong]\nName=Tester\n");
    configPath = dir.File("config.cfg");
    logPath = dir.File("errlog.html");
    game = std::make_unique<RallixGame>();
    g_engine = game.get();
    aruInitParams params;
    params.wndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    };
    params.title = "Network Events Test";
    params.logPath = logPath.c_str();
    params.configPath = configPath.c_str();
    params.allowSecondInstance = true;
    params.createSound = false;
    ASSERT_TRUE(SUCCEEDED(game->Initialize(params)));
    ASSERT_NE(game->GetGUI(), nullptr);
    ASSERT_NE(game->GetFader(), nullptr);
  }
  void TearDown() override {
    game.reset();
    g_engine = nullptr;
    platform::RemoveTestClock();
  }

  // The host match scene's widgets, all hidden as while a match runs.
  void AddHiddenHostControls() {
    aruGUI& gui = *game->GetGUI();
    gui.AddTextBox(0, 40, 64);
    for (int i = 0; i < 3; ++i) gui.AddButton(1000, 40 + 100 * float(i), 100, 100, nullptr, -1, -1);
    gui.AddLabel(100, 540, 0xFFFFFFFF, "Max Score: ");
    gui.AddTextBox(320, 535, 3);
    gui.AddLabel(600, 540, 0xFFFFFFFF, "Speed:");
    for (int i = 0; i < 3; ++i) gui.AddOption(730, 540 - 50 * float(i), 40, 40, "", 1);
    for (int i = 0; i < 3; ++i) gui.GetButton(i)->SetHidden(true);
    for (int i = 0; i < 2; ++i) gui.GetLabel(i)->SetHidden(true);
    for (int i = 0; i < 3; ++i) gui.GetOption(i)->SetHidden(true);
    gui.GetTextBox(1)->SetHidden(true);
  }

  testing_support::TempDir dir;
  std::string configPath;
  std::string logPath;
  std::unique_ptr<RallixGame> game;
};
