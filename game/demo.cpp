// Attract mode: the computer's near paddle, the "demo" command, the counted run of ARU_DEMO with
// its pictures and frame-time figures, and the results wrapper that leads to the next match.
#include "demo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>

#include "commands.h"
#include "rallix_game.h"
#include "scenes/scene1.h"
#include "scenes/scene2.h"

AttractMode attractMode;

namespace {

void DemoCommand() {
  auto* game = static_cast<RallixGame*>(g_engine);
  attractMode.enabled = !attractMode.enabled;
  game->aruConsole::Print(attractMode.enabled ? "Attract mode on: the computer plays both paddles."
                                              : "Attract mode off.",
                          0xFFFFFFFF);
}

int32_t matchesPlayed = 0;

// The current level begins again and its match scene follows.
void BeginDemoMatch(RallixGame& game) {
  game.selectedLevel = game.currentLevel;
  game.BeginSelectedLevel();
  game.ChangeScene(new scene2(&game));
}
std::mt19937 aimRandom{std::random_device{}()};

bool SamePoint(const aruVector3& a, const aruVector3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

float DrawAimError() {
  return std::uniform_real_distribution<float>(-demoAimError, demoAimError)(aimRandom);
}

}  // namespace

int32_t ParseMatchCount(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > 100000) return 0;
  return int32_t(value);
}

bool ReadAttractEnvironment() {
  const char* count = std::getenv("ARU_DEMO");
  const char* shots = std::getenv("ARU_DEMO_SHOTS");
  const char* bench = std::getenv("ARU_BENCH");
  attractMode.shotFolder = shots != nullptr ? shots : "";
  attractMode.bench = bench != nullptr && bench[0] != '\0' && bench[0] != '0';
  if (count == nullptr) return false;
  attractMode.matchesLeft = ParseMatchCount(count);
  if (attractMode.matchesLeft == 0) {
    std::fprintf(stderr, "rallix-game: ARU_DEMO=%s is not a number of matches; starting normally\n",
                 count);
    return false;
  }
  attractMode.enabled = true;
  return true;
}

void InstallAttractMode(RallixGame& game) {
  game.Bind("demo", 0, DemoCommand, false);
  commandScenes.match = [](RallixGame* owner) -> aruScene* { return new scene2(owner); };
}

aruScene* StartAttractRun(RallixGame& game) {
  if (!ReadAttractEnvironment()) return nullptr;
  std::snprintf(game.opponentName, sizeof game.opponentName, "%s", "CPU");
  std::printf("rallix-game: attract mode, %d match(es) from level %d\n", attractMode.matchesLeft,
              game.currentLevel);
  std::fflush(stdout);
  return new DemoShowcaseScene(&game, new scene1(&game), DemoShotPath("menu", 0), demoMenuMs,
                               BeginDemoMatch);
}

void MoveNearPaddleByComputer(RallixMatch& match, const FrameInput& frame) {
  if (!match.IsActive(frame)) return;
  const float step = frame.dt * match.aiSpeed;
  aruVector3 target = match.ball.position;
  if (!match.playerTarget.IsZero()) {
    if (!SamePoint(match.playerTarget, attractMode.aimedAt)) {
      attractMode.aimedAt = match.playerTarget;
      attractMode.aimErrorX = DrawAimError();
      attractMode.aimErrorY = DrawAimError();
    }
    target = match.playerTarget;
    target.x += attractMode.aimErrorX;
    target.y += attractMode.aimErrorY;
  }
  match.playerPaddle.x = std::clamp(Approach(match.playerPaddle.x, target.x, step), match.minX,
                                    match.maxX);
  match.playerPaddle.y = std::clamp(Approach(match.playerPaddle.y, target.y, step), match.minY,
                                    match.maxY);
  match.paddleStep.Set(0.0f, 0.0f, 0.0f);
  match.xPow = std::max(match.xPow - 100.0f * frame.dt, 180.0f);
  match.yPow = std::max(match.yPow - 100.0f * frame.dt, 180.0f);
}

