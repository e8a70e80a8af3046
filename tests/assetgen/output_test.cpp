// Writing the data into a run directory: folders are created (including the screenshot
// folder), the player's configuration and catalogue survive a rebuild, unchanged files are left
// alone and changed ones replaced; the defaults start the game directly in a window.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "catalogue.h"
#include "fixture.h"
#include "generator.h"

namespace assetgen::testing {
namespace {

class RunDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("assetgen-output-" + std::to_string(tick));
    data_.files = {{"base/tex/menu/a.tex", {1, 2, 3}, false},
                   {"base/sfx/b.sfx", {4, 5}, false},
                   {"base/config.cfg", {'n', 'e', 'w'}, true},
                   {"base/default.pcf", {'c', 'a', 't'}, true}};
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  WriteReport write() {
    WriteReport report;
    std::string error;
    EXPECT_TRUE(writeAll(data_, dir_, report, error)) << error;
    return report;
  }

  std::filesystem::path dir_;
  Generated data_;
};

TEST_F(RunDirectory, FirstWriteCreatesFoldersAndEveryFile) {
  const WriteReport report = write();
  EXPECT_EQ(report.written, 4);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "base/shots"));
  EXPECT_EQ(readBytes(dir_ / "base/tex/menu/a.tex"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "base/tex/menu/a.tex.tmp"));
}

TEST_F(RunDirectory, PlayerSettingsAndUnlocksSurviveARebuild) {
  write();
  std::filesystem::remove(dir_ / "base/config.cfg");
  {
    std::ofstream edited(dir_ / "base/default.pcf", std::ios::binary | std::ios::trunc);
    edited << "unlocked";
  }
  data_.files[0].bytes = {9, 9};
  const WriteReport report = write();
  EXPECT_EQ(report.written, 2) << "the changed texture and the missing configuration";
  EXPECT_EQ(report.unchanged, 1);
  EXPECT_EQ(report.kept, 1);
  EXPECT_EQ(readBytes(dir_ / "base/default.pcf"), (std::vector<uint8_t>{'u', 'n', 'l', 'o', 'c', 'k', 'e', 'd'}));
  EXPECT_EQ(readBytes(dir_ / "base/config.cfg"), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(readBytes(dir_ / "base/tex/menu/a.tex"), (std::vector<uint8_t>{9, 9}));
}

TEST_F(RunDirectory, AnUnwritableLocationIsReported) {
  write();
  data_.files = {{"base/config.cfg/inside.tex", {1}, false}};  // a file stands where a folder must go
  WriteReport report;
  std::string error;
  EXPECT_FALSE(writeAll(data_, dir_, report, error));
  EXPECT_NE(error.find("config.cfg"), std::string::npos) << error;
}

TEST(DefaultConfiguration, StartsTheGameDirectlyInAWindowWithSoundAndMusic) {
  const Ini ini = parseIni(defaultConfig());
  const auto& engine = ini.at("aru");
  EXPECT_EQ(engine.at("issetup"), "1");
  EXPECT_EQ(engine.at("fullscreen"), "0");
  EXPECT_EQ(engine.at("adapter"), "0");
  EXPECT_EQ(engine.at("device"), "1");
  EXPECT_EQ(engine.at("format"), "22") << "32-bit";
  EXPECT_EQ(engine.at("resolution"), "-1");
  const auto& game = ini.at("pong");
  EXPECT_EQ(game.at("music"), "1");
  EXPECT_EQ(game.at("sfx"), "1");
  EXPECT_EQ(game.at("name"), "Player1");
  EXPECT_EQ(game.at("port"), "2205");
  EXPECT_EQ(defaultConfig().find('\r'), std::string::npos) << "plain line ends";
}

TEST(StoredNames, GamePathsMapToLowerCaseForwardSlashNames) {
  EXPECT_EQ(storedName(".\\base\\tex\\menu\\LetsGo1.tex"), "base/tex/menu/letsgo1.tex");
  EXPECT_EQ(storedName("./base/mdl/Paddle.x"), "base/mdl/paddle.x");
  EXPECT_EQ(storedName(".\\base\\tex\\/skins//skin1.tex"), "base/tex/skins/skin1.tex");
}

}  // namespace
}  // namespace assetgen::testing
