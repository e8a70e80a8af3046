// The level catalogue over real INI files: defaults without a "Game" section, wrapping of the
// skin, paddle and level arrows, the unlock bits of CStat, recording a win, the results sound,
// the paddle path chosen before clamping, and bad values that must not break anything.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "catalog.h"
#include "core/ini_file.h"
#include "match_recorder.h"

namespace {

class CatalogFile : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    path = testing::TempDir() + "rallix_catalog_" + info->test_suite_name() + "_" + info->name() +
           ".pcf";
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }

  void Write(const std::string& text) { std::ofstream(path) << text; }
  std::string Contents() const {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  int32_t UnlockBits(int level) const {
    return aruIniFile(path.c_str()).ReadInt(("Level" + std::to_string(level)).c_str(), "CStat",
                                            -99);
  }

  std::string path;
};

TEST_F(CatalogFile, WithoutAGameSectionThereAreTenOfEachAndEmptyPaths) {
  Write("[Level1]\nName=Only\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.levelCount, 10);
  EXPECT_EQ(catalog.skinCount, 10);
  EXPECT_EQ(catalog.paddleCount, 10);
  EXPECT_EQ(catalog.paddleModelPath, "./base/mdl/Paddle.x");
  EXPECT_STREQ(catalog.NextSkin(), "");
  EXPECT_EQ(catalog.skinNumber, 2);
  EXPECT_STREQ(catalog.NextPaddle(), "") << "the arrows take the value even when empty";
  EXPECT_EQ(catalog.paddleModelPath, "");
}

TEST_F(CatalogFile, MissingFileGivesTheSameDefaults) {
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.levelCount, 10);
  EXPECT_EQ(catalog.paddleModelPath, "./base/mdl/Paddle.x");
  EXPECT_FALSE(catalog.IsUnlocked(2, 1));
}

