// The frame timer: each frame's duration in seconds from the performance counter, and a smoothed
// frames-per-second figure averaged over the last ten frames.
#pragma once

#include <cstdint>
#include <deque>

class aruPCount {
 public:
  aruPCount();

  // Called once per presented frame (and once when the device has just been created).
  void Update();
  double GetFPS() const { return fps; }
  double GetFrameTime() const { return frameTime; }
  int64_t GetFrequency() const { return frequency; }
  bool IsAvailable() const { return available; }

  // The time accumulated since the last average is process-wide; tests put it back to its
  // start value of 0.25 s.
  static void ResetAccumulatedTime();

 private:
  static constexpr int kHistorySize = 10;

  double fps = 0;
  bool available = false;
  double secondsPerTick = 0;
  int64_t frequency = 0;
  double lastEnd = 0;
  double frameTime = 0;
  std::deque<double> history;
};
