// The network match's script lines; silent unless the attract mode is on.
#include "scenes/net_match_report.h"

#include <cstdio>

#include "rallix_game.h"

namespace {

constexpr size_t reservedFrames = size_t(1) << 18;

double SteadyMs(std::chrono::steady_clock::time_point at) {
  return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

}  // namespace

void NetMatchReport::Begin(uint64_t bytesSent) {
  running = true;
  start = std::chrono::steady_clock::now();
  lastFrame = start;
  bytesAtStart = bytesSent;
  frameTimes.Reserve(reservedFrames);
  frameTimes.Clear();
}

void NetMatchReport::End(RallixGame& game, uint64_t bytesSent) {
  running = false;
  std::printf("rallix-game: net match over: %s %d, %s %d\n", game.playerName, game.playerScore,
              game.opponentName, game.opponentScore);
  if (attractMode.bench && frameTimes.Count() > 0) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double median = frameTimes.Median();
    std::printf("rallix-game: bench: net match %.1f s, %zu frames, median frame %.3f ms (%.0f fps), "
                "sent %.0f bytes/s\n",
                seconds, frameTimes.Count(), median * 1e3, median > 0 ? 1.0 / median : 0.0,
                seconds > 0 ? double(bytesSent - bytesAtStart) / seconds : 0.0);
  }
  std::fflush(stdout);
}

void NetMatchReport::Frame(RallixGame& game, bool host, uint64_t bytesSent) {
  if (!attractMode.enabled) return;
  const auto now = std::chrono::steady_clock::now();
  if (game.matchRunning && !running) Begin(bytesSent);
  if (!game.matchRunning && running) End(game, bytesSent);
  if (!running) return;
  if (attractMode.bench) {
    frameTimes.Add(std::chrono::duration<double>(now - lastFrame).count());
    // The host's own return sends the ball toward the far end, which is the joining side's near
    // end: there, in a frame turned round, the depth speed turns from positive to negative.
    if (host && game.volley > lastVolley && game.towardOpponent) {
      std::printf("rallix-game: bench: host return at %.3f ms\n", SteadyMs(now));
    }
    if (!host && lastDepthSpeed > 0.0f && game.ball.velocity.z < 0.0f) {
      std::printf("rallix-game: bench: ball seen moving back at %.3f ms\n", SteadyMs(now));
    }
  }
  lastFrame = now;
  lastVolley = game.volley;
  lastDepthSpeed = game.ball.velocity.z;
}