TEST_F(CatalogFile, LevelArrowsWrapOverThreeLevels) {
  Write("[Game]\nNumLevels=3\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.NextLevel(3), 1);
  EXPECT_EQ(catalog.PreviousLevel(1), 3);
  EXPECT_EQ(catalog.NextLevel(1), 2);
  EXPECT_EQ(catalog.PreviousLevel(3), 2);
  EXPECT_EQ(catalog.NextLevel(0), 1) << "entering the pick screen: level 0 advanced once";
}

TEST_F(CatalogFile, SkinAndPaddleArrowsWrapAndReadTheirPaths) {
  Write("[Game]\nNumSkins=2\nNumPaddles=3\nSkin1=s1.tex\nSkin2=s2.tex\n"
        "Paddle1=p1.x\nPaddle2=p2.x\nPaddle3=p3.x\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.paddleModelPath, "p1.x");
  EXPECT_STREQ(catalog.NextSkin(), "s2.tex");
  EXPECT_STREQ(catalog.NextSkin(), "s1.tex");
  EXPECT_STREQ(catalog.PreviousSkin(), "s2.tex");
  EXPECT_EQ(catalog.skinNumber, 2);
  EXPECT_STREQ(catalog.PreviousPaddle(), "p3.x");
  EXPECT_EQ(catalog.paddleModel, 3);
  EXPECT_STREQ(catalog.NextPaddle(), "p1.x");
  EXPECT_EQ(catalog.paddleModelPath, "p1.x");
}

TEST_F(CatalogFile, EditsWhileRunningAreSeenAtTheNextRead) {
  Write("[Game]\nNumSkins=2\nSkin2=old.tex\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  Write("[Game]\nNumSkins=2\nSkin2=new.tex\n[Level2]\nCStat=1\n");
  EXPECT_STREQ(catalog.NextSkin(), "new.tex");
  EXPECT_TRUE(catalog.IsUnlocked(2, 1));
}

TEST_F(CatalogFile, CStatFiveOpensEasyAndHardOnly) {
  Write("[Game]\nNumLevels=3\n[Level2]\nCStat=5\n");
  LevelCatalog catalog(path.c_str());
  EXPECT_TRUE(catalog.IsUnlocked(2, 1));
  EXPECT_FALSE(catalog.IsUnlocked(2, 2));
  EXPECT_TRUE(catalog.IsUnlocked(2, 3));
  EXPECT_FALSE(catalog.IsUnlocked(2, 4));
  EXPECT_FALSE(catalog.IsUnlocked(2, 0));
  EXPECT_FALSE(catalog.IsUnlocked(2, 5));
  EXPECT_FALSE(catalog.IsUnlocked(3, 1));
  EXPECT_TRUE(catalog.IsUnlocked(1, 4)) << "level 1 is always open";
}

TEST_F(CatalogFile, CStatThatIsNotANumberCountsAsLocked) {
  Write("[Level2]\nCStat=open\n[Level3]\nCStat=\n");
  LevelCatalog catalog(path.c_str());
  for (int difficulty = 1; difficulty <= 4; ++difficulty) {
    EXPECT_FALSE(catalog.IsUnlocked(2, difficulty));
    EXPECT_FALSE(catalog.IsUnlocked(3, difficulty));
  }
}

TEST_F(CatalogFile, WinningOpensTheNextLevelAtThatDifficultyOnly) {
  Write("[Game]\nNumLevels=3\n[Level2]\nCStat=4\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  catalog.RecordWin(1, 2);
  EXPECT_EQ(UnlockBits(2), 6);
  catalog.RecordWin(1, 2);
  EXPECT_EQ(UnlockBits(2), 6) << "levels never lock again, bits are only added";
  catalog.RecordWin(2, 4);
  EXPECT_EQ(UnlockBits(3), 8);
  EXPECT_TRUE(catalog.IsUnlocked(3, 4));
  EXPECT_FALSE(catalog.IsUnlocked(3, 3));
}

TEST_F(CatalogFile, WinningTheLastLevelOrAtAnUnknownDifficultyWritesNothing) {
  const std::string text = "[Game]\nNumLevels=3\n[Level3]\nCStat=1\n";
  Write(text);
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  catalog.RecordWin(3, 2);
  catalog.RecordWin(2, 0);
  catalog.RecordWin(2, 5);
  EXPECT_EQ(Contents(), text);
  EXPECT_EQ(UnlockBits(4), -99);
}

TEST_F(CatalogFile, SavedPaddleNumberPicksThePathBeforeItIsClamped) {
  Write("[Game]\nNumPaddles=2\nNumSkins=3\nPaddle2=two.x\nPaddle5=five.x\n");
  LevelCatalog catalog(path.c_str());
  catalog.paddleModel = 5;
  catalog.skinNumber = 9;
  catalog.LoadCatalogue();
  catalog.ClampSelections();
  EXPECT_EQ(catalog.paddleModelPath, "five.x");
  EXPECT_EQ(catalog.paddleModel, 2);
  EXPECT_EQ(catalog.skinNumber, 3);
}

TEST_F(CatalogFile, SavedPaddleWithoutAPathKeepsTheDefaultModel) {
  Write("[Game]\nNumPaddles=2\nPaddle1=one.x\n");
  LevelCatalog catalog(path.c_str());
  catalog.paddleModel = 0;
  catalog.LoadCatalogue();
  catalog.ClampSelections();
  EXPECT_EQ(catalog.paddleModelPath, "./base/mdl/Paddle.x");
  EXPECT_EQ(catalog.paddleModel, 1) << "0 is raised to 1 after the path was read";
}

TEST_F(CatalogFile, ZeroOrNegativeCountsKeepSelectionsSane) {
  Write("[Game]\nNumLevels=0\nNumSkins=-4\nNumPaddles=0\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  catalog.ClampSelections();
  EXPECT_EQ(catalog.skinNumber, 1);
  EXPECT_EQ(catalog.paddleModel, 1);
  EXPECT_EQ(catalog.NextLevel(1), 1);
  EXPECT_EQ(catalog.PreviousLevel(1), 1);
  catalog.NextSkin();
  catalog.PreviousPaddle();
  EXPECT_EQ(catalog.skinNumber, 1);
  EXPECT_EQ(catalog.paddleModel, 1);
  catalog.RecordWin(1, 1);
  EXPECT_EQ(UnlockBits(2), -99) << "no level after level 1 exists";
}

TEST(CatalogWrap, OutOfRangeValuesComeBackIntoRange) {
  EXPECT_EQ(LevelCatalog::WrapForward(50, 10), 1);
  EXPECT_EQ(LevelCatalog::WrapBackward(50, 10), 10);
  EXPECT_EQ(LevelCatalog::WrapForward(-3, 10), 1);
  EXPECT_EQ(LevelCatalog::WrapBackward(-3, 10), 10);
  EXPECT_EQ(LevelCatalog::WrapForward(1, 1), 1);
  EXPECT_EQ(LevelCatalog::WrapBackward(1, 1), 1);
}

TEST_F(CatalogFile, LongValuesAreCutToTheirBuffers) {
  const std::string longName(3000, 'n');
  Write("[Game]\nNumSkins=1\nSkin1=" + longName + "\nPaddle1=" + longName + "\n[Level1]\nopn=" +
        longName + "\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.paddleModelPath.size(), 255u);
  EXPECT_EQ(std::string(catalog.NextSkin()).size(), 1023u);
  char opponent[255];
  EXPECT_TRUE(catalog.ReadLevelString(1, "opn", opponent, sizeof opponent, "CPU"));
  EXPECT_EQ(std::string(opponent).size(), 254u);
}

TEST_F(CatalogFile, LevelValuesFallBackToTheirDefaults) {
  Write("[Level1]\nName=Courtyard\n");
  LevelCatalog catalog(path.c_str());
  char text[64];
  EXPECT_TRUE(catalog.ReadLevelString(1, "Name", text, sizeof text, ""));
  EXPECT_STREQ(text, "Courtyard");
  EXPECT_FALSE(catalog.ReadLevelString(1, "opn", text, sizeof text, "CPU"));
  EXPECT_STREQ(text, "CPU");
  EXPECT_FALSE(catalog.ReadLevelString(7, "Name", text, sizeof text, ""));
  EXPECT_STREQ(text, "");
}

TEST_F(CatalogFile, ResultSoundDependsOnTheOutcome) {
  Write("[Game]\nNumLevels=2\nperfect=perfect.sfx\n[Level1]\nwin=win1.sfx\nlose=lose1.sfx\n"
        "[Level2]\nwin=win2.sfx\nlose=lose2.sfx\n");
  LevelCatalog catalog(path.c_str());
  catalog.LoadCatalogue();
  EXPECT_EQ(catalog.ResultSoundPath(false, true, 1), "lose1.sfx");
  EXPECT_EQ(catalog.ResultSoundPath(true, false, 1), "perfect.sfx");
  EXPECT_EQ(catalog.ResultSoundPath(true, true, 1), "win2.sfx") << "the level just unlocked";
  EXPECT_EQ(catalog.ResultSoundPath(true, true, 2), "win2.sfx") << "the last level's own";
}

TEST_F(CatalogFile, StartLevelRefusesALockedSelection) {
  Write("[Game]\nNumLevels=3\n[Level2]\nCStat=2\n");
  LevelCatalog catalog(path.c_str());
  RecordingMatch match;
  match.difficulty = 1;
  match.selectedLevel = 2;
  match.currentLevel = 1;
  EXPECT_FALSE(StartLevel(match, catalog));
  ASSERT_TRUE(match.Printed("That level is currently locked or unavailable!"));
  EXPECT_EQ(match.lines.back().colour, 0xFFC8FFFFu);
  EXPECT_EQ(match.currentLevel, 1);
  match.difficulty = 2;
  EXPECT_TRUE(StartLevel(match, catalog));
  EXPECT_EQ(match.currentLevel, 2);
  EXPECT_EQ(match.goalsToWin, 7);
  EXPECT_FLOAT_EQ(match.aiSpeed, 2.1f);
}

}  // namespace
