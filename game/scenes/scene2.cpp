// The single-player match scene: loads the level's look, builds the arena, paddles, ball,
// crosshair, splats and sounds, binds the match keys, and each frame moves the paddles, sets the
// camera, draws the arena and the HUD and steps the ball until a side has won.
#include "scenes/scene2.h"

#include <d3d9.h>
#include <dinput.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "commands.h"
#include "core/ini_file.h"
#include "core/sound.h"
#include "rallix_game.h"
#include "services/font.h"
#include "services/gui.h"
#include "services/mesh.h"
#include "services/vb.h"

#include "scenes/scene1.h"
#include "scenes/scene_draw.h"
#include "scenes/scene3.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// The crosshair's turn, shared by every match.
float crosshairAngle = 0.0f;

RallixGame* Game() { return static_cast<RallixGame*>(g_engine); }

// The match keys.
void ServeKey() {
  RallixGame* game = Game();
  game->Serve(GetTickCount());
}
void EscapeKey() {
  g_engine->ChangeScene(new scene1(g_engine));
}
void FullScreenKey() {
  Game()->paused = 1;
  g_engine->ToggleFullScreen();
}
void PauseKey() { Game()->paused = Game()->paused ? 0 : 1; }
void ScreenShotKey() {
  RallixGame* game = Game();
  game->paused = 1;
  if (game->screenshotSound != nullptr) game->screenshotSound->Play(false);
  game->ScreenShot();
}
void CameraKey() { CycleCameraAndPrint(*Game()); }


}  // namespace

using namespace scenedraw;

scene2::scene2(ARU* engine) : aruScene(engine), game(static_cast<RallixGame*>(engine)) {}

void scene2::MakeArenaVertices(const float scale[3], aruNVertex out[20]) {
  const float x = 3.0f * scale[0], y = 3.0f * scale[1], z = 3.0f * scale[2];
  const D3DCOLOR white = 0xFFFFFFFF;
  // Far end: the right half of the map.
  out[0] = {-x, y, z, 0, 0, -1, white, 0.5f, 0};
  out[1] = {x, y, z, 0, 0, -1, white, 1, 0};
  out[2] = {-x, -y, z, 0, 0, -1, white, 0.5f, 1};
  out[3] = {x, -y, z, 0, 0, -1, white, 1, 1};
  // The long faces: the left half, u from 0 at the near end to 0.5 at the far end.
  struct Face {
    float ax, ay, bx, by;  // the two long edges, across the face
    float nx, ny;          // normal, into the box
  };
  const Face faces[4] = {
      {-x, -y, x, -y, 0, 1},   // floor
      {-x, y, x, y, 0, -1},    // ceiling
      {-x, y, -x, -y, 1, 0},   // left
      {x, y, x, -y, -1, 0}};   // right
  for (int f = 0; f < 4; ++f) {
    aruNVertex* v = out + 4 + 4 * f;
    const Face& face = faces[f];
    v[0] = {face.ax, face.ay, -z, face.nx, face.ny, 0, white, 0, 0};
    v[1] = {face.ax, face.ay, z, face.nx, face.ny, 0, white, 0.5f, 0};
    v[2] = {face.bx, face.by, -z, face.nx, face.ny, 0, white, 0, 1};
    v[3] = {face.bx, face.by, z, face.nx, face.ny, 0, white, 0.5f, 1};
  }
}

HRESULT scene2::Initialize() {
  if (aruGUI* gui = game->GetGUI()) {
    gui->Clear();
    gui->SetSoundsEnabled(game->soundEffects != 0);
  }
  LoadLevelLook();
  font = new aruFont(game);
  font->Create("Verdana", 26, false, false, false);
  CreateSounds();
  for (int i = 0; i < splatCount; ++i) {
    Splat(game, i)->texture = game->LoadTexture(splatTextures[i]);
    splatQuads[i] = new aruVB(game);
    splatQuads[i]->SetTexture(Splat(game, i)->texture);
  }
  scenedraw::BuildSplatQuads(game, splatQuads);
  PlaceListener();
  if (FAILED(BindMatchKeys())) return E_FAIL;

  game->StartMatch();
  startTick = GetTickCount();
  Announce();
  game->SetShowRecent(true);

  const size_t reserve = attractMode.bench ? size_t(1) << 20 : 0;
  frameTimes.Reserve(reserve);
  logicTimes.Reserve(reserve);
  return 0;
}

