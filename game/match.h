// The state of a single rally and the rules that move it: ball stepping with wall bounces,
// returns, power shots and goals, the serve, the mouse-driven player paddle, the ray-cast
// prediction of where the ball arrives, and the computer opponent. The game object derives from
// RallixMatch; the rules take what they need from the engine (frame time, tick, cursor, console
// state) as parameters and report through MatchOutput, so they also run headless.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <random>

#include "ball.h"
#include "vector.h"

// Set from key Debug at start-up: non-zero enables the debug commands and the HUD frame rate,
// exactly 1 also prints a line for every player return.
extern int16_t debugMode;

enum class MatchSound : uint8_t { ping, pong, score, wall, power, screenshot };
constexpr int matchSoundCount = 6;

// Moves value toward target by at most step, landing on the target instead of passing it.
float Approach(float value, float target, float step);

// Per-frame values the rules read from the engine.
struct FrameInput {
  float dt = 0.0f;        // the frame timer's elapsed seconds
  uint32_t tickMs = 0;    // GetTickCount at this frame
  bool inactive = false;  // the engine reports the window inactive
  bool consoleOpen = false;
};

// Where the rules send what the player sees and hears. Any pointer may be null.
struct MatchOutput {
  void* context = nullptr;
  void (*print)(void* context, uint32_t colour, const char* text) = nullptr;
  // velocity is null when the sound is placed without one
  void (*play)(void* context, MatchSound sound, const aruVector3& position,
               const aruVector3* velocity) = nullptr;
  // the serve of a network match goes to the peer too
  void (*served)(void* context) = nullptr;
};

class RallixMatch {
 public:
  static constexpr int triangleCount = 12;
  static constexpr float playerEndZ = -12.0f;
  static constexpr float opponentEndZ = 12.0f;

  RallixMatch();

  // Match start: ball resting at the origin awaiting the serve, coin flip for the server,
  // paddles centred, scores, volleys and power reset, the computer following the ball.
  void StartMatch();
  // The twelve triangles of the arena box used by the prediction, from the paddle limits.
  void BuildCollisionTriangles();

  // One frame of ball motion (only called while the match is active).
  void StepBall(const FrameInput& frame);
  void BounceWalls(const FrameInput& frame);
  float HitSpeedUp() const;
  static void PowerSpread(aruVector3& vector, float powerValue);
  void PlayAt(MatchSound sound, const aruVector3& position, const aruVector3* velocity);

  aruVector3 PredictToOpponent(const aruVector3& origin, const aruVector3& direction,
                               int excluded);
  aruVector3 PredictToPlayer(const aruVector3& origin, const aruVector3& direction,
                             int excluded);

  // The left mouse button: starts the rally while the match waits for the serve.
  void Serve(uint32_t tickMs);

  // Moves the player's paddle by the cursor's offset from the park point. Returns true when
  // the mouse moved; the caller then puts the cursor back on the park point.
  bool MovePlayerPaddle(const FrameInput& frame, POINT cursor, POINT park);
  // The same reading and re-centring the system cursor.
  bool MovePlayerPaddle(const FrameInput& frame, POINT park);

  // Computer opponent.
  float ComputerSpeed(int16_t chosenDifficulty) const;
  void ChooseDifficulty(int16_t chosen);
  // After the lock check: the selected level becomes the current one, with its goals to win
  // and computer speed.
  void BeginSelectedLevel();
  void MoveComputerPaddle(const FrameInput& frame);
  void ClampOpponentPaddle();

  bool IsActive(const FrameInput& frame) const {
    return !frame.inactive && !frame.consoleOpen && !paused;
  }
  // True once either side has reached goalsToWin.
  bool IsMatchOver() const;

  void SeedRandom(uint32_t seed) { random.seed(seed); }
  // A console line in the colour, through output.print.
  void Announce(uint32_t colour, const char* format, ...) __attribute__((format(printf, 3, 4)));

  MatchOutput output;

  aruPlane collisionTriangles[triangleCount];
  aruVector3 aiTarget;      // zero: the far paddle follows the ball
  aruVector3 playerTarget;  // predicted arrival at the player's end; zero: none
  aruVector3 arenaScale{1.25f, 1.0f, 4.0f};
  aruVector3 paddleStep;
  aruVector3 playerPaddle{0.0f, 0.0f, playerEndZ};
  aruVector3 opponentPaddle{0.0f, 0.0f, opponentEndZ};
  float minX = -2.9f;
  float maxX = 2.9f;
  float maxY = 2.3f;
  float minY = -2.3f;
  float xPow = 180.0f;
  float yPow = 180.0f;
  float aiSpeed = 0.0f;
  float guiSensitivity = 4.0f;
  float gameSensitivity = 0.01f;
  float power = 0.0f;
  int16_t difficulty = 1;
  uint32_t volley = 0;
  uint32_t highestVolley = 0;
  char playerName[256] = "Player1";
  char opponentName[256] = "Player2";
  int32_t currentLevel = 1;
  int32_t selectedLevel = 0;
  int32_t goalsToWin = 5;
  int32_t powerShots = 0;
  int32_t playerScore = 0;
  int32_t opponentScore = 0;
  uint32_t serveTime = 0;
  uint8_t soundEffects = 1;
  uint8_t towardOpponent = 1;
  uint8_t powerShotsAllowed = 1;
  uint8_t awaitingServe = 0;
  uint8_t paused = 0;

  PlayBall ball;
  GoalSplat goalSplat{5.0f};
  GoalSplat hitSplat{3.0f};
  GoalSplat sideSplat{2.0f};
  GoalSplat floorSplat{2.0f};
  GoalSplat powerSplat{5.0f};

 private:
  void PlayerReturn(const aruVector3& ballUnit, const aruVector3& paddleUnit, uint32_t tickMs);
  void FarReturn(const aruVector3& ballUnit, const aruVector3& paddleUnit, uint32_t tickMs);
  void Goal(bool playerScored, uint32_t tickMs);
  aruVector3 Predict(const aruVector3& origin, const aruVector3& direction, int excluded,
                     int endTriangle, bool aimingError, int depth);
  int RandomInt(int low, int high);

  std::mt19937 random;
};
