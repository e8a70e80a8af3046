// A thousand rallies per difficulty through the real rules: the ball stays in the arena,
// nothing becomes NaN or infinite, every match ends exactly at goalsToWin, and both sides
// score, return and (for the player) make power hits.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "rally_simulator.h"

namespace {

// Difficulty, and frames per second.
using Setting = std::tuple<int16_t, int>;

class ThousandRallies : public testing::TestWithParam<Setting> {};

TEST_P(ThousandRallies, StayInTheArenaAndScoreByTheRules) {
  const auto [difficulty, framesPerSecond] = GetParam();
  RallySimulator simulator(difficulty, 20240 + difficulty, 1.0f / float(framesPerSecond));
  const SimulationReport report = simulator.Play(1000);
  EXPECT_EQ(report.problems, 0) << report.firstProblem;
  EXPECT_EQ(report.rallies, 1000);
  EXPECT_EQ(report.stalledRallies, 0);
  EXPECT_GT(report.matches, 20);
  EXPECT_GT(report.playerGoals, 0);
  EXPECT_GT(report.opponentGoals, 0);
  EXPECT_GT(report.returns, report.rallies) << "rallies have returns, not only goals";
  EXPECT_GT(report.powerHits, 0);
  const float limits[] = {50.0f, 60.0f, 70.0f, 80.0f};
  const float steps[] = {0.5f, 1.0f, 1.25f, 1.5f};
  EXPECT_LT(report.fastestDepthSpeed, limits[difficulty - 1] + steps[difficulty - 1])
      << "the speed-up stops at the difficulty's limit";
}

std::string SettingName(const testing::TestParamInfo<Setting>& info) {
  static const char* const names[] = {"Easy", "Medium", "Hard", "Impossible"};
  return std::string(names[std::get<0>(info.param) - 1]) + "At" +
         std::to_string(std::get<1>(info.param)) + "Fps";
}

INSTANTIATE_TEST_SUITE_P(Difficulties, ThousandRallies,
                         testing::Combine(testing::Values(int16_t(1), int16_t(2), int16_t(3),
                                                          int16_t(4)),
                                          testing::Values(60, 120)),
                         SettingName);

TEST(RallySimulator, SameSeedPlaysTheSameGame) {
  RallySimulator first(3, 77, 1.0f / 60.0f);
  RallySimulator second(3, 77, 1.0f / 60.0f);
  const SimulationReport a = first.Play(50);
  const SimulationReport b = second.Play(50);
  EXPECT_EQ(a.frames, b.frames);
  EXPECT_EQ(a.playerGoals, b.playerGoals);
  EXPECT_EQ(first.Match().ball.position.x, second.Match().ball.position.x);
}

TEST(RallySimulator, NoticesABallOutsideTheArena) {
  // At 30 frames a second a fast sideways ball travels past the visible wall for a frame
  // before the next bounce puts it back; the simulator must see that.
  RallySimulator simulator(1, 20241, 1.0f / 30.0f);
  const SimulationReport report = simulator.Play(1000);
  EXPECT_GT(report.problems, 0);
  EXPECT_NE(report.firstProblem.find("the ball left the arena"), std::string::npos);
}

}  // namespace
