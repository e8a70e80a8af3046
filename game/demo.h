// Attract mode: the computer plays the near paddle too. The console command "demo" toggles it;
// ARU_DEMO=N starts the program straight in a match, plays N matches from the current level and
// difficulty and then quits through the normal path. ARU_DEMO_SHOTS=<folder> saves a picture of
// each match and of its results there; ARU_BENCH=1 prints frame-time figures of each match.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/scene.h"
#include "match.h"

class RallixGame;

// The aim of the computer's near paddle in a network match: drawn anew whenever the ball turns
// toward the near end.
struct NetAttractAim {
  bool incoming = false;
  float errorX = 0.0f;
  float errorY = 0.0f;
};

struct AttractMode {
  bool enabled = false;     // the computer moves the near paddle
  int32_t matchesLeft = 0;  // a counted run from ARU_DEMO; 0 when none
  std::string shotFolder;   // ARU_DEMO_SHOTS
  bool bench = false;       // ARU_BENCH
  std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();
  bool firstFrameReported = false;
  // The near paddle's miss of the predicted arrival, drawn anew for every ball that comes in.
  aruVector3 aimedAt;
  float aimErrorX = 0.0f;
  float aimErrorY = 0.0f;
  NetAttractAim netAim;
};
extern AttractMode attractMode;

// How long the attract mode waits before it serves, and how long it shows the main menu before
// the first match and the results after each.
constexpr uint32_t demoServeDelayMs = 1000;
constexpr uint32_t demoMenuMs = 2500;
constexpr uint32_t demoResultsMs = 3000;

// Reads ARU_DEMO, ARU_DEMO_SHOTS and ARU_BENCH. Returns true when a counted run starts; a value
// that is not a positive number starts nothing and says so on stderr.
bool ReadAttractEnvironment();
int32_t ParseMatchCount(const char* text);

// Binds "demo" (toggle) and lets "jumpto" reach the match scene.
void InstallAttractMode(RallixGame& game);
// With ARU_DEMO set: the main menu shows for demoMenuMs, then the current level begins; the scene
// to run instead of the intro is returned. Null otherwise.
aruScene* StartAttractRun(RallixGame& game);

// How far, on each axis, the near paddle may aim beside the predicted arrival. Two computers that
// both reach every prediction would rally for ever at the higher difficulties; this error makes
// the near side miss now and then and return at angles, so a match ends within minutes and
// either side can win.
constexpr float demoAimError = 0.8f;
// Seeds the draw of the aiming errors (a fixed seed gives a repeatable match).
void SeedAttractAim(uint32_t seed);

// One frame of the computer's near paddle: toward the predicted arrival at the near end (or the
// ball when there is none) plus the aiming error of this ball, at no more than the far paddle's
// own speed, within the paddle limits. The return factors stay at those of a still mouse.
void MoveNearPaddleByComputer(RallixMatch& match, const FrameInput& frame);
// The near paddle's speed in a network match, the same on both sides whatever each side's
// difficulty, so two copies meet as equals.
constexpr float netAttractSpeed = 3.0f;
// One frame of the computer's near paddle in a network match, on either side: toward where the
// incoming ball will arrive (predicted from its own copy of the ball, which on the joining side is
// the host's last word moved on locally) plus the aiming error of this ball, or after the ball
// while it heads away, at netAttractSpeed within the paddle limits. The ball of a network match
// never stops for the console or an inactive window, so neither does this paddle.
void MoveNearPaddleInNetMatch(RallixMatch& match, const FrameInput& frame, NetAttractAim& aim);
// True when the attract mode should serve now: the match waits for the serve, is not paused and
// has waited demoServeDelayMs since it started.
bool DemoShouldServe(const RallixMatch& match, uint32_t nowMs, uint32_t matchStartMs);

// Prints, once, the time from the program's start to its first drawn frame.
void ReportFirstFrame();

// What follows the results screen of a counted run: the next match, or nothing when the run is
// over (the caller then quits). Counts the finished match.
bool DemoNextMatch();

// Frame times of one match, kept in a buffer reserved before the match so recording allocates
// nothing.
class FrameTimes {
 public:
  void Reserve(size_t count) { samples.reserve(count); }
  void Clear() { samples.clear(); }
  void Add(double seconds) {
    if (samples.size() < samples.capacity()) samples.push_back(float(seconds));
  }
  size_t Count() const { return samples.size(); }
  // The median in seconds; 0 without samples. Reorders the samples.
  double Median();

 private:
  std::vector<float> samples;
};

// Shows another scene for a while in a counted run: forwards every slot, saves a picture of it
// half-way, and when the time is up calls `next` (the following scene or the end of the run).
class DemoShowcaseScene : public aruScene {
 public:
  using Next = void (*)(RallixGame& game);
  DemoShowcaseScene(RallixGame* game, aruScene* inner, std::string picture, uint32_t holdMs,
                    Next next);
  ~DemoShowcaseScene() override;
  HRESULT Initialize() override;
  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Render() override;
  HRESULT Destroy() override;
  HRESULT PreRender() override;

 private:
  RallixGame* game;
  aruScene* inner;
  std::string picture;
  uint32_t holdMs;
  Next next;
  uint32_t startTick = 0;
  bool shotTaken = false;
  bool leaving = false;
};

// The results screen of a counted run, held for demoResultsMs, followed by the next match or the
// end of the run.
aruScene* MakeDemoResults(RallixGame* game, aruScene* results);

// The picture file of the attract mode: "<folder>/<name><number>.bmp", without a number when it is
// 0. Empty when no folder was given.
std::string DemoShotPath(const char* name, int32_t matchNumber);
