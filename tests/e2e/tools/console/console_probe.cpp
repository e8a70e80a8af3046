// An engine with one test scene for the console and GUI end-to-end test: a large button in the
// middle of the screen whose click logs a line and quits, the console drawn over it, and two
// console commands whose answers are printed to the console and written to the log.
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/aru.h"
#include "services/gui.h"

namespace {

constexpr D3DCOLOR kGreen = 0xFF00FF00;

class ProbeEngine final : public ARU {
 public:
  HRESULT GameInitialize() override;
};

void Answer(const std::string& text) {
  g_engine->Print(text.c_str(), kGreen);
  g_engine->Line(("Console answered: " + text).c_str());
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

void Echo(std::string text) { Answer("echo " + text); }
void Add(int32_t a, int32_t b) { Answer("sum " + std::to_string(a + b)); }

void ButtonClicked() {
  g_engine->Line("GUI button clicked");
  std::printf("GUI button clicked\n");
  std::fflush(stdout);
  g_engine->Quit();
}

HRESULT ProbeEngine::GameInitialize() {
  Bind("echo", 7, Echo, true);
  Bind("add", 2, Add, false);
  SetShowRecent(true);
  SetEnabled(true);
  return 0;
}

class ProbeScene : public aruScene {
 public:
  using aruScene::aruScene;
  HRESULT Initialize() override {
    aruGUI* gui = engine->GetGUI();
    if (gui == nullptr) return E_FAIL;
    gui->Clear();
    button = engine->LoadTexture(".\\base\\menu\\arrow.tex");
    gui->AddButton(340, 212, 600, 600, ButtonClicked, button, 0);
    engine->Line("Probe scene ready");
    return 0;
  }
  HRESULT Render() override {
    engine->Begin2D();
    engine->GetGUI()->Draw(10);
    engine->aruConsole::Draw();
    return 0;
  }

 private:
  int32_t button = -1;
};

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
  ProbeEngine* probe = new ProbeEngine();
  g_engine = probe;
  aruInitParams params;
  params.wndProc = ProbeWindowProc;
  params.instance = GetModuleHandleA(NULL);
  params.title = "Console Probe";
  params.consoleTexture = ".\\base\\tex\\console.tex";
  params.logPath = ".\\base\\errlog.html";
  params.configPath = ".\\base\\config.cfg";
  params.logTitle = "Console Probe Log";
  params.cursorTexture = ".\\base\\menu\\arrow.tex";
  params.allowSecondInstance = true;
  params.createSound = false;
  if (SUCCEEDED(probe->Initialize(params))) probe->Run(new ProbeScene(probe));
  delete probe;
  g_engine = nullptr;
  return 0;
}