void scene2::LoadLevelLook() {
  const LevelCatalog& catalog = game->catalog;
  char value[1024];
  const int32_t level = game->currentLevel;

  playerMesh = new aruCMesh(game);
  playerMesh->LoadX(catalog.paddleModelPath.c_str(), textureFolder);
  ScaleMesh(playerMesh);
  opponentMesh = new aruCMesh(game);
  catalog.ReadLevelString(level, "Paddle", value, sizeof value, "");
  opponentMesh->LoadX(value, textureFolder);
  ScaleMesh(opponentMesh);
  catalog.ReadLevelString(level, "Opp", value, sizeof value, "");
  game->opponentSkinTexture = game->LoadTexture(value);
  // A match entered without the pick screen (attract mode, "jumpto") still wears the saved skin.
  if (game->playerSkinTexture < 0) {
    char key[32];
    std::snprintf(key, sizeof key, "Skin%d", catalog.skinNumber);
    if (catalog.ReadGameString(key, value, sizeof value)) {
      game->playerSkinTexture = game->LoadTexture(value);
    }
  }
  Reskin(game, playerMesh, game->playerSkinTexture, true);
  Reskin(game, opponentMesh, game->opponentSkinTexture, true);

  arena = new aruVB(game);
  arena->SetPrimitiveType(D3DPT_TRIANGLESTRIP);
  crosshair = new aruVB(game);
  crosshair->SetPrimitiveType(D3DPT_TRIANGLESTRIP);
  crosshairShown = level == 1 || game->showCrosshair;
  catalog.ReadLevelString(level, "map", value, sizeof value, "");
  arenaTexture = arena->SetTexture(game->LoadTexture(value));
  arenaOpaque = IsOpaqueTexture(game, arenaTexture);
  if (crosshairShown) crosshair->SetTexture(game->LoadTexture(".\\base\\tex\\crosshair.tex"));
  scenedraw::BuildArena(game, arena);
  BuildCrosshair();

  catalog.ReadLevelString(level, "ball", value, sizeof value, "");
  game->ball.position.Set(0.0f, 0.0f, 0.0f);
  game->ball.texture = game->LoadTexture(value);
  ballMesh = new aruCMesh(game);
  ballMesh->CreateSphere(PlayBall::radius, PlayBall::sphereSlices, PlayBall::sphereStacks,
                         game->ball.texture, true);
}

void scene2::CreateSounds() {
  aruSound** sounds[matchSoundCount] = {&game->pingSound,  &game->pongSound,
                                        &game->scoreSound, &game->wallSound,
                                        &game->powerSound, &game->screenshotSound};
  static constexpr const char* keys[matchSoundCount] = {"PingSound", "PongSound", "ScoreSound",
                                                        "WallSound", "PowerSound", "ScreenShot"};
  for (int i = 0; i < matchSoundCount; ++i) {
    const bool use3D = game->sound3D && i < matchSoundCount - 1;
    *sounds[i] = new aruSound(game, use3D);
    if (!game->soundEffects) continue;
    char path[1024];
    if (game->catalog.ReadGameString(keys[i], path, sizeof path)) (*sounds[i])->Load(path);
  }
  const aruVector3* places[5] = {&game->playerPaddle, &game->opponentPaddle, &game->ball.position,
                                 &game->ball.position, &game->ball.position};
  for (int i = 0; i < 5; ++i) {
    if (IDirectSound3DBuffer8* buffer = (*sounds[i])->Get3DBuffer()) {
      buffer->SetPosition(places[i]->x, places[i]->y, places[i]->z, DS3D_IMMEDIATE);
    }
  }
}

void scene2::PlaceListener() {
  aruAudio* audio = game->GetAudio();
  IDirectSound3DListener* listener = audio != nullptr ? audio->GetListener() : nullptr;
  if (listener == nullptr) return;
  game->DirectSoundResult(listener->SetDistanceFactor(1.0f, DS3D_DEFERRED));
  game->DirectSoundResult(listener->SetRolloffFactor(0.2f, DS3D_DEFERRED));
  game->DirectSoundResult(listener->SetPosition(0.0f, 0.0f, -250.0f, DS3D_DEFERRED));
  game->DirectSoundResult(
      listener->SetOrientation(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, DS3D_DEFERRED));
  game->DirectSoundResult(listener->SetVelocity(0.0f, 0.0f, 0.0f, DS3D_DEFERRED));
  game->DirectSoundResult(listener->CommitDeferredSettings());
}

HRESULT scene2::BindMatchKeys() {
  if (FAILED(game->BindMouseButton(0, ServeKey, 0))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_ESCAPE, EscapeKey, 100))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_F10, FullScreenKey, 1000))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_SPACE, PauseKey, 200))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_S, ScreenShotKey, 2000))) return E_FAIL;
  game->BindKey(DIK_C, CameraKey, 1000);
  return 0;
}

