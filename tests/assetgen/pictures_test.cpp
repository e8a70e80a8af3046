// The painted pictures: transparency where they are drawn over the scene, opaque full-screen
// backgrounds, distinct roll-over looks, legible labels, arena maps laid out for the arena's
// texture coordinates, and no picture blank by mistake.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "art.h"
#include "fixture.h"
#include "generator.h"

namespace assetgen::testing {
namespace {

const uint8_t* pixel(const Image& image, int x, int y) {
  return &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
}

float luminance(const uint8_t* p) { return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255.0f; }

const Image& texture(const std::string& stored) {
  static const Image none;
  const auto it = builtTextures().find(stored);
  if (it == builtTextures().end()) ADD_FAILURE() << stored << " is missing or does not decode";
  return it == builtTextures().end() ? none : it->second;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

const std::vector<std::string> kScreens = {
    "base/tex/intro.tex",           "base/tex/credback.tex",         "base/tex/console.tex",
    "base/tex/menu/splash.tex",     "base/tex/menu/paddlepick.tex",  "base/tex/menu/match.tex",
    "base/tex/menu/serveback.tex",  "base/tex/menu/clientback.tex"};
const std::vector<std::string> kEffects = {"base/tex/crosshair.tex", "base/tex/goal.tex", "base/tex/reflect.tex",
                                           "base/tex/part2.tex", "base/tex/boom.tex"};

// Menu pictures that are buttons or boxes (not backgrounds, panels or cursors).
bool isWidget(const std::string& path) {
  if (!startsWith(path, "base/tex/menu/") || path.find("arrow") != std::string::npos) return false;
  if (path == "base/tex/menu/frame.tex") return false;
  return std::find(kScreens.begin(), kScreens.end(), path) == kScreens.end();
}

// Mean absolute difference of the RGBA bytes of two pictures of one size, 0..255.
float difference(const Image& a, const Image& b) {
  double sum = 0;
  for (size_t i = 0; i < a.rgba.size(); ++i) sum += std::abs(int(a.rgba[i]) - int(b.rgba[i]));
  return static_cast<float>(sum / a.rgba.size());
}

TEST_F(BuiltData, ButtonsAreTransparentAtTheCornersAndSolidInTheMiddle) {
  int widgets = 0;
  for (const auto& [path, image] : builtTextures()) {
    if (!isWidget(path)) continue;
    ++widgets;
    SCOPED_TRACE(path);
    EXPECT_EQ(pixel(image, 0, 0)[3], 0);
    EXPECT_EQ(pixel(image, image.width - 1, image.height - 1)[3], 0);
    if (path.find("/tb.tex") == std::string::npos) {  // the text box is a frame with a light field
      EXPECT_EQ(pixel(image, image.width / 2, image.height / 2)[3], 255);
    }
  }
  EXPECT_GE(widgets, 2 * 19 + 5) << "nineteen buttons in two looks, check boxes, options, text box";
}

TEST_F(BuiltData, EveryButtonHasADifferentRollOverLook) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"newgame", "newgameroll"}, {"multiplayer", "multiplayerroll"}, {"options", "optionsroll"},
      {"quit", "quitroll"},       {"easy", "easyroll"},               {"medium", "mediumroll"},
      {"hard", "hardroll"},       {"impossible", "impossibleroll"},   {"creategame", "creategameroll"},
      {"connect", "connectroll"}, {"back", "backroll"},               {"save1", "save2"},
      {"prev1", "prev2"},         {"next1", "next2"},                 {"letsgo1", "letsgo2"},
      {"replay", "replayroll"},   {"continue", "continueroll"},       {"kick", "kickroll"},
      {"reset1", "reset2"},       {"cbo", "cbc"},                     {"opt1", "opt2"}};
  for (const auto& [normal, rollOver] : pairs) {
    const Image& a = texture("base/tex/menu/" + normal + ".tex");
    const Image& b = texture("base/tex/menu/" + rollOver + ".tex");
    ASSERT_EQ(a.width, b.width) << normal;
    ASSERT_EQ(a.height, b.height) << normal;
    EXPECT_GT(difference(a, b), 8.0f) << normal << " and " << rollOver << " look alike";
  }
}

// A label shows as a run of pixels much lighter (normal look) or darker (roll-over) than the
// plate along the button's middle row.
TEST_F(BuiltData, LabelsStandOutFromTheirPlates) {
  for (const char* name : {"newgame", "multiplayer", "impossible", "creategame", "letsgo1", "kick", "reset2",
                           "continueroll", "quitroll"}) {
    const Image& image = texture(std::string("base/tex/menu/") + name + ".tex");
    if (image.rgba.empty()) continue;
    const int y = image.height / 2;
    float lightest = 0, darkest = 1;
    int strokes = 0;
    bool inStroke = false;
    const float plate = luminance(pixel(image, image.width / 10, y));
    for (int x = image.width / 8; x < image.width * 7 / 8; ++x) {
      const float l = luminance(pixel(image, x, y));
      lightest = std::max(lightest, l);
      darkest = std::min(darkest, l);
      const bool stroke = std::fabs(l - plate) > 0.35f;
      if (stroke && !inStroke) ++strokes;
      inStroke = stroke;
    }
    EXPECT_GT(lightest - darkest, 0.5f) << name;
    EXPECT_GE(strokes, 3) << name << ": too few letter strokes across the middle";
  }
}

