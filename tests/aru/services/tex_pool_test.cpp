// The texture pool on the null device: shared indices for one file however its name is written,
// missing files, dropping and lazily reloading textures, binding, and the statistics report.
#include <gtest/gtest.h>

#include <filesystem>

#include "aru/test_support.h"
#include "service_engine.h"

using testing_support::ServiceEngine;
using testing_support::TempDir;
using testing_support::WriteSolidBitmap;

namespace {

class TexturePool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(engine.GetDevice(), nullptr);
    std::filesystem::create_directories(temp.path() / "tex");
    WriteSolidBitmap(temp.File("tex/wall.bmp"), 8, 4, 0xFF0000);
    WriteSolidBitmap(temp.File("tex/floor.bmp"), 4, 4, 0x00FF00);
    WriteSolidBitmap(temp.File("tex/sky.bmp"), 4, 8, 0x0000FF);
  }
  std::string Path(const char* name) { return temp.File(name); }

  TempDir temp;
  ServiceEngine engine;
};

TEST(TexturePoolNames, NormalisingTurnsBackslashesIntoSlashesAndLowersCase) {
  std::string name = ".\\Base\\TEX\\Console.TEX";
  aruTexPool::NormaliseName(name);
  EXPECT_EQ(name, "./base/tex/console.tex");
}

TEST_F(TexturePool, SameFileWithOtherSlashesAndCaseSharesIndexAndLoadsOnce) {
  std::string backslashed = Path("tex/wall.bmp");
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  const int32_t first = engine.LoadTexture(backslashed.c_str());
  ASSERT_EQ(first, 0);
  // With the file gone, only a shared record can answer the second request.
  std::filesystem::remove(temp.path() / "tex/wall.bmp");
  std::string shouted = Path("tex/WALL.BMP");
  EXPECT_EQ(engine.LoadTexture(shouted.c_str()), first);
  EXPECT_EQ(engine.GetCount(), 1);
  EXPECT_EQ(engine.GetDisplayName(first), "\"" + Path("tex/wall.bmp") + "\"");
}

TEST_F(TexturePool, ExistingNameWithOtherColourKeyOrMipsReturnsTheRecordUnchanged) {
  const int32_t index = engine.LoadTexture(Path("tex/floor.bmp").c_str(), 0, 1);
  ASSERT_GE(index, 0);
  EXPECT_EQ(engine.GetImageInfo(index).MipLevels, 1u);
  EXPECT_EQ(engine.LoadTexture(Path("tex/floor.bmp").c_str(), 0xFF00FF00, 3), index);
  EXPECT_EQ(engine.GetImageInfo(index).MipLevels, 1u);
  EXPECT_EQ(engine.GetCount(), 1);
}

TEST_F(TexturePool, MissingFileReturnsMinusOneAddsNoSlotAndIsTriedAgainLater) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  EXPECT_EQ(engine.LoadTexture(Path("tex/later.bmp").c_str()), -1);
  EXPECT_EQ(engine.LoadTexture(nullptr), -1);
  EXPECT_EQ(engine.GetCount(), 1);
  WriteSolidBitmap(temp.File("tex/later.bmp"), 4, 4, 0xFFFFFF);
  EXPECT_EQ(engine.LoadTexture(Path("tex/later.bmp").c_str()), 1);
}

TEST_F(TexturePool, RecordsTheImageInformationOfTheFirstLoad) {
  const int32_t index = engine.LoadTexture(Path("tex/wall.bmp").c_str());
  const D3DXIMAGE_INFO info = engine.GetImageInfo(index);
  EXPECT_EQ(info.Width, 8u);
  EXPECT_EQ(info.Height, 4u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  // Out-of-range indices are clamped to the first and the last slot.
  engine.LoadTexture(Path("tex/sky.bmp").c_str());
  EXPECT_EQ(engine.GetImageInfo(-5).Width, 8u);
  EXPECT_EQ(engine.GetImageInfo(99).Height, 8u);
  EXPECT_EQ(engine.GetDisplayName(2), "");
  EXPECT_EQ(engine.GetDisplayName(-1), "");
}

TEST_F(TexturePool, AfterReleaseAllBindingOneIndexReloadsOnlyThatTexture) {
  for (const char* name : {"tex/wall.bmp", "tex/floor.bmp", "tex/sky.bmp"}) engine.LoadTexture(Path(name).c_str());
  ASSERT_EQ(engine.GetCount(), 3);
  engine.ReleaseAll();
  for (int32_t i = 0; i < 3; ++i) EXPECT_FALSE(engine.IsLoaded(i)) << i;

  EXPECT_EQ(engine.BindTexture(1, 0), D3D_OK);
  EXPECT_FALSE(engine.IsLoaded(0));
  EXPECT_TRUE(engine.IsLoaded(1));
  EXPECT_FALSE(engine.IsLoaded(2));
  EXPECT_NE(engine.BoundTexture(0), nullptr);
  EXPECT_EQ(engine.GetCount(), 3);
}

TEST_F(TexturePool, ReleaseTextureDropsOneTextureAndIgnoresBadIndices) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  engine.LoadTexture(Path("tex/floor.bmp").c_str());
  engine.ReleaseTexture(-1);
  engine.ReleaseTexture(2);
  engine.ReleaseTexture(0);
  EXPECT_FALSE(engine.IsLoaded(0));
  EXPECT_TRUE(engine.IsLoaded(1));
  EXPECT_FALSE(engine.IsLoaded(-1));
  EXPECT_FALSE(engine.IsLoaded(2));
}

