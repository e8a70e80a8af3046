// The results and credits scenes. Results: the time and figures of the match just played, the
// win or lose sound, replay, continue (after a win) and back. Credits: the list scrolls up at a
// tenth of the screen height per second and returns to the menu a second after it has passed.
#include "scenes/scene3.h"

#include <string>

#include "rallix_game.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "services/fader.h"
#include "services/gui.h"
#include "scenes/scene2.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr uint32_t kEscape = 1;
constexpr float kVirtualHeight = 1024;
constexpr uint32_t kCreditsLingerMs = 1000;

// The tick at which the credits had passed; 0 while they still scroll.
uint32_t creditsEnd = 0;

void StartMatch() {
  menus::ChangeTo(new scene2(g_engine));
}

void Replay() { StartMatch(); }

void Continue() {
  if (menus::AdvanceLevel(menus::Game())) {
    menus::GoToCredits();
  } else {
    StartMatch();
  }
}

}  // namespace

namespace menus {

HRESULT TextScene::RestoreDeviceObjects() { return font ? font->Restore() : 0; }

HRESULT TextScene::InvalidateDeviceObjects() {
  if (font) font->Invalidate();
  return 0;
}

HRESULT TextScene::Destroy() {
  if (music) music->Stop();
  music.reset();
  if (font) font->Release();
  font.reset();
  return 0;
}

void TextScene::CreateFontAndMusic() {
  font = std::make_unique<aruFont>(engine);
  if (FAILED(font->Create("Verdana", 50, false, false, false))) {
    engine->aruConsole::Printf(kRed, "Could not create the font Verdana");
  }
  music = std::make_unique<aruMP3>();
}

MatchTime SplitMatchTime(uint32_t milliseconds) { return {milliseconds / 60000u, milliseconds % 60000u / 1000u}; }

int32_t MatchResult(int32_t playerScore, int32_t goalsToWin) { return playerScore >= goalsToWin ? 1 : 2; }

const char* DifficultyName(int16_t difficulty) {
  switch (difficulty) {
    case 1: return "Easy";
    case 2: return "Medium";
    case 3: return "Hard";
    case 4: return "Impossible!";
    default: return "Hacked";
  }
}

bool AdvanceLevel(RallixGame& game) {
  if (game.currentLevel == game.catalog.levelCount) return true;
  game.currentLevel += 1;
  game.goalsToWin = 2 * game.currentLevel + 3;
  game.aiSpeed = game.ComputerSpeed(game.difficulty);
  return false;
}

CreditLook LookOfCreditLine(const char* line) {
  switch (line[0]) {
    case '+': return {kGreen, line + 1};
    case '-': return {kBlue, line + 1};
    case '=': return {kRed, line + 1};
    default: return {kWhite, line};
  }
}

std::vector<const char*> CreditLines() {
  struct Section {
    const char* heading;
    std::vector<const char*> names;
  };
  const Section sections[] = {
      {"+Programming", {"Ilse Varnholt", "Tomasz Brenn"}},
      {"+Sound Effects", {"Odile Marrow"}},
      {"+Voices", {"Kasimir Dunlo", "Ilse Varnholt"}},
      {"+Music", {"The Gravel Hours"}},
      {"+2D Artwork", {"Perpetua Gisk"}},
      {"+3D Models", {"Tomasz Brenn"}},
      {"+Level Design", {"Perpetua Gisk", "Odile Marrow"}},
      {"+Special Thanks", {"Everyone who tested the early builds", "Our families, for their patience"}},
  };
  std::vector<const char*> lines = {"-Credits", "", ""};
  for (const Section& section : sections) {
    lines.push_back(section.heading);
    lines.insert(lines.end(), section.names.begin(), section.names.end());
    lines.insert(lines.end(), 2, "");
  }
  lines.insert(lines.end(), 3, "");  // five gaps after the last section in all
  lines.insert(lines.end(), {"=Quillmark Rallix", "Made with care, one rally at a time.",
                             "-See you on the next level.", "", "", "Thanks for Playing!"});
  return lines;
}

}  // namespace menus

