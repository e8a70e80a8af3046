// The two set-up screens of a network match. Their boxes live in the GUI; only the port, the
// host and the password are kept, in the game object, when a button is pressed.
#include "scenes/scene6.h"

#include <cstdio>

#include "multiplayer/aru_winsock.h"
#include "multiplayer/dp_server.h"
#include "rallix_game.h"
#include "scenes/net_setup.h"
#include "scenes/scene1.h"
#include "services/fader.h"
#include "services/gui.h"

namespace {

constexpr D3DCOLOR white = 0xFFFFFFFF;

RallixGame& Game() { return *static_cast<RallixGame*>(g_engine); }

void BackToMenu() { g_engine->ChangeScene(new scene1(g_engine)); }
void CreateGameButton() { netsetup::CreateGame(Game(), *g_engine->GetGUI()); }
void ConnectButton() { netsetup::JoinGame(Game(), *g_engine->GetGUI()); }

void AddBackButton(ARU& engine, aruGUI& gui) {
  gui.AddButton(0, 0, 100, 100, BackToMenu, engine.LoadTexture(".\\base\\tex\\menu\\back.tex"),
                engine.LoadTexture(".\\base\\tex\\menu\\backroll.tex"));
}

void CoverWith(ARU& engine, const char* picture) {
  aruFader* fader = engine.GetFader();
  if (fader == nullptr) return;
  fader->SetDuration(1.0f);
  fader->SetCovered();
  fader->SetColour(255, 255, 255);
  fader->SetTexture(engine.LoadTexture(picture));
}

std::unique_ptr<aruMP3> StartSetupMusic() {
  auto music = std::make_unique<aruMP3>();
  menus::StartMusic(*music, ".\\base\\sfx\\inter.sfx");
  return music;
}

void PortText(char (&text)[16], int32_t port) { std::snprintf(text, sizeof text, "%d", port); }

// The frame of both screens: camera, fader, music, GUI and console.
void RenderSetup(ARU& engine, aruMP3* music) {
  RallixGame& game = Game();
  engine.Apply();
  engine.Begin2D();
  if (aruFader* fader = engine.GetFader()) fader->Update();
  if (music != nullptr) menus::KeepMusic(*music);
  if (aruGUI* gui = engine.GetGUI()) gui->Draw(engine.ScaleX(game.guiSensitivity));
  engine.aruConsole::Draw();
}

}  // namespace

HRESULT scene6::Initialize() {
  RallixGame& game = Game();
  game.serverPlayerId = noPlayerId;
  game.clientPlayerId = noPlayerId;
  CoverWith(*engine, ".\\base\\tex\\menu\\serveback.tex");
  music = StartSetupMusic();
  aruGUI* gui = engine->GetGUI();
  if (gui == nullptr) return 0;
  gui->Clear();
  AddBackButton(*engine, *gui);
  gui->SetSoundsEnabled(game.soundEffects != 0);
  gui->AddLabel(100, 540, white, "Server Name Here");
  gui->AddLabel(100, 470, white, "Server Port:");
  gui->AddTextBox(360, 465, 5);
  gui->AddLabel(100, 405, white, "Password:");
  gui->AddTextBox(360, 400, 15);
  gui->AddButton(880, 0, 400, 100, CreateGameButton,
                 engine->LoadTexture(".\\base\\tex\\menu\\creategame.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\creategameroll.tex"));
  game.SetShowRecent(true);

  gui->GetLabel(0)->SetText(netsetup::AddressLine(LookUpOwnAddress()).c_str());
  char port[16];
  PortText(port, game.port);
  gui->GetTextBox(0)->SetText(port);
  return 0;
}

HRESULT scene6::Render() {
  RenderSetup(*engine, music.get());
  return 0;
}

HRESULT scene6::Destroy() {
  RallixGame& game = Game();
  game.SetShowRecent(false);
  if (game.server != nullptr) {
    game.server->Release();
    game.server.reset();
  }
  if (music) music->Stop();
  music.reset();
  return 0;
}

HRESULT scene7::Initialize() {
  RallixGame& game = Game();
  game.connectionLost = 0;
  aruGUI* gui = engine->GetGUI();
  if (gui != nullptr) {
    gui->Clear();
    AddBackButton(*engine, *gui);
  }
  music = StartSetupMusic();
  CoverWith(*engine, ".\\base\\tex\\menu\\clientback.tex");
  if (gui == nullptr) return 0;
  gui->SetSoundsEnabled(game.soundEffects != 0);
  gui->AddLabel(100, 540, white, "Server Host:");
  gui->AddTextBox(360, 530, 25);
  gui->AddLabel(100, 470, white, "Server Port:");
  gui->AddTextBox(360, 465, 5);
  gui->AddLabel(100, 405, white, "Password:");
  gui->AddTextBox(360, 400, 15);
  gui->AddButton(950, 0, 300, 100, ConnectButton, engine->LoadTexture(".\\base\\tex\\menu\\connect.tex"),
                 engine->LoadTexture(".\\base\\tex\\menu\\connectroll.tex"));
  game.SetShowRecent(true);
  gui->GetTextBox(0)->SetText(game.serverHost);
  char port[16];
  PortText(port, game.port);
  gui->GetTextBox(1)->SetText(port);
  if (game.serverHost[0] == '\0') {
    lanSearch = std::make_unique<LanSearch>();
    lanSearchStart = GetTickCount();
    if (!lanSearch->Start(game.port)) lanSearch.reset();
  }
  return 0;
}

void scene7::PollLanSearch() {
  if (lanSearch == nullptr) return;
  lanSearch->Poll();
  aruTextBox* hostBox = engine->GetGUI() != nullptr ? engine->GetGUI()->GetTextBox(0) : nullptr;
  if (!lanSearch->Hosts().empty() && hostBox != nullptr) {
    const LanHost& found = lanSearch->Hosts().front();
    // A host typed meanwhile is the player's choice and stays.
    if (hostBox->GetText()[0] == '\0') {
      hostBox->SetText(found.address.c_str());
      engine->aruConsole::Printf(white, "Found a game on the local network: %s (%s, port %d).",
                                 found.address.c_str(), found.name.c_str(), found.port);
    }
    lanSearch.reset();
  } else if (GetTickCount() - lanSearchStart >= lanWaitMs) {
    lanSearch.reset();
  }
}

HRESULT scene7::Render() {
  PollLanSearch();
  RenderSetup(*engine, music.get());
  return 0;
}

HRESULT scene7::Destroy() {
  lanSearch.reset();
  if (music) music->Stop();
  music.reset();
  return 0;
}