TEST_F(TexturePool, BindingMinusOneOrPastTheEndLeavesTheStageEmpty) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  ASSERT_EQ(engine.BindTexture(0, 0), D3D_OK);
  ASSERT_NE(engine.BoundTexture(0), nullptr);
  EXPECT_EQ(engine.BindTexture(-1, 0), D3D_OK);
  EXPECT_EQ(engine.BoundTexture(0), nullptr);
  engine.BindTexture(0, 0);
  EXPECT_EQ(engine.BindTexture(engine.GetCount(), 0), D3D_OK);
  EXPECT_EQ(engine.BoundTexture(0), nullptr);
  engine.BindTexture(0, 1);
  EXPECT_EQ(engine.UnbindStage(1), D3D_OK);
  EXPECT_EQ(engine.BoundTexture(1), nullptr);
}

TEST_F(TexturePool, AFailedReloadKeepsTheRecordAndIsRetriedAtTheNextBind) {
  const int32_t index = engine.LoadTexture(Path("tex/wall.bmp").c_str());
  engine.ReleaseAll();
  std::filesystem::rename(temp.path() / "tex/wall.bmp", temp.path() / "tex/moved.bmp");
  engine.BindTexture(index, 0);
  EXPECT_FALSE(engine.IsLoaded(index));
  EXPECT_EQ(engine.BoundTexture(0), nullptr);
  std::filesystem::rename(temp.path() / "tex/moved.bmp", temp.path() / "tex/wall.bmp");
  engine.BindTexture(index, 0);
  EXPECT_TRUE(engine.IsLoaded(index));
}

TEST_F(TexturePool, StatisticsOfAnEmptyPool) {
  const auto lines = engine.StatisticsLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "=== Texture Pool Statistics ===");
  EXPECT_EQ(lines[1].text, "Number of Textures: 0");
  char available[64];
  snprintf(available, sizeof available, "%.3f MB Available Texture Memory",
           engine.GetInitialTextureMemory() * 0.000001);
  EXPECT_EQ(lines[2].text, available);
  EXPECT_EQ(lines[3].text, "0.000 MB used by textures");
  EXPECT_EQ(lines[4].text, "0.000 KB used by pool");
  for (const auto& line : lines) EXPECT_EQ(line.colour, 0xFFFFFFB8u) << line.text;
}

TEST_F(TexturePool, StatisticsListLoadedAndDroppedTexturesInTheirColours) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  engine.LoadTexture(Path("tex/sky.bmp").c_str());
  engine.ReleaseTexture(1);
  const auto lines = engine.StatisticsLines();
  ASSERT_EQ(lines.size(), 7u);
  // The loaded mark " L " and the separator both bring a space.
  const std::string wall = "#0 L  \"" + Path("tex/wall.bmp") + "\" 8x4 Mip:1 Fmt:";
  EXPECT_EQ(lines[1].text.substr(0, wall.size()), wall);
  EXPECT_NE(lines[1].text.find(" Dpth:1 t:1"), std::string::npos) << lines[1].text;
  EXPECT_EQ(lines[1].colour, 0xFF00FF00u);
  const std::string sky = "#1 F  \"" + Path("tex/sky.bmp") + "\" 4x8 Mip:1";
  EXPECT_EQ(lines[2].text.substr(0, sky.size()), sky);
  EXPECT_EQ(lines[2].colour, 0xFFFFFFB8u);
  EXPECT_EQ(lines[3].text, "Number of Textures: 2");
  // Memory in use: what the device reports below the amount seen when it was attached.
  const double usedMegabytes =
      (engine.GetInitialTextureMemory() - engine.GetDevice()->GetAvailableTextureMem()) * 0.000001;
  char used[64];
  snprintf(used, sizeof used, "%.3f MB used by textures", usedMegabytes);
  EXPECT_EQ(lines[5].text, used);
  char pool[64];
  snprintf(pool, sizeof pool, "%.3f KB used by pool", 2 * sizeof(aruTextureRecord) * 0.001);
  EXPECT_EQ(lines[6].text, pool);
}

TEST_F(TexturePool, DumpStatisticsPrintsTheReportToTheEnginesConsole) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  const size_t before = engine.GetLines().size();
  engine.aruTexPool::DumpStatistics();
  const auto& lines = engine.GetLines();
  ASSERT_EQ(lines.size() - before, 6u);
  EXPECT_STREQ(lines[before].text, "=== Texture Pool Statistics ===");
  EXPECT_EQ(lines[before + 1].colour, 0xFF00FF00u);
  EXPECT_STREQ(lines[before + 2].text, "Number of Textures: 1");
}

TEST_F(TexturePool, ClearEmptiesThePool) {
  engine.LoadTexture(Path("tex/wall.bmp").c_str());
  engine.Clear();
  EXPECT_EQ(engine.GetCount(), 0);
  EXPECT_FALSE(engine.IsLoaded(0));
  EXPECT_EQ(engine.LoadTexture(Path("tex/wall.bmp").c_str()), 0);
}

}  // namespace
