// The shared frame of the two network match scenes. The network handlers change the match
// state on the transport's thread under netLock; each frame takes netLock twice, briefly: once
// to move the paddles and the ball and copy the positions to draw, once around the HUD, the
// fader and the GUI (whose widgets and fader the handlers also change). The 3-D drawing and the
// console (which has its own lock) run without it.
#include "scenes/net_match_scene.h"

#include <d3d9.h>

#include <cstring>
#include <numbers>

#include "core/sound.h"
#include "multiplayer/dp_client.h"
#include "multiplayer/dp_server.h"
#include "multiplayer/net_lock.h"
#include "rallix_game.h"
#include "scenes/scene2.h"
#include "scenes/scene_draw.h"
#include "services/fader.h"
#include "services/font.h"
#include "services/gui.h"
#include "services/mesh.h"
#include "services/vb.h"

using namespace scenedraw;

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float standingsX = 900.0f;
constexpr float standingsTop = 900.0f;
constexpr D3DCOLOR headingColour = 0xFF00FF00;
constexpr D3DCOLOR white = 0xFFFFFFFF;
constexpr const char* colourTextures[2] = {"./base/tex/Color1.tex", "./base/tex/Color2.tex"};
constexpr const char* soundFiles[5] = {"./base/sfx/paddle1.sfx", "./base/sfx/paddle2.sfx",
                                       "./base/sfx/score.sfx", "./base/sfx/wall.sfx",
                                       "./base/sfx/power.sfx"};

}  // namespace

NetMatchScene::NetMatchScene(ARU* engine, bool hostSide)
    : aruScene(engine), game(static_cast<RallixGame*>(engine)), host(hostSide) {}

void NetMatchScene::InitializeShared() {
  game->playerWins = 0;
  game->opponentWins = 0;
  LoadMeshes();
  game->matchRunning = 0;
  if (aruGUI* gui = game->GetGUI()) {
    gui->Clear();
    gui->AddTextBox(0, 40, 64);
    gui->ClickAt(game->ScaleX(650), game->ScaleY(2));
    AddSideWidgets();
    gui->SetSoundsEnabled(game->soundEffects != 0);
  }
  if (aruFader* fader = game->GetFader()) {
    fader->SetColour(255, 255, 255);
    fader->SetDuration(1.0f);
    fader->SetCovered();
    fader->SetTexture(game->LoadTexture(host ? ".\\base\\tex\\menu\\serveback.tex"
                                             : ".\\base\\tex\\menu\\clientback.tex"));
  }
  // The host always wears Color1 and the joining side Color2, on both screens.
  ownColour = game->LoadTexture(colourTextures[host ? 0 : 1]);
  opponentColour = game->LoadTexture(colourTextures[host ? 1 : 0]);
  Reskin(game, ownMesh, ownColour, true);
  Reskin(game, opponentMesh, opponentColour, true);

  arena = new aruVB(game);
  arena->SetPrimitiveType(D3DPT_TRIANGLESTRIP);
  scenedraw::BuildArena(game, arena);
  arenaOpaque = IsOpaqueTexture(game, arena->SetTexture(game->LoadTexture("./base/tex/map10.tex")));

  game->ball.position = aruVector3();
  game->ball.texture = game->LoadTexture("./base/tex/mpball.tex");
  ballMesh = new aruCMesh(game);
  ballMesh->CreateSphere(PlayBall::radius, PlayBall::sphereSlices, PlayBall::sphereStacks,
                         game->ball.texture, true);
  font = new aruFont(game);
  font->Create("Verdana", 30, false, false, false);
  CreateSounds();
  for (int i = 0; i < splatCount; ++i) {
    Splat(game, i)->texture = game->LoadTexture(splatTextures[i]);
    splatQuads[i] = new aruVB(game);
    splatQuads[i]->SetTexture(Splat(game, i)->texture);
  }
  scenedraw::BuildSplatQuads(game, splatQuads);
  game->SetView(0.0f, 0.0f, -19.2f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1000.0f, pi / 4.0f,
                1.25f);
}

