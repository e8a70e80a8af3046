// The main menu scene: builds every page's widgets once, hidden, and switches pages by hiding
// all widgets and showing one page's. The bound check boxes change music and sound at once; the
// rest of the options page only takes effect on save.
#include "scenes/scene1.h"

#include <cstdio>
#include <string>

#include "rallix_game.h"
#include "scenes/scene0.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {

constexpr uint32_t kEscape = 1;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kValueColour = 0xFFFFFFC8;
// Half a step of the game sensitivity: its sums carry float error, the cycle must not skip.
constexpr float kGameStepTolerance = 0.0005f;

// Buttons 0..9 with name.tex and nameroll.tex from the menu folder, all 120 high.
struct MenuButton {
  const char* name;
  float x, y, width;
  aruGUICallback action;
};

aruGUI& Gui() { return *g_engine->GetGUI(); }

void ToDifficulty() { menus::ShowDifficultyPage(Gui()); }
void ToNetwork() { menus::ShowNetworkPage(Gui()); }
void ToOptions() { menus::ShowOptionsPage(Gui(), menus::Game()); }
void ToMain() { menus::ShowMainPage(Gui()); }
void QuitGame() { g_engine->Quit(); }

void Choose(int16_t difficulty) {
  menus::Game().ChooseDifficulty(difficulty);
  menus::ChangeTo(new scene5(g_engine));
}
void ChooseEasy() { Choose(1); }
void ChooseMedium() { Choose(2); }
void ChooseHard() { Choose(3); }
void ChooseImpossible() { Choose(4); }

void CreateGame() { menus::ChangeTo(new scene6(g_engine)); }
void Connect() { menus::ChangeTo(new scene7(g_engine)); }

void RefreshSensitivityLabels() {
  RallixGame& game = menus::Game();
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", game.guiSensitivity);
  Gui().GetLabel(3)->SetText(text);
  std::snprintf(text, sizeof text, "%.0f", menus::GameSensitivityShown(game.gameSensitivity));
  Gui().GetLabel(4)->SetText(text);
}

void GuiDown() {
  menus::Game().guiSensitivity = menus::LowerGuiSensitivity(menus::Game().guiSensitivity);
  RefreshSensitivityLabels();
}
void GuiUp() {
  menus::Game().guiSensitivity = menus::RaiseGuiSensitivity(menus::Game().guiSensitivity);
  RefreshSensitivityLabels();
}
void GameDown() {
  menus::Game().gameSensitivity = menus::LowerGameSensitivity(menus::Game().gameSensitivity);
  RefreshSensitivityLabels();
}
void GameUp() {
  menus::Game().gameSensitivity = menus::RaiseGameSensitivity(menus::Game().gameSensitivity);
  RefreshSensitivityLabels();
}

void Save() {
  aruGUI& gui = Gui();
  menus::SaveOptions(menus::Game(), gui.GetCheckBox(0)->IsChecked(), gui.GetCheckBox(1)->IsChecked(),
                     gui.GetTextBox(0)->GetText());
  menus::ShowMainPage(gui);
}

const MenuButton kMenuButtons[] = {
    {"newgame", 380, 520, 520, ToDifficulty},     {"multiplayer", 282.5f, 390, 715, ToNetwork},
    {"options", 412.5f, 260, 455, ToOptions},     {"quit", 510, 130, 260, QuitGame},
    {"easy", 510, 520, 260, ChooseEasy},          {"medium", 445, 390, 390, ChooseMedium},
    {"hard", 510, 260, 260, ChooseHard},          {"impossible", 315, 130, 650, ChooseImpossible},
    {"creategame", 282.5f, 520, 715, CreateGame}, {"connect", 412.5f, 390, 455, Connect},
};

// A check box whose state lives in a one-byte flag of the game object.
static_assert(sizeof(bool) == 1, "bool flags are linked as bytes");
uint8_t* FlagByte(bool& flag) { return reinterpret_cast<uint8_t*>(&flag); }