void scene2::Announce() {
  char name[1024];
  game->catalog.ReadLevelString(game->currentLevel, "Name", name, sizeof name, "");
  game->aruConsole::Printf(0xFF00FF00, "Level %d: %s", game->currentLevel, name);
  game->aruConsole::Printf(0xFFFFFFFF, "%d goals wins it. May the best paddle win!",
                           game->goalsToWin);
  game->catalog.ReadLevelString(game->currentLevel, "opn", game->opponentName, 255, "CPU");
  if (!game->towardOpponent) {
    game->aruConsole::Printf(0xFF0000FF, "You serve %s. Click when ready!", game->playerName);
  } else {
    game->aruConsole::Printf(0xFFFF0000, "%s serves. Click when ready!", game->opponentName);
  }
}

void scene2::BuildCrosshair() {
  if (crosshair == nullptr || !crosshairShown) return;
  aruNVertex vertices[4];
  MakeSquare(0.5f, game->Is32Bit() ? 0xFFFFFFFF : 0xAAFFFFFF, vertices);
  crosshair->Create(4, 2, vertices);
}

HRESULT scene2::RestoreDeviceObjects() {
  scenedraw::BuildArena(game, arena);
  BuildCrosshair();
  scenedraw::BuildSplatQuads(game, splatQuads);
  RestoreMesh(game, ballMesh, game->ball.texture, false);
  RestoreMesh(game, playerMesh, game->playerSkinTexture, true);
  RestoreMesh(game, opponentMesh, game->opponentSkinTexture, true);
  if (font != nullptr) font->Restore();
  return 0;
}

HRESULT scene2::InvalidateDeviceObjects() {
  for (aruVB* quad : {crosshair, arena}) {
    if (quad != nullptr) quad->Release();
  }
  for (aruVB* quad : splatQuads) {
    if (quad != nullptr) quad->Release();
  }
  for (aruCMesh* mesh : {ballMesh, playerMesh, opponentMesh}) {
    if (mesh != nullptr) mesh->Release();
  }
  if (font != nullptr) font->Invalidate();
  return 0;
}

void scene2::DrawCrosshair(float dt) {
  const aruVector3& velocity = game->ball.velocity;
  if (!game->towardOpponent && !velocity.IsZero() && !game->playerTarget.IsZero()) {
    float turn[16];
    RotationZ(crosshairAngle, turn);
    aruMatrix world;
    world.Identity();
    world.Multiply(turn);
    world.Translate(game->playerTarget.x, game->playerTarget.y, game->playerTarget.z);
    game->SetWorldTransform(world);
    crosshair->Draw();
  }
  crosshairAngle += dt * 3.24f;
  if (crosshairAngle >= 6.28f) crosshairAngle = 0.0f;
}

void scene2::DrawSplats(uint32_t now) {
  // goal, power and hit face the player; the floor and side splats are turned onto their walls.
  static constexpr int flatOrder[3] = {0, 4, 1};
  float rotation[16];
  auto draw = [&](int index, const float* turn) {
    const GoalSplat* splat = Splat(game, index);
    if (!splat->IsVisible(now)) return;
    const float growth = splat->Growth(now);
    aruMatrix world;
    world.Identity();
    world.Scale(growth, growth, 1.0f);
    if (turn != nullptr) world.Multiply(turn);
    world.Translate(splat->centre.x, splat->centre.y, splat->centre.z);
    game->SetWorldTransform(world);
    splatQuads[index]->Draw();
  };
  for (int index : flatOrder) draw(index, nullptr);
  game->SetCullMode(D3DCULL_NONE);
  RotationX(kPi / 2.0f, rotation);
  draw(3, rotation);
  RotationY(kPi / 2.0f, rotation);
  draw(2, rotation);
  game->SetCullMode(D3DCULL_CCW);
}

void scene2::DrawHUD() {
  if (game->showText) {
    font->DrawTextf(nullptr, 0.0f, font->LineHeight(2.75f), 0xFFFFFFFF, "%s's Score: %d",
                    game->playerName, game->playerScore);
    font->DrawTextf(nullptr, 0.0f, font->LineHeight(1.75f), 0xFFFFFFFF, "%s's Score: %d",
                    game->opponentName, game->opponentScore);
    if (game->GetShowFPS() || debugMode != 0) {
      font->DrawTextf(nullptr, 0.0f, font->LineHeight(3.75f), 0xFFFFFFFF, "FPS: %3.1f",
                      game->GetFPS());
    }
    if (game->aruConsole::IsOpen() || game->paused) {
      font->DrawText(nullptr, 400.0f, 512.0f, 0xFFFFFFFF, "Paused! Press Space...");
    }
  }
  game->aruConsole::Draw();
}

