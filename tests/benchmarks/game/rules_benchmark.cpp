// Timing of the per-frame rally rules: one ball step in mid-court (no return, no goal) and
// the computer's prediction through three wall bounces.
#include <benchmark/benchmark.h>

#include "match.h"

namespace {

RallixMatch MakeRally() {
  RallixMatch match;
  match.SeedRandom(7);
  match.StartMatch();
  match.awaitingServe = 0;
  return match;
}

void StepBallWithoutReturn(benchmark::State& state) {
  RallixMatch match = MakeRally();
  FrameInput frame;
  frame.dt = 1.0f / 60.0f;
  for (auto _ : state) {
    match.ball.position.Set(0.5f, -0.5f, 0.0f);
    match.ball.velocity.Set(3.0f, 2.0f, 20.0f);
    match.towardOpponent = 1;
    match.StepBall(frame);
    benchmark::DoNotOptimize(match.ball.position);
  }
}
BENCHMARK(StepBallWithoutReturn);

void PredictToOpponentThroughThreeWalls(benchmark::State& state) {
  RallixMatch match = MakeRally();
  const aruVector3 origin(0.5f, 0.5f, -11.0f);
  const aruVector3 heading(11.0f, 6.0f, 20.0f);
  for (auto _ : state) {
    benchmark::DoNotOptimize(match.PredictToOpponent(origin, heading, 0));
  }
}
BENCHMARK(PredictToOpponentThroughThreeWalls);

}  // namespace

BENCHMARK_MAIN();