void ShowButtons(aruGUI& gui, int first, int last) {
  for (int i = first; i <= last; ++i) gui.GetButton(i)->SetHidden(false);
}

}  // namespace

namespace menus {

void StartMusic(aruMP3& music, const char* fileName) {
  RallixGame& game = Game();
  if (!game.music) return;
  if (FAILED(music.Load(fileName)) || FAILED(music.Play())) {
    game.aruConsole::Printf(0xFFFF0000, "Could not play the music %s", fileName);
  }
}

void KeepMusic(aruMP3& music) {
  if (Game().music) music.KeepLooping();
}

float RaiseGuiSensitivity(float value) { return value < 10 ? value + 1 : 1; }
float LowerGuiSensitivity(float value) { return value > 1 ? value - 1 : 10; }
float RaiseGameSensitivity(float value) {
  return value < 0.015f - kGameStepTolerance ? value + 0.001f : 0.006f;
}
float LowerGameSensitivity(float value) {
  return value > 0.006f + kGameStepTolerance ? value - 0.001f : 0.015f;
}
float GameSensitivityShown(float value) { return value * 1000 - 5; }

void SaveOptions(RallixGame& game, bool powerShots, bool crosshair, const char* name) {
  game.powerShotsAllowed = powerShots ? 1 : 0;
  game.showCrosshair = crosshair;
  ApplyNick(game.playerName, sizeof game.playerName, name != nullptr ? name : "");
}

void ShowMainPage(aruGUI& gui) {
  gui.HideAll();
  ShowButtons(gui, 0, 3);
}

void ShowDifficultyPage(aruGUI& gui) {
  gui.HideAll();
  ShowButtons(gui, 4, 7);
  gui.GetButton(10)->SetHidden(false);
}

void ShowNetworkPage(aruGUI& gui) {
  gui.HideAll();
  ShowButtons(gui, 8, 10);
}

void ShowOptionsPage(aruGUI& gui, RallixGame& game) {
  gui.HideAll();
  gui.GetButton(10)->SetHidden(false);
  gui.GetCheckBox(0)->SetHidden(false);
  gui.GetCheckBox(0)->SetChecked(game.powerShotsAllowed != 0);
  gui.GetButton(11)->SetHidden(false);
  gui.GetLabel(0)->SetHidden(false);
  gui.GetTextBox(0)->SetHidden(false);
  gui.GetTextBox(0)->SetText(game.playerName);
  gui.GetImage(0)->SetHidden(false);
  ShowButtons(gui, 12, 15);
  for (int i = 1; i <= 4; ++i) gui.GetLabel(i)->SetHidden(false);
  for (int i = 1; i <= 4; ++i) gui.GetCheckBox(i)->SetHidden(false);
  gui.GetCheckBox(1)->SetChecked(game.showCrosshair);
  // Shown again so the boxes draw the state of their linked flags.
  for (int i = 2; i <= 4; ++i) gui.GetCheckBox(i)->SetChecked(gui.GetCheckBox(i)->IsChecked());
  RefreshSensitivityLabels();
}

}  // namespace menus

