// A test engine on the null Direct3D device with a headless window, and scenes that record what
// the engine asks of them.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "aru/test_support.h"
#include "core/aru.h"

namespace engine_testing {

class TestEngine final : public ARU {
 public:
  HRESULT GameInitialize() override {
    ++gameInitializeCalls;
    if (throwInGame) throw std::runtime_error("game failed");
    return gameResult;
  }
  HRESULT gameResult = 0;
  bool throwInGame = false;
  int gameInitializeCalls = 0;
};

struct Journal {
  std::vector<std::string> events;
  void Add(const std::string& event) { events.push_back(event); }
  int Count(const std::string& event) const {
    int count = 0;
    for (const std::string& e : events) count += e == event;
    return count;
  }
};

class RecordingScene : public aruScene {
 public:
  RecordingScene(ARU* engine, Journal* journal, std::string name)
      : aruScene(engine), journal(journal), name(std::move(name)) {}
  HRESULT Initialize() override { return Note("init", initResult); }
  HRESULT Render() override {
    ++frames;
    journal->Add(name + ":render");
    if (onRender) onRender(*this);
    return renderResult;
  }
  HRESULT Destroy() override { return Note("destroy", destroyResult); }
  HRESULT InvalidateDeviceObjects() override { return Note("invalidate", 0); }
  HRESULT RestoreDeviceObjects() override { return Note("restore", 0); }
  ARU* Engine() { return engine; }

  HRESULT initResult = 0;
  HRESULT renderResult = 0;
  HRESULT destroyResult = 0;
  int frames = 0;
  std::function<void(RecordingScene&)> onRender;

 private:
  HRESULT Note(const char* what, HRESULT result) {
    journal->Add(name + ":" + what);
    return result;
  }
  Journal* journal;
  std::string name;
};

// Messages the test window procedure saw, in order, before the engine handled them.
inline std::vector<UINT>& SeenMessages() {
  static std::vector<UINT> seen;
  return seen;
}

// When set, WM_USER + 1 is noted in this journal as "msg".
inline Journal*& MessageJournal() {
  static Journal* journal = nullptr;
  return journal;
}

inline LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SeenMessages().push_back(message);
  if (message == WM_USER + 1 && MessageJournal() != nullptr) MessageJournal()->Add("msg");
  if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Owns a temporary base folder with config.cfg and errlog.html, and the parameters pointing there.
class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    configPath = dir.File("config.cfg");
    logPath = dir.File("errlog.html");
    static int counter = 0;
    title = "Engine Test " + std::to_string(getpid()) + "-" + std::to_string(++counter);
    params.wndProc = TestWindowProc;
    params.title = title.c_str();
    params.logPath = logPath.c_str();
    params.configPath = configPath.c_str();
    params.logTitle = "Test Log";
    params.allowSecondInstance = true;
    params.createSound = false;
    SeenMessages().clear();
  }
  void TearDown() override {
    g_engine = nullptr;
    MessageJournal() = nullptr;
  }

  void WriteConfig(const std::string& content) { testing_support::WriteFile(configPath, content); }
  std::string Log() const { return testing_support::ReadFile(logPath); }
  std::string Config() const { return testing_support::ReadFile(configPath); }

  static int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  testing_support::TempDir dir;
  std::string configPath;
  std::string logPath;
  std::string title;
  aruInitParams params;
};

}  // namespace engine_testing