void MoveNearPaddleInNetMatch(RallixMatch& match, const FrameInput& frame, NetAttractAim& aim) {
  const bool incoming = match.ball.velocity.z < 0.0f;
  if (incoming && !aim.incoming) {
    aim.errorX = DrawAimError();
    aim.errorY = DrawAimError();
  }
  aim.incoming = incoming;
  aruVector3 target = match.ball.position;
  if (incoming) {
    const aruVector3 arrival = match.PredictToPlayer(match.ball.position, match.ball.velocity, 0);
    if (!arrival.IsZero()) target = arrival;
    target.x += aim.errorX;
    target.y += aim.errorY;
  }
  const float step = frame.dt * netAttractSpeed;
  match.playerPaddle.x = std::clamp(Approach(match.playerPaddle.x, target.x, step), match.minX,
                                    match.maxX);
  match.playerPaddle.y = std::clamp(Approach(match.playerPaddle.y, target.y, step), match.minY,
                                    match.maxY);
  match.paddleStep.Set(0.0f, 0.0f, 0.0f);
}

void SeedAttractAim(uint32_t seed) { aimRandom.seed(seed); }

bool DemoShouldServe(const RallixMatch& match, uint32_t nowMs, uint32_t matchStartMs) {
  return match.awaitingServe && !match.paused && nowMs - matchStartMs >= demoServeDelayMs;
}

bool DemoNextMatch() {
  ++matchesPlayed;
  if (attractMode.matchesLeft <= 0) return true;
  --attractMode.matchesLeft;
  return attractMode.matchesLeft > 0;
}

void ReportFirstFrame() {
  if (attractMode.firstFrameReported) return;
  attractMode.firstFrameReported = true;
  const auto since = std::chrono::steady_clock::now() - attractMode.programStart;
  std::printf("rallix-game: first frame %.0f ms after start\n",
              std::chrono::duration<double, std::milli>(since).count());
  std::fflush(stdout);
}

double FrameTimes::Median() {
  if (samples.empty()) return 0.0;
  auto middle = samples.begin() + samples.size() / 2;
  std::nth_element(samples.begin(), middle, samples.end());
  return *middle;
}

std::string DemoShotPath(const char* name, int32_t matchNumber) {
  if (attractMode.shotFolder.empty()) return "";
  return attractMode.shotFolder + "/" + name + (matchNumber != 0 ? std::to_string(matchNumber) : "") +
         ".bmp";
}

DemoShowcaseScene::DemoShowcaseScene(RallixGame* game, aruScene* inner, std::string picture,
                                     uint32_t holdMs, Next next)
    : aruScene(game),
      game(game),
      inner(inner),
      picture(std::move(picture)),
      holdMs(holdMs),
      next(next) {}

DemoShowcaseScene::~DemoShowcaseScene() { delete inner; }

HRESULT DemoShowcaseScene::Initialize() {
  startTick = GetTickCount();
  return inner->Initialize();
}
HRESULT DemoShowcaseScene::RestoreDeviceObjects() { return inner->RestoreDeviceObjects(); }
HRESULT DemoShowcaseScene::InvalidateDeviceObjects() { return inner->InvalidateDeviceObjects(); }
HRESULT DemoShowcaseScene::PreRender() { return inner->PreRender(); }
HRESULT DemoShowcaseScene::Destroy() { return inner->Destroy(); }

HRESULT DemoShowcaseScene::Render() {
  const HRESULT result = inner->Render();
  ReportFirstFrame();
  if (leaving || game->IsSceneChangePending()) return result;
  const uint32_t elapsed = GetTickCount() - startTick;
  // The picture is of the previous frame's front buffer, so wait until the screen has settled.
  if (!shotTaken && elapsed >= holdMs / 2) {
    shotTaken = true;
    if (!picture.empty()) {
      if (game->ScreenShotTo(picture.c_str())) {
        std::printf("rallix-game: picture saved to %s\n", picture.c_str());
      } else {
        std::printf("rallix-game: could not save the picture %s\n", picture.c_str());
      }
      std::fflush(stdout);
    }
  }
  if (elapsed < holdMs) return result;
  leaving = true;
  next(*game);
  return result;
}

aruScene* MakeDemoResults(RallixGame* game, aruScene* results) {
  return new DemoShowcaseScene(game, results, DemoShotPath("results", matchesPlayed + 1),
                               demoResultsMs, [](RallixGame& owner) {
                                 if (DemoNextMatch()) {
                                   BeginDemoMatch(owner);
                                 } else {
                                   owner.Quit();
                                 }
                               });
}