HRESULT scene1::Initialize() {
  RallixGame& game = menus::Game();
  if (aruFader* fader = engine->GetFader()) {
    fader->SetTexture(engine->LoadTexture(".\\base\\tex\\menu\\splash.tex"));
    fader->SetColour(255, 255, 255);
    fader->SetDuration(1);
    fader->SetClear();
    fader->Cover();
  }
  engine->ClearBindings();
  if (FAILED(menus::BindFullScreenKey()) || FAILED(engine->BindKey(kEscape, QuitGame, 1000))) return E_FAIL;
  aruGUI* gui = engine->GetGUI();
  if (gui == nullptr) return E_FAIL;
  gui->Clear();

  gui->AddImage(100, 600, 1050, 400, engine->LoadTexture("./base/tex/menu/frame.tex"));
  gui->GetImage(0)->SetHidden(true);
  for (const MenuButton& button : kMenuButtons) {
    const std::string base = std::string(".\\base\\tex\\menu\\") + button.name;
    gui->AddButton(button.x, button.y, button.width, 120, button.action, engine->LoadTexture((base + ".tex").c_str()),
                   engine->LoadTexture((base + "roll.tex").c_str()));
  }

  gui->AddCheckBox(150, 570, 50, 50, "Allow Power Shots");
  gui->GetCheckBox(0)->SetChecked(game.powerShotsAllowed != 0);
  gui->AddLabel(150, 510, kWhite, "Your Name:");
  gui->AddTextBox(370, 510, 10);
  gui->AddButton(0, 0, 100, 100, ToMain, engine->LoadTexture(".\\base\\tex\\menu\\back.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\backroll.tex"));
  gui->AddButton(125, 0, 300, 100, Save, engine->LoadTexture(".\\base\\tex\\menu\\save1.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\save2.tex"));
  gui->AddLabel(150, 420, kWhite, "GUI Sensitivity:");
  gui->AddLabel(150, 370, kWhite, "Game Sensitivity:");
  gui->AddLabel(560, 415, kValueColour, "");
  gui->AddLabel(560, 365, kValueColour, "");
  const int32_t previous = engine->LoadTexture(".\\base\\tex\\menu\\Prev1.tex");
  const int32_t previousRoll = engine->LoadTexture(".\\base\\tex\\menu\\Prev2.tex");
  const int32_t next = engine->LoadTexture(".\\base\\tex\\menu\\Next1.tex");
  const int32_t nextRoll = engine->LoadTexture(".\\base\\tex\\menu\\Next2.tex");
  gui->AddButton(500, 382, 35, 35, GuiDown, previous, previousRoll);
  gui->AddButton(600, 382, 35, 35, GuiUp, next, nextRoll);
  gui->AddButton(500, 332, 35, 35, GameDown, previous, previousRoll);
  gui->AddButton(600, 332, 35, 35, GameUp, next, nextRoll);
  gui->AddCheckBox(150, 270, 50, 50, "Show Cheater Icon");
  gui->AddCheckBox(750, 570, 50, 50, "Play Music");
  gui->AddCheckBox(750, 510, 50, 50, "Play Sound Effects");
  gui->AddCheckBox(750, 450, 50, 50, "3-D Sound");
  gui->GetCheckBox(2)->Link(FlagByte(game.music));
  gui->GetCheckBox(3)->Link(&game.soundEffects);
  gui->GetCheckBox(4)->Link(FlagByte(game.sound3D));

  for (int i = 4; i <= 15; ++i) gui->GetButton(i)->SetHidden(true);
  for (int i = 0; i <= 4; ++i) {
    gui->GetCheckBox(i)->SetHidden(true);
    gui->GetLabel(i)->SetHidden(true);
  }
  gui->GetTextBox(0)->SetHidden(true);

  gui->SetSoundsEnabled(game.soundEffects != 0);
  music = std::make_unique<aruMP3>();
  menus::StartMusic(*music, ".\\base\\sfx\\intro.sfx");
  return 0;
}

HRESULT scene1::Render() {
  RallixGame& game = menus::Game();
  engine->Begin2D();
  aruFader* fader = engine->GetFader();
  if (fader != nullptr) fader->Update();
  if (aruGUI* gui = engine->GetGUI(); gui != nullptr && (fader == nullptr || fader->IsIdle())) {
    gui->SetSoundsEnabled(game.soundEffects != 0);
    gui->Draw(engine->ScaleX(game.guiSensitivity));
  }
  engine->aruConsole::Draw();
  if (music) menus::KeepMusic(*music);
  return 0;
}

HRESULT scene1::Destroy() {
  if (music) music->Stop();
  music.reset();
  return 0;
}
