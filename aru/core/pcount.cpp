// The frame timer on QueryPerformanceCounter.
#include "pcount.h"

#include <windows.h>

namespace {
// Seconds of frame time since the last average; starts at 0.25 so the first average comes early.
float accumulatedTime = 0.25f;
}  // namespace

void aruPCount::ResetAccumulatedTime() { accumulatedTime = 0.25f; }

aruPCount::aruPCount() {
  LARGE_INTEGER value;
  if (!QueryPerformanceFrequency(&value) || value.QuadPart <= 0) {
    available = false;
    return;
  }
  frequency = value.QuadPart;
  secondsPerTick = 1.0 / static_cast<double>(frequency);
  QueryPerformanceCounter(&value);
  lastEnd = static_cast<double>(value.QuadPart);
  available = true;
  fps = 0;
  frameTime = 0;
  history.assign(kHistorySize, 0.0);
}

void aruPCount::Update() {
  if (!available) return;
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  const double now = static_cast<double>(value.QuadPart);
  const double interval = now - lastEnd;
  lastEnd = now;
  // A zero interval has no instantaneous rate; it is left out of the history rather than
  // poisoning it with an infinity.
  if (interval > 0) {
    history.pop_front();
    history.push_back(static_cast<double>(frequency) / interval);
  }
  if (interval != 0 && accumulatedTime >= 0.5f) {
    double sum = 0;
    for (double rate : history) sum += rate;
    fps = 0.1 * sum;
    accumulatedTime = 0;
  }
  frameTime = interval * secondsPerTick;
  accumulatedTime += static_cast<float>(frameTime);
}
