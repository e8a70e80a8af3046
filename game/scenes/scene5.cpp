// The pick screen scene. The selection rules (wrapping, locks, starting a level) belong to the
// level catalogue and the match; this scene shows them and turns the preview paddle a quarter
// turn per second.
#include "scenes/scene5.h"

#include <cmath>
#include <numbers>
#include <string>

#include "commands.h"
#include "rallix_game.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "services/fader.h"
#include "services/gui.h"
#include "scenes/scene2.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr const char* kTextureFolder = "./base/tex";

// The preview's angle about y and the scene's mesh, shared with the paddle arrows.
float previewAngle = 0;
aruCMesh* previewMesh = nullptr;

RallixGame& Game() { return menus::Game(); }

// The selected level's thumbnail, with the lock over it when the level is closed.
void ShowSelectedLevel() {
  RallixGame& game = Game();
  aruGUI* gui = game.GetGUI();
  if (gui == nullptr) return;
  gui->GetImage(1)->SetHidden(true);
  char thumb[256];
  game.catalog.ReadLevelString(game.selectedLevel, "Thumb", thumb, sizeof thumb, "");
  gui->GetImage(0)->SetTexture(thumb[0] != '\0' ? game.LoadTexture(thumb) : -1);
  if (menus::ShowsLock(game)) gui->GetImage(1)->SetHidden(false);
}

void NextLevel() {
  Game().selectedLevel = Game().catalog.NextLevel(Game().selectedLevel);
  ShowSelectedLevel();
}
void PreviousLevel() {
  Game().selectedLevel = Game().catalog.PreviousLevel(Game().selectedLevel);
  ShowSelectedLevel();
}

void UseSkin(const char* path) { Game().playerSkinTexture = path[0] != '\0' ? Game().LoadTexture(path) : -1; }
void NextSkin() { UseSkin(Game().catalog.NextSkin()); }
void PreviousSkin() { UseSkin(Game().catalog.PreviousSkin()); }

void ReloadPreview() {
  if (previewMesh != nullptr && !previewMesh->LoadX(Game().catalog.paddleModelPath.c_str(), kTextureFolder)) {
    Game().aruConsole::Printf(0xFFFF0000, "Could not load the paddle model %s",
                              Game().catalog.paddleModelPath.c_str());
  }
}
void NextPaddle() {
  Game().catalog.NextPaddle();
  ReloadPreview();
}
void PreviousPaddle() {
  Game().catalog.PreviousPaddle();
  ReloadPreview();
}

void LetsGo() {
  RallixGame& game = Game();
  if (!StartLevel(game, game.catalog)) return;
  menus::ChangeTo(new scene2(&game));
}

// The paddle's world matrix: scaled 0.75, turned about y by the angle, at the origin.
aruMatrix PreviewMatrix(float angle) {
  aruMatrix world;
  world.Identity();
  world.Scale(0.75f, 0.75f, 0.75f);
  const float c = std::cos(angle), s = std::sin(angle);
  const float turn[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  world.Multiply(turn);
  return world;
}

}  // namespace

namespace menus {

const char* DifficultyLabel(int16_t difficulty) {
  switch (difficulty) {
    case 1: return "Difficulty: Easy";
    case 2: return "Difficulty: Medium";
    case 3: return "Difficulty: Hard";
    case 4: return "Difficulty: Impossible";
    default: return "";
  }
}

bool ShowsLock(const RallixGame& game) { return !game.catalog.IsUnlocked(game.selectedLevel, game.difficulty); }

aruCMesh* PreviewPaddle() { return previewMesh; }

}  // namespace menus

