// The intro: the title picture fades in over three seconds, stands for four, then fades away and
// the main menu follows; Space, Escape, Enter or a click skip straight to the menu.
#include "scenes/scene0.h"

#include "commands.h"
#include "rallix_game.h"
#include "scenes/scene1.h"
#include "scenes/scene3.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {

constexpr uint32_t kStandMs = 4000;
constexpr uint32_t kSpace = 57, kEscape = 1, kEnter = 28, kF10 = 68;

// The intro's stage (1 showing, 2 fading out) and the tick of its first frame.
int introStage = 1;
uint32_t introStart = 0;

}  // namespace

namespace menus {

RallixGame& Game() { return *static_cast<RallixGame*>(g_engine); }

void FullScreenKey() {
  RallixGame& game = Game();
  game.paused = 1;
  game.ToggleFullScreen();
}

HRESULT BindFullScreenKey() { return Game().BindKey(kF10, FullScreenKey, 1000); }

void ChangeTo(aruScene* next) { g_engine->ChangeScene(next); }

void GoToMainMenu() { ChangeTo(new scene1(g_engine)); }
void GoToCredits() { ChangeTo(new scene4(g_engine)); }

}  // namespace menus

HRESULT scene0::Initialize() {
  introStage = 1;
  introStart = 0;
  commandScenes.credits = [](RallixGame* game) -> aruScene* { return new scene4(game); };
  if (aruGUI* gui = engine->GetGUI()) gui->Clear();
  if (aruFader* fader = engine->GetFader()) {
    fader->SetTexture(engine->LoadTexture(".\\base\\tex\\intro.tex"));
    fader->SetColour(255, 255, 255);
    fader->SetDuration(3);
    fader->SetClear();
    fader->Cover();
  }
  if (FAILED(engine->BindKey(kSpace, menus::GoToMainMenu, 1000)) ||
      FAILED(engine->BindKey(kEscape, menus::GoToMainMenu, 1000)) ||
      FAILED(engine->BindKey(kEnter, menus::GoToMainMenu, 1000)) || FAILED(menus::BindFullScreenKey()) ||
      FAILED(engine->BindMouseButton(0, menus::GoToMainMenu, 1000))) {
    return E_FAIL;
  }
  return 0;
}

HRESULT scene0::Render() {
  const uint32_t now = GetTickCount();
  if (introStart == 0) introStart = now != 0 ? now : 1;
  engine->Begin2D();
  aruFader* fader = engine->GetFader();
  if (fader != nullptr) fader->Update();
  engine->aruConsole::Draw();
  if (introStage == 2) {
    if ((fader == nullptr || fader->IsIdle()) && !engine->IsSceneChangePending()) menus::GoToMainMenu();
  } else if (now - introStart > kStandMs) {
    if (fader != nullptr) fader->Reveal();
    introStage = 2;
  }
  return 0;
}
