// What a network match tells a script on standard output in attract mode: the end of each
// match with its scores, and with ARU_BENCH=1 the frame rate, the bytes sent per second, and a
// time stamp for every return by the host (host side) and for every frame where the ball is
// first seen moving back toward the host (joining side), for measuring the delay between them.
#pragma once

#include <chrono>
#include <cstdint>

#include "demo.h"

class RallixGame;

class NetMatchReport {
 public:
  // Called once a frame under netLock, after the ball step, with the bytes sent so far.
  void Frame(RallixGame& game, bool host, uint64_t bytesSent);

 private:
  void Begin(uint64_t bytesSent);
  void End(RallixGame& game, uint64_t bytesSent);

  FrameTimes frameTimes;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastFrame;
  uint64_t bytesAtStart = 0;
  bool running = false;
  uint32_t lastVolley = 0;
  float lastDepthSpeed = 0.0f;
};