HRESULT scene5::Initialize() {
  RallixGame& game = Game();
  if (FAILED(menus::BindFullScreenKey())) return E_FAIL;
  game.selectedLevel = 0;
  if (aruFader* fader = engine->GetFader()) {
    fader->SetDuration(1);
    fader->SetCovered();
    fader->SetColour(255, 255, 255);
    fader->SetTexture(engine->LoadTexture(".\\base\\tex\\menu\\paddlepick.tex"));
  }
  music = std::make_unique<aruMP3>();
  menus::StartMusic(*music, ".\\base\\sfx\\inter.sfx");

  preview = std::make_unique<aruCMesh>(engine);
  previewMesh = preview.get();
  ReloadPreview();

  aruGUI* gui = engine->GetGUI();
  if (gui == nullptr) return E_FAIL;
  gui->Clear();
  const int32_t previous = engine->LoadTexture(".\\base\\tex\\menu\\Prev1.tex");
  const int32_t previousRoll = engine->LoadTexture(".\\base\\tex\\menu\\Prev2.tex");
  const int32_t next = engine->LoadTexture(".\\base\\tex\\menu\\Next1.tex");
  const int32_t nextRoll = engine->LoadTexture(".\\base\\tex\\menu\\Next2.tex");
  gui->AddButton(0, 0, 100, 100, menus::GoToMainMenu, engine->LoadTexture(".\\base\\tex\\menu\\back.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\backroll.tex"));
  gui->AddButton(900, 0, 300, 100, LetsGo, engine->LoadTexture(".\\base\\tex\\menu\\LetsGo1.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\LetsGo2.tex"));
  gui->AddLabel(575, 175, kWhite, "Color");
  gui->AddButton(475, 120, 50, 75, PreviousSkin, previous, previousRoll);
  gui->AddButton(725, 125, 50, 75, NextSkin, next, nextRoll);
  gui->AddImage(75, 450, 200, 150, -1);
  gui->AddImage(75, 450, 200, 150, engine->LoadTexture(".\\base\\tex\\locked.tex"));
  gui->AddButton(75, 200, 50, 50, PreviousLevel, previous, previousRoll);
  gui->AddButton(225, 205, 50, 50, NextLevel, next, nextRoll);
  gui->AddLabel(145, 245, kWhite, "Map");
  gui->AddLabel(565, 100, kWhite, "Paddle");
  gui->AddButton(475, 45, 50, 75, PreviousPaddle, previous, previousRoll);
  gui->AddButton(725, 50, 50, 75, NextPaddle, next, nextRoll);

  gui->SetSoundsEnabled(game.soundEffects != 0);
  gui->GetImage(1)->SetHidden(true);
  NextLevel();
  gui->AddLabel(10, 175, kWhite, menus::DifficultyLabel(game.difficulty));

  char skin[256];
  game.catalog.ReadGameString(("Skin" + std::to_string(game.catalog.skinNumber)).c_str(), skin, sizeof skin);
  UseSkin(skin);

  engine->SetView(0, 0, -5, 0, 0, 10, 0, 1, 0, 1, 1000, std::numbers::pi_v<float> / 4, 1.25f);
  return 0;
}

HRESULT scene5::RestoreDeviceObjects() {
  if (preview) preview->Reload();
  return 0;
}

HRESULT scene5::InvalidateDeviceObjects() {
  if (preview) preview->Release();
  return 0;
}

HRESULT scene5::Render() {
  RallixGame& game = Game();
  if (music) menus::KeepMusic(*music);
  IDirect3DDevice9* device = engine->GetDevice();
  if (device != nullptr) device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  engine->Begin2D();
  if (aruFader* fader = engine->GetFader()) fader->Update();
  if (aruGUI* gui = engine->GetGUI()) gui->Draw(engine->ScaleX(game.guiSensitivity));
  if (device != nullptr) device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  engine->aruCamera::Apply();
  previewAngle += static_cast<float>(engine->GetFrameTime()) * std::numbers::pi_v<float> / 2;
  previewAngle = std::fmod(previewAngle, 2 * std::numbers::pi_v<float>);
  if (preview) {
    int32_t* textures = preview->GetTextures();
    for (uint32_t i = 0; textures != nullptr && i < preview->GetSubsetCount(); ++i) {
      textures[i] = game.playerSkinTexture;
    }
    engine->SetWorldTransform(PreviewMatrix(previewAngle));
    preview->Draw();
    aruMatrix identity;
    identity.Identity();
    engine->SetWorldTransform(identity);
  }
  engine->Begin2D();
  engine->aruConsole::Draw();
  return 0;
}

HRESULT scene5::Destroy() {
  previewMesh = nullptr;
  if (preview) preview->Release();
  preview.reset();
  if (music) music->Stop();
  music.reset();
  return 0;
}
