// Synthesised sound: effects are short, audible, unclipped and distinct from each other; the
// music loops last at least 30 seconds, keep playing throughout and join without a jump.
#include <gtest/gtest.h>

#include <cmath>

#include "synth.h"
#include "wave.h"

namespace assetgen {
namespace {

float peak(const std::vector<float>& s) {
  float p = 0;
  for (float v : s) p = std::max(p, std::fabs(v));
  return p;
}

float rms(const std::vector<float>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return static_cast<float>(std::sqrt(sum / std::max<size_t>(1, to - from)));
}

// Crossings per second of zero: a rough measure of pitch and brightness.
float crossingRate(const std::vector<float>& s) {
  int crossings = 0;
  for (size_t i = 1; i < s.size(); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
  return crossings * float(kSampleRate) / s.size();
}

TEST(Effects, EveryEffectIsShortAudibleAndUnclipped) {
  ASSERT_EQ(effectNames().size(), 11u);
  for (const std::string& name : effectNames()) {
    const std::vector<float> s = makeEffect(name);
    SCOPED_TRACE(name);
    ASSERT_FALSE(s.empty());
    const float seconds = float(s.size()) / kSampleRate;
    EXPECT_LT(seconds, 3.0f);
    EXPECT_GT(seconds, 0.02f);
    EXPECT_GT(peak(s), 0.3f);
    EXPECT_LE(peak(s), 0.95f) << "headroom against clipping";
    EXPECT_LT(std::fabs(s.back()), 0.02f) << "ends in silence, without a click";
  }
  EXPECT_TRUE(makeEffect("no such sound").empty());
}

TEST(Effects, MatchSoundsAreDistinct) {
  const std::vector<std::string> match = {"paddle1", "paddle2", "wall", "score", "power", "screenshot"};
  for (size_t i = 0; i < match.size(); ++i) {
    for (size_t j = i + 1; j < match.size(); ++j) {
      const std::vector<float> a = makeEffect(match[i]), b = makeEffect(match[j]);
      const bool sameLength = a.size() == b.size();
      const float rateDiff = std::fabs(crossingRate(a) - crossingRate(b));
      EXPECT_TRUE(!sameLength || rateDiff > 50.0f) << match[i] << " and " << match[j] << " sound alike";
    }
  }
  // The two paddles differ in pitch: the far paddle lower.
  EXPECT_GT(crossingRate(makeEffect("paddle1")), crossingRate(makeEffect("paddle2")) * 1.15f);
}

TEST(Effects, ResultJinglesAreLongerThanHits) {
  for (const char* jingle : {"win", "lose", "perfect"}) {
    EXPECT_GT(makeEffect(jingle).size(), makeEffect("paddle1").size() * 4) << jingle;
  }
  EXPECT_GT(makeEffect("perfect").size(), makeEffect("win").size());
}

TEST(Music, EveryTrackIsALoopOfAtLeastThirtySecondsThatNeverFallsSilent) {
  ASSERT_EQ(musicNames().size(), 3u);
  for (const std::string& name : musicNames()) {
    const std::vector<float> s = makeMusic(name);
    SCOPED_TRACE(name);
    const float seconds = float(s.size()) / kSampleRate;
    EXPECT_GE(seconds, 30.0f);
    EXPECT_LE(seconds, 45.0f) << "kept modest in size";
    EXPECT_LE(peak(s), 0.85f);
    const size_t window = kSampleRate * 2;
    for (size_t from = 0; from + window <= s.size(); from += window) {
      EXPECT_GT(rms(s, from, from + window), 0.03f) << "quiet near " << from / kSampleRate << " s";
    }
    // The loop point: the last and first samples are neighbours when the track repeats.
    EXPECT_LT(std::fabs(s.back() - s.front()), 0.2f);
    const std::vector<uint8_t> file = encodeWav(s);
    EXPECT_LT(file.size(), 2u * 1024 * 1024);
  }
}

TEST(Music, TracksDifferFromEachOther) {
  const std::vector<float> a = makeMusic("intro"), b = makeMusic("inter"), c = makeMusic("credits");
  EXPECT_NE(a.size(), b.size());
  EXPECT_NE(b.size(), c.size());
  EXPECT_GT(std::fabs(crossingRate(a) - crossingRate(b)) + std::fabs(rms(a, 0, a.size()) - rms(b, 0, b.size())), 1e-3f);
  EXPECT_TRUE(makeMusic("no such track").empty());
}

}  // namespace
}  // namespace assetgen