void NetMatchScene::InitializeMatchState() {
  static std::mt19937 coin(GetTickCount());
  game->ball.position = aruVector3();
  game->ball.velocity = aruVector3();
  game->awaitingServe = 0;
  game->paused = 0;
  game->towardOpponent = std::uniform_int_distribution<int>(2, 100)(coin) % 2 == 0 ? 1 : 0;
  game->playerPaddle = aruVector3(0.0f, 0.0f, RallixMatch::playerEndZ);
  game->opponentPaddle = aruVector3(0.0f, 0.0f, RallixMatch::opponentEndZ);
  game->opponentStep = aruVector3();
  game->playerScore = 0;
  game->opponentScore = 0;
  game->volley = 0;
  game->highestVolley = 0;
  game->powerShots = 0;
  game->aiTarget = aruVector3();
  game->playerTarget = aruVector3();
}

void NetMatchScene::LoadMeshes() {
  for (aruCMesh** mesh : {&ownMesh, &opponentMesh}) {
    *mesh = new aruCMesh(game);
    (*mesh)->LoadX(".\\base\\mdl\\paddle.x", textureFolder);
    ScaleMesh(*mesh);
  }
}

void NetMatchScene::CreateSounds() {
  aruSound** sounds[5] = {&game->pingSound, &game->pongSound, &game->scoreSound, &game->wallSound,
                          &game->powerSound};
  for (int i = 0; i < 5; ++i) {
    *sounds[i] = new aruSound(game, game->sound3D);
    if (game->soundEffects) (*sounds[i])->Load(soundFiles[i]);
  }
}

HRESULT NetMatchScene::RestoreDeviceObjects() {
  scenedraw::BuildArena(game, arena);
  scenedraw::BuildSplatQuads(game, splatQuads);
  RestoreMesh(game, ballMesh, game->ball.texture, false);
  RestoreMesh(game, ownMesh, ownColour, true);
  RestoreMesh(game, opponentMesh, opponentColour, true);
  if (font != nullptr) font->Restore();
  return 0;
}

HRESULT NetMatchScene::InvalidateDeviceObjects() {
  if (font != nullptr) font->Invalidate();
  if (arena != nullptr) arena->Release();
  for (aruVB* quad : splatQuads) {
    if (quad != nullptr) quad->Release();
  }
  for (aruCMesh* mesh : {ballMesh, ownMesh, opponentMesh}) {
    if (mesh != nullptr) mesh->Release();
  }
  return 0;
}

uint64_t NetMatchScene::UpdatePing() {
  DPN_CONNECTION_INFO info{};
  HRESULT result = E_FAIL;
  if (host && game->server != nullptr) {
    result = game->server->GetConnectionInfo(game->clientPlayerId, &info);
  } else if (!host && game->client != nullptr) {
    result = game->client->GetConnectionInfo(&info);
  }
  game->ping = SUCCEEDED(result) ? static_cast<float>(info.dwRoundTripLatencyMS) : 0.0f;
  return uint64_t(info.dwBytesSentGuaranteed) + info.dwBytesSentNonGuaranteed;
}

NetMatchScene::Picture NetMatchScene::StepFrame(const FrameInput& frame) {
  NetLockGuard guard(game->netLock);
  const uint64_t bytesSent = UpdatePing();
  StepSide(frame);
  report.Frame(*game, host, bytesSent);
  Picture picture{game->playerPaddle, game->opponentPaddle, game->ball.position};
  return picture;
}

// Splats by index (goal 0, hit 1, side 2, floor 3, power 4); the floor and side ones turned
// onto their walls when `turned`.
void NetMatchScene::DrawSplats(uint32_t now, const int* order, int count, bool turned) {
  for (int k = 0; k < count; ++k) {
    const int index = order[k];
    const GoalSplat* splat = Splat(game, index);
    if (!splat->IsVisible(now)) continue;
    const float growth = splat->Growth(now);
    aruMatrix world;
    world.Identity();
    world.Scale(growth, growth, 1.0f);
    if (turned) {
      float turn[16];
      if (index == 3) RotationX(pi / 2.0f, turn);
      else RotationY(pi / 2.0f, turn);
      world.Multiply(turn);
    }
    world.Translate(splat->centre.x, splat->centre.y, splat->centre.z);
    game->SetWorldTransform(world);
    splatQuads[index]->Draw();
  }
}