HRESULT scene3::Initialize() {
  RallixGame& game = menus::Game();
  matchTime = GetTickCount() - game.serveTime;
  const menus::MatchTime split = menus::SplitMatchTime(matchTime);
  minutes = split.minutes;
  seconds = split.seconds;

  if (aruFader* fader = engine->GetFader()) {
    fader->SetColour(255, 255, 255);
    fader->SetCovered();
    fader->SetTexture(engine->LoadTexture(".\\base\\tex\\menu\\match.tex"));
  }
  CreateFontAndMusic();
  if (FAILED(menus::BindFullScreenKey())) return E_FAIL;
  aruGUI* gui = engine->GetGUI();
  if (gui == nullptr) return E_FAIL;
  gui->Clear();
  gui->AddButton(0, 0, 100, 100, menus::GoToMainMenu, engine->LoadTexture(".\\base\\tex\\menu\\back.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\backroll.tex"));
  gui->AddButton(200, 100, 400, 125, Replay, engine->LoadTexture(".\\base\\tex\\menu\\replay.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\replayroll.tex"));
  gui->AddButton(650, 100, 400, 125, Continue, engine->LoadTexture(".\\base\\tex\\menu\\continue.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\continueroll.tex"));
  gui->SetSoundsEnabled(game.soundEffects != 0);

  result = menus::MatchResult(game.playerScore, game.goalsToWin);
  if (result == 2) {
    gui->GetButton(2)->SetHidden(true);
  } else {
    game.catalog.RecordWin(game.currentLevel, game.difficulty);
  }
  const std::string sound = game.catalog.ResultSoundPath(result == 1, game.opponentScore > 0, game.currentLevel);
  if (game.soundEffects != 0 && !sound.empty()) {
    if (FAILED(music->Load(sound.c_str())) || FAILED(music->Play())) {
      game.aruConsole::Printf(kRed, "Could not play the result sound %s", sound.c_str());
    }
  }
  difficultyName = menus::DifficultyName(game.difficulty);
  return 0;
}

HRESULT scene3::Render() {
  RallixGame& game = menus::Game();
  engine->Begin2D();
  if (aruFader* fader = engine->GetFader()) fader->Update();
  RECT extent;
  font->DrawTextf(&extent, 500, 850, result == 1 ? kGreen : kRed, "You %s!", result == 1 ? "Win" : "Lose");
  font->DrawTextf(&extent, 25, 770, kWhite, "Level %d  Difficulty: %s", game.currentLevel, difficultyName);
  font->DrawTextf(&extent, 25, 700, kWhite, "Match Time: %um %us", minutes, seconds);
  font->DrawTextf(&extent, 25, 630, kWhite, "%s's Score: %d", game.playerName, game.playerScore);
  font->DrawTextf(&extent, 25, 560, kWhite, "%s's Score: %d", game.opponentName, game.opponentScore);
  font->DrawTextf(&extent, 25, 390, kWhite, "Highest Volley: %u", game.highestVolley);
  font->DrawTextf(&extent, 25, 320, kWhite, "Number of Power Shots: %d", game.powerShots);
  if (aruGUI* gui = engine->GetGUI()) gui->Draw(engine->ScaleX(game.guiSensitivity));
  engine->aruConsole::Draw();
  return 0;
}

HRESULT scene4::Initialize() {
  scroll = -1.0f;
  creditsEnd = 0;
  if (FAILED(engine->BindKey(kEscape, menus::GoToMainMenu, 100)) || FAILED(menus::BindFullScreenKey())) {
    return E_FAIL;
  }
  if (aruGUI* gui = engine->GetGUI()) gui->Clear();
  if (aruFader* fader = engine->GetFader()) {
    fader->SetColour(255, 255, 255);
    fader->SetCovered();
    fader->SetDuration(1);
    fader->SetTexture(engine->LoadTexture(".\\base\\tex\\credback.tex"));
  }
  CreateFontAndMusic();
  menus::StartMusic(*music, ".\\base\\sfx\\credits.sfx");
  lines = menus::CreditLines();
  return 0;
}

HRESULT scene4::Render() {
  engine->Begin2D();
  aruFader* fader = engine->GetFader();
  if (fader != nullptr) fader->Update();
  if (music) menus::KeepMusic(*music);
  scroll += static_cast<float>(engine->GetFrameTime()) * engine->FractionY(0.1f);
  RECT extent;
  const float bottomLimit = font->LineHeight(2) + kVirtualHeight;
  for (size_t i = 0; i < lines.size(); ++i) {
    const float y = scroll - font->LineHeight(1.3f * static_cast<float>(i));
    if (y < 0 || y > bottomLimit || lines[i][0] == '\0') continue;
    const menus::CreditLook look = menus::LookOfCreditLine(lines[i]);
    font->DrawText(&extent, 40, y, look.colour, look.text);
  }
  engine->aruConsole::Draw();
  if (scroll - font->LineHeight(1.3f * static_cast<float>(lines.size())) > kVirtualHeight) {
    const uint32_t now = GetTickCount();
    if (creditsEnd == 0) {
      creditsEnd = now != 0 ? now : 1;
      if (fader != nullptr) fader->Reveal();
    } else if (now - creditsEnd >= kCreditsLingerMs && !engine->IsSceneChangePending()) {
      menus::GoToMainMenu();
    }
  }
  return 0;
}