TEST_F(BuiltData, CursorTipIsTheTopLeftCornerAndTheSixteenBitCursorHasHardEdges) {
  const Image& arrow = texture("base/tex/menu/arrow.tex");
  EXPECT_GT(pixel(arrow, 4, 5)[3], 200) << "tip";
  EXPECT_EQ(pixel(arrow, arrow.width - 1, 0)[3], 0);
  EXPECT_EQ(pixel(arrow, 0, arrow.height - 1)[3], 0);
  const Image& hard = texture("base/tex/menu/arrow16.tex");
  int opaque = 0;
  for (size_t i = 3; i < hard.rgba.size(); i += 4) {
    EXPECT_TRUE(hard.rgba[i] == 0 || hard.rgba[i] == 255);
    opaque += hard.rgba[i] == 255;
  }
  EXPECT_GT(opaque, 200);
  EXPECT_EQ(texture("base/menu/arrow.tex").rgba, arrow.rgba) << "both cursor paths show the same arrow";
}

TEST_F(BuiltData, NothingIsFullyTransparent) {
  const Image& nothing = texture("base/tex/nothing.tex");
  ASSERT_FALSE(nothing.rgba.empty());
  for (size_t i = 3; i < nothing.rgba.size(); i += 4) EXPECT_EQ(nothing.rgba[i], 0);
}

TEST_F(BuiltData, BackgroundsAreOpaqueAndTheOptionsFrameIsTranslucent) {
  for (const std::string& path : kScreens) EXPECT_TRUE(texture(path).opaque()) << path;
  const Image& frame = texture("base/tex/menu/frame.tex");
  ASSERT_FALSE(frame.rgba.empty());
  EXPECT_EQ(pixel(frame, 0, 0)[3], 0) << "rounded corner";
  const uint8_t alpha = pixel(frame, frame.width / 3, frame.height / 2)[3];
  EXPECT_GT(alpha, 150);
  EXPECT_LT(alpha, 255) << "the scene should show through the options panel";
}

TEST_F(BuiltData, SplatsAndCrosshairFadeToTransparentEdges) {
  for (const std::string& path : kEffects) {
    SCOPED_TRACE(path);
    const Image& image = texture(path);
    ASSERT_FALSE(image.rgba.empty());
    EXPECT_EQ(pixel(image, 0, 0)[3], 0);
    EXPECT_EQ(pixel(image, image.width - 1, image.height / 2)[3], 0);
    int visible = 0;
    for (size_t i = 3; i < image.rgba.size(); i += 4) visible += image.rgba[i] > 64;
    EXPECT_GT(visible, static_cast<int>(image.rgba.size() / 4 / 50)) << "almost nothing to see";
  }
}

// Left half: the long walls, u from the near end (0) to the far end (0.5), with depth rings
// every twelfth of the length; right half: the far end.
TEST_F(BuiltData, MapsHaveDepthRingsOnTheWallHalfAndAFramedFarEnd) {
  int maps = 0;
  for (const auto& [path, map] : builtTextures()) {
    if (!startsWith(path, "base/tex/maps/") && path != "base/tex/map10.tex") continue;
    ++maps;
    SCOPED_TRACE(path);
    ASSERT_EQ(map.width, 2 * map.height);
    auto column = [&](int x) {
      float sum = 0;
      for (int y = 0; y < map.height; ++y) sum += luminance(pixel(map, x, y));
      return sum / map.height;
    };
    const int ring = map.width / 2 * 6 / 12;  // halfway down the arena
    EXPECT_GT(column(ring), column(ring + 21) + 0.05f);
    const int frameX = map.width / 2 + 8;  // the far end's frame
    EXPECT_GT(column(frameX), column(frameX + 40));
  }
  EXPECT_EQ(maps, 10);
}

TEST_F(BuiltData, NoPictureIsBlankExceptTheTransparentOne) {
  EXPECT_GT(builtTextures().size(), 100u);
  for (const auto& [path, image] : builtTextures()) {
    if (path == "base/tex/nothing.tex") continue;
    double sum = 0, squares = 0;
    const size_t n = image.rgba.size() / 4;
    for (size_t i = 0; i < n; ++i) {
      const float v = luminance(&image.rgba[i * 4]) * image.rgba[i * 4 + 3] / 255.0f;
      sum += v;
      squares += v * v;
    }
    const double mean = sum / n;
    EXPECT_GT(std::sqrt(squares / n - mean * mean), 0.03) << path << " is nearly uniform";
  }
}

TEST(ContactSheet, HoldsEveryPictureInLabelledCells) {
  std::vector<Picture> pictures = paintEffects();
  const Image sheet = contactSheet(pictures);
  EXPECT_EQ(sheet.width, 10 * 170);
  EXPECT_EQ(sheet.height, static_cast<int>((pictures.size() + 9) / 10) * (170 + 22));
  EXPECT_TRUE(sheet.opaque());
  // The crosshair's bright ring shows in the first cell; an empty cell keeps the checkerboard.
  float brightest = 0;
  for (int y = 5; y < 165; ++y) {
    for (int x = 5; x < 165; ++x) brightest = std::max(brightest, luminance(pixel(sheet, x, y)));
  }
  EXPECT_GT(brightest, 0.8f);
  const int emptyX = 9 * 170 + 85, emptyY = 85;
  EXPECT_LT(luminance(pixel(sheet, emptyX, emptyY)), 0.62f);
}

}  // namespace
}  // namespace assetgen::testing