void NetMatchScene::DrawFrame(const Picture& picture, uint32_t now) {
  static constexpr int wallSplats[2] = {3, 2};
  static constexpr int facingSplats[3] = {0, 4, 1};
  SetMatchCamera(game);
  scenedraw::DrawArena(game, arena, arenaOpaque);
  float farTurn[16];
  RotationY(pi, farTurn);
  const aruVector3& farPaddle = picture.opponentPaddle;
  scenedraw::DrawMeshAt(game, opponentMesh, farTurn, farPaddle.x, farPaddle.y, farPaddle.z);
  game->SetCullMode(D3DCULL_NONE);
  DrawSplats(now, wallSplats, 2, true);
  game->SetCullMode(D3DCULL_CCW);
  DrawSpinningBall(game, ballMesh, picture.ball);
  const aruVector3& nearPaddle = picture.playerPaddle;
  scenedraw::DrawMeshAt(game, ownMesh, nullptr, nearPaddle.x, nearPaddle.y, nearPaddle.z);
  aruMatrix identity;
  identity.Identity();
  game->SetWorldTransform(identity);
  game->GetDevice()->SetRenderState(D3DRS_LIGHTING, TRUE);
  DrawSplats(now, facingSplats, 3, false);
  game->Apply();
}

void NetMatchScene::DrawOverlay() {
  NetLockGuard guard(game->netLock);
  game->Begin2D();
  font->DrawTextf(nullptr, 0.0f, font->LineHeight(3.0f), white, "%s's Score: %d", game->opponentName,
                  game->opponentScore);
  font->DrawTextf(nullptr, 0.0f, font->LineHeight(4.5f), white, "%s's Score: %d", game->playerName,
                  game->playerScore);
  if (aruFader* fader = game->GetFader()) fader->Update();
  DrawSideHUD();
}

HRESULT NetMatchScene::Render() {
  const FrameInput frame = game->MakeFrameInput();
  const Picture picture = StepFrame(frame);
  DrawFrame(picture, frame.tickMs);
  DrawOverlay();
  game->aruConsole::Draw();
  NetLockGuard guard(game->netLock);
  CheckSideEnd();
  return 0;
}

void NetMatchScene::DrawStandings(aruFont& standingsFont) {
  const float h = standingsFont.LineHeight(1.3f);
  standingsFont.DrawText(nullptr, standingsX, standingsTop, headingColour, "Match Standings");
  standingsFont.DrawTextf(nullptr, standingsX, standingsTop - h, white, "%s: %d", game->playerName,
                          game->playerWins);
  standingsFont.DrawTextf(nullptr, standingsX, standingsTop - 2 * h, white, "%s: %d",
                          game->opponentName, game->opponentWins);
  standingsFont.DrawText(nullptr, standingsX, standingsTop - 4 * h, headingColour, "Last Match");
  standingsFont.DrawTextf(nullptr, standingsX, standingsTop - 5 * h, white, "%s: %d", game->playerName,
                          game->playerScore);
  standingsFont.DrawTextf(nullptr, standingsX, standingsTop - 6 * h, white, "%s: %d",
                          game->opponentName, game->opponentScore);
}

HRESULT NetMatchScene::Destroy() {
  if (game->server != nullptr) game->server->Close();
  if (game->client != nullptr) game->client->Close();
  DeleteAndClear(arena);
  for (aruVB*& quad : splatQuads) DeleteAndClear(quad);
  DeleteAndClear(ballMesh);
  DeleteAndClear(ownMesh);
  DeleteAndClear(opponentMesh);
  DeleteAndClear(font);
  DeleteAndClear(game->wallSound);
  DeleteAndClear(game->pingSound);
  DeleteAndClear(game->pongSound);
  DeleteAndClear(game->scoreSound);
  DeleteAndClear(game->powerSound);
  if (game->server != nullptr) {
    game->server->Release();
    game->server.reset();
  }
  if (game->client != nullptr) {
    game->client->Release();
    game->client.reset();
  }
  game->output.served = nullptr;
  game->SetShowRecent(false);
  return 0;
}
