// The menu scenes' rules without a device: the options page's sensitivity cycles and save, the
// pick screen's lock and difficulty label over a real catalogue file, the results screen's
// figures and continue, the credits' list and markers, and scene changes that replace a pending
// scene without leaking it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include "rallix_game.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "scenes/scene3.h"
#include "scenes/scene5.h"

namespace {

class MenuGame : public testing::Test {
 protected:
  void SetUp() override {
    game = std::make_unique<RallixGame>();
    g_engine = game.get();
  }
  void TearDown() override {
    game.reset();
    g_engine = nullptr;
    if (!path.empty()) std::remove(path.c_str());
  }
  void WriteCatalogue(const std::string& text) {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    path = testing::TempDir() + "rallix_menus_" + info->name() + ".pcf";
    std::ofstream(path) << text;
    ASSERT_TRUE(game->SetLevelPath(path.c_str()));
    game->catalog.LoadCatalogue();
  }

  std::unique_ptr<RallixGame> game;
  std::string path;
};

TEST(MenuSensitivity, GuiValueCyclesThroughOneToTen) {
  EXPECT_EQ(menus::RaiseGuiSensitivity(10), 1);
  EXPECT_EQ(menus::LowerGuiSensitivity(1), 10);
  float value = 1;
  for (int expected = 2; expected <= 10; ++expected) {
    value = menus::RaiseGuiSensitivity(value);
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(menus::LowerGuiSensitivity(4), 3);
}

// Float sums of 0.001 must neither skip the top value nor run past it.
TEST(MenuSensitivity, GameValueCyclesThroughTenShownSteps) {
  float value = 0.006f;
  std::set<int> shown;
  for (int i = 0; i < 10; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f", menus::GameSensitivityShown(value));
    shown.insert(std::stoi(text));
    EXPECT_LE(value, 0.0155f);
    value = menus::RaiseGameSensitivity(value);
  }
  EXPECT_EQ(shown, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_FLOAT_EQ(value, 0.006f) << "raising from the top wraps to the bottom";
  EXPECT_FLOAT_EQ(menus::LowerGameSensitivity(0.006f), 0.015f);
  EXPECT_NEAR(menus::LowerGameSensitivity(0.010f), 0.009f, 1e-6);
  // The default of 0.01 is a valid step, shown as 5.
  EXPECT_FLOAT_EQ(menus::GameSensitivityShown(0.01f), 5.0f);
}

TEST_F(MenuGame, SavingOptionsSetsFlagsAndNameWithItsDefault) {
  menus::SaveOptions(*game, false, true, "");
  EXPECT_EQ(game->powerShotsAllowed, 0);
  EXPECT_TRUE(game->showCrosshair);
  EXPECT_STREQ(game->playerName, "Player1");

  menus::SaveOptions(*game, true, false, "Bartholomew the Long");
  EXPECT_EQ(game->powerShotsAllowed, 1);
  EXPECT_FALSE(game->showCrosshair);
  EXPECT_STREQ(game->playerName, "Bartholome");
}

TEST_F(MenuGame, PickScreenLocksFollowTheCatalogueAndDifficulty) {
  WriteCatalogue("[Game]\nNumLevels=3\n[Level2]\nCStat=5\n[Level3]\nCStat=0\n");
  game->selectedLevel = 1;
  for (int16_t d = 1; d <= 4; ++d) {
    game->difficulty = d;
    EXPECT_FALSE(menus::ShowsLock(*game)) << "level 1 is open at difficulty " << d;
  }
  game->selectedLevel = 2;
  const bool lockedAt[5] = {true, false, true, false, true};  // CStat 5: Easy and Hard open
  for (int16_t d = 0; d <= 4; ++d) {
    game->difficulty = d;
    EXPECT_EQ(menus::ShowsLock(*game), lockedAt[d]) << "difficulty " << d;
  }
  game->selectedLevel = 3;
  game->difficulty = 1;
  EXPECT_TRUE(menus::ShowsLock(*game));
}

TEST(MenuPickScreen, DifficultyLabels) {
  EXPECT_STREQ(menus::DifficultyLabel(1), "Difficulty: Easy");
  EXPECT_STREQ(menus::DifficultyLabel(2), "Difficulty: Medium");
  EXPECT_STREQ(menus::DifficultyLabel(3), "Difficulty: Hard");
  EXPECT_STREQ(menus::DifficultyLabel(4), "Difficulty: Impossible");
  EXPECT_STREQ(menus::DifficultyLabel(7), "");
}

TEST(MenuResults, MatchTimeResultAndDifficultyName) {
  EXPECT_EQ(menus::SplitMatchTime(125999).minutes, 2u);
  EXPECT_EQ(menus::SplitMatchTime(125999).seconds, 5u);
  EXPECT_EQ(menus::SplitMatchTime(999).seconds, 0u);
  // A serve time ahead of the clock wraps in unsigned arithmetic instead of going negative.
  EXPECT_EQ(menus::SplitMatchTime(0u - 1000u).minutes, 4294967295u / 60000u);

  EXPECT_EQ(menus::MatchResult(5, 5), 1);
  EXPECT_EQ(menus::MatchResult(6, 5), 1);
  EXPECT_EQ(menus::MatchResult(4, 5), 2);

  EXPECT_STREQ(menus::DifficultyName(1), "Easy");
  EXPECT_STREQ(menus::DifficultyName(2), "Medium");
  EXPECT_STREQ(menus::DifficultyName(3), "Hard");
  EXPECT_STREQ(menus::DifficultyName(4), "Impossible!");
  EXPECT_STREQ(menus::DifficultyName(0), "Hacked");
  EXPECT_STREQ(menus::DifficultyName(5), "Hacked");
}

TEST_F(MenuGame, ContinueGoesToTheNextLevelOrTheCreditsAfterTheLast) {
  WriteCatalogue("[Game]\nNumLevels=3\n");
  game->difficulty = 3;
  game->currentLevel = 1;
  EXPECT_FALSE(menus::AdvanceLevel(*game));
  EXPECT_EQ(game->currentLevel, 2);
  EXPECT_EQ(game->goalsToWin, 7);
  EXPECT_FLOAT_EQ(game->aiSpeed, game->ComputerSpeed(3));

  game->currentLevel = 3;
  game->goalsToWin = 9;
  EXPECT_TRUE(menus::AdvanceLevel(*game));
  EXPECT_EQ(game->currentLevel, 3) << "the last level stays current for the credits";
  EXPECT_EQ(game->goalsToWin, 9);
}

TEST(MenuCredits, MarkersChooseColourAndAreNotDrawn) {
  const menus::CreditLook heading = menus::LookOfCreditLine("+Music");
  EXPECT_EQ(heading.colour, 0xFF00FF00u);
  EXPECT_STREQ(heading.text, "Music");
  EXPECT_EQ(menus::LookOfCreditLine("-Credits").colour, 0xFF0000FFu);
  EXPECT_STREQ(menus::LookOfCreditLine("-Credits").text, "Credits");
  EXPECT_EQ(menus::LookOfCreditLine("=Quillmark Rallix").colour, 0xFFFF0000u);
  EXPECT_STREQ(menus::LookOfCreditLine("=Quillmark Rallix").text, "Quillmark Rallix");
  EXPECT_EQ(menus::LookOfCreditLine("Plain name").colour, 0xFFFFFFFFu);
  EXPECT_STREQ(menus::LookOfCreditLine("Plain name").text, "Plain name");
  EXPECT_STREQ(menus::LookOfCreditLine("").text, "");
}

TEST(MenuCredits, ListHasItsSectionsGapsAndClosing) {
  const std::vector<const char*> lines = menus::CreditLines();
  ASSERT_GT(lines.size(), 10u);
  EXPECT_STREQ(lines[0], "-Credits");
  EXPECT_STREQ(lines[1], "");
  EXPECT_STREQ(lines[2], "");
  const char* headings[] = {"+Programming", "+Sound Effects", "+Voices", "+Music",
                            "+2D Artwork", "+3D Models", "+Level Design", "+Special Thanks"};
  size_t at = 3;
  for (const char* heading : headings) {
    ASSERT_LT(at, lines.size());
    EXPECT_STREQ(lines[at], heading);
    ++at;
    size_t names = 0;
    while (at < lines.size() && lines[at][0] != '\0') ++names, ++at;
    EXPECT_GE(names, 1u) << heading << " has credit names";
    size_t gaps = 0;
    while (at < lines.size() && lines[at][0] == '\0') ++gaps, ++at;
    EXPECT_EQ(gaps, std::string_view(heading) == "+Special Thanks" ? 5u : 2u) << "after " << heading;
  }
  ASSERT_EQ(lines.size(), at + 6);
  EXPECT_STREQ(lines[at], "=Quillmark Rallix");
  EXPECT_NE(lines[at + 1][0], '\0');
  EXPECT_EQ(lines[at + 2][0], '-') << "the second closing line is blue";
  EXPECT_STREQ(lines[at + 3], "");
  EXPECT_STREQ(lines[at + 4], "");
  EXPECT_STREQ(lines.back(), "Thanks for Playing!");
}

int liveScenes = 0;
class CountedScene : public aruScene {
 public:
  explicit CountedScene(ARU* engine) : aruScene(engine) { ++liveScenes; }
  ~CountedScene() override { --liveScenes; }
  HRESULT Initialize() override { return 0; }
  HRESULT Render() override { return 0; }
};

TEST_F(MenuGame, ASecondSceneChangeInOneFrameDropsThePendingScene) {
  liveScenes = 0;
  menus::ChangeTo(new CountedScene(game.get()));
  aruScene* second = new CountedScene(game.get());
  menus::ChangeTo(second);
  EXPECT_EQ(liveScenes, 1) << "the first pending scene was deleted";
  EXPECT_EQ(game->GetNextScene(), second);
  menus::ChangeTo(second);  // asking again for the same scene keeps it
  EXPECT_EQ(liveScenes, 1);
  EXPECT_EQ(game->GetNextScene(), second);
}

}  // namespace