HRESULT scene2::Render() {
  const auto frameStart = std::chrono::steady_clock::now();
  const FrameInput frame = game->MakeFrameInput();
  const bool active = game->IsActive(frame);
  if (active) {
    if (attractMode.enabled) {
      MoveNearPaddleByComputer(*game, frame);
      if (DemoShouldServe(*game, frame.tickMs, startTick)) game->Serve(frame.tickMs);
    } else {
      game->MovePlayerPaddle(frame, game->ParkPoint());
    }
    game->MoveComputerPaddle(frame);
  }
  SetMatchCamera(game);
  scenedraw::DrawArena(game, arena, arenaOpaque);
  float farTurn[16];
  RotationY(kPi, farTurn);
  scenedraw::DrawMeshAt(game, opponentMesh, farTurn, game->opponentPaddle.x, game->opponentPaddle.y,
             game->opponentPaddle.z);
  if (active) game->StepBall(frame);
  DrawSpinningBall(game, ballMesh, game->ball.position);
  if (crosshairShown) DrawCrosshair(frame.dt);
  scenedraw::DrawMeshAt(game, playerMesh, nullptr, game->playerPaddle.x, game->playerPaddle.y,
             game->playerPaddle.z);
  aruMatrix identity;
  identity.Identity();
  game->SetWorldTransform(identity);
  if (game->showSplats) DrawSplats(frame.tickMs);
  game->Begin2D();
  DrawHUD();

  if (attractMode.enabled) {
    if (attractMode.bench) {
      logicTimes.Add(std::chrono::duration<double>(std::chrono::steady_clock::now() - frameStart)
                         .count());
    }
    RecordFrame();
  }

  if (game->IsMatchOver() && !game->IsSceneChangePending()) {
    if (attractMode.enabled) {
      std::printf("rallix-game: match over: %s %d, %s %d\n", game->playerName, game->playerScore,
                  game->opponentName, game->opponentScore);
      std::fflush(stdout);
    }
    if (attractMode.bench && frameTimes.Count() > 0) {
      const double frameMedian = frameTimes.Median();
      const double logicMedian = logicTimes.Median();
      std::printf(
          "rallix-game: bench: match at %.0fx%.0f, %zu frames, median frame %.3f ms (%.0f fps), "
          "median scene work %.3f ms\n",
          game->GetScreenWidth(), game->GetScreenHeight(), frameTimes.Count(), frameMedian * 1e3,
          frameMedian > 0 ? 1.0 / frameMedian : 0.0, logicMedian * 1e3);
      std::fflush(stdout);
    }
    aruScene* results = new scene3(game);
    if (attractMode.matchesLeft > 0) results = MakeDemoResults(game, results);
    game->ChangeScene(results);
  }
  return 0;
}

// Attract mode: the first frame's start-up time, the match picture and the frame times.
void scene2::RecordFrame() {
  const auto now = std::chrono::steady_clock::now();
  ReportFirstFrame();
  if (attractMode.bench && hasLastFrame) {
    frameTimes.Add(std::chrono::duration<double>(now - lastFrame).count());
  }
  lastFrame = now;
  hasLastFrame = true;
  // The picture is taken a few seconds into the rally, once the ball is in play.
  if (!matchShotTaken && !game->awaitingServe && GetTickCount() - game->serveTime >= 2500) {
    matchShotTaken = true;
    static int32_t matchNumber = 0;
    const std::string path = DemoShotPath("match", ++matchNumber);
    if (!path.empty()) {
      const bool saved = game->ScreenShotTo(path.c_str());
      std::printf(saved ? "rallix-game: match picture saved to %s\n"
                        : "rallix-game: could not save the match picture %s\n",
                  path.c_str());
      std::fflush(stdout);
    }
  }
}

HRESULT scene2::Destroy() {
  DeleteAndClear(crosshair);
  DeleteAndClear(arena);
  for (aruVB*& quad : splatQuads) DeleteAndClear(quad);
  DeleteAndClear(ballMesh);
  DeleteAndClear(playerMesh);
  DeleteAndClear(opponentMesh);
  DeleteAndClear(font);
  DeleteAndClear(game->pingSound);
  DeleteAndClear(game->pongSound);
  DeleteAndClear(game->scoreSound);
  DeleteAndClear(game->wallSound);
  DeleteAndClear(game->powerSound);
  DeleteAndClear(game->screenshotSound);
  game->SetShowRecent(false);
  return 0;
}
