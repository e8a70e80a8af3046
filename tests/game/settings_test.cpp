// Section "Pong" of the configuration file: defaults without the section, the clamping of the
// saved skin and paddle numbers against the catalogue, the order in which keys are written,
// a round trip, and the name and camera rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "catalog.h"
#include "core/ini_file.h"
#include "match.h"
#include "settings.h"

namespace {

class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string stem = testing::TempDir() + "rallix_settings_" + info->name();
    configPath = stem + ".cfg";
    catalogPath = stem + ".pcf";
    std::snprintf(catalogBuffer, sizeof catalogBuffer, "%s", catalogPath.c_str());
    std::remove(configPath.c_str());
    std::remove(catalogPath.c_str());
  }
  void TearDown() override {
    std::remove(configPath.c_str());
    std::remove(catalogPath.c_str());
  }

  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
  }
  // What start-up does with the settings: read them, then the catalogue, then clamp.
  void Start() {
    const aruIniFile config(configPath.c_str());
    ReadSettings(config, options, match, catalog);
    catalog.LoadCatalogue();
    catalog.ClampSelections();
  }
  std::vector<std::string> KeysInFile() const {
    std::ifstream in(configPath);
    std::vector<std::string> keys;
    for (std::string line; std::getline(in, line);) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) keys.push_back(line.substr(0, equals));
    }
    return keys;
  }

  std::string configPath;
  std::string catalogPath;
  GameOptions options;
  RallixMatch match;
  char catalogBuffer[1024] = "";
  LevelCatalog catalog{catalogBuffer};
};

TEST_F(SettingsFile, WithoutAPongSectionEverythingHasItsDefault) {
  Write(configPath, "[ARU]\nIsSetup=1\n");
  Write(catalogPath, "[Game]\nNumSkins=4\n");
  Start();
  EXPECT_EQ(match.powerShotsAllowed, 1);
  EXPECT_TRUE(options.music);
  EXPECT_EQ(match.soundEffects, 1);
  EXPECT_FALSE(options.sound3D);
  EXPECT_EQ(catalog.skinNumber, 1);
  EXPECT_EQ(catalog.paddleModel, 1) << "0 clamped up";
  EXPECT_EQ(options.port, 2205);
  EXPECT_STREQ(options.serverHost, "");
  EXPECT_STREQ(match.playerName, "") << "a missing Name overwrites Player1";
  EXPECT_EQ(options.cameraMode, 0);
  EXPECT_FALSE(options.showCrosshair);
  EXPECT_FLOAT_EQ(match.guiSensitivity, 4.0f);
  EXPECT_FLOAT_EQ(match.gameSensitivity, 0.01f);
  EXPECT_EQ(ReadDebugMode(aruIniFile(configPath.c_str())), 0);
}

TEST_F(SettingsFile, EveryKeyIsReadIntoItsField) {
  Write(configPath,
        "[Pong]\nDebug=3\nPS=0\nMusic=0\nSFX=0\n3DSound=1\nTexNum=2\nPort=4000\n"
        "Server=host.example\nName=Ada\nModel=3\nCChoice=2\nCheater=1\nGUIS=2.5\nGUIG=0.02\n");
  Start();
  EXPECT_EQ(ReadDebugMode(aruIniFile(configPath.c_str())), 3);
  EXPECT_EQ(match.powerShotsAllowed, 0);
  EXPECT_FALSE(options.music);
  EXPECT_EQ(match.soundEffects, 0);
  EXPECT_TRUE(options.sound3D);
  EXPECT_EQ(catalog.skinNumber, 2);
  EXPECT_EQ(options.port, 4000);
  EXPECT_STREQ(options.serverHost, "host.example");
  EXPECT_STREQ(match.playerName, "Ada");
  EXPECT_EQ(catalog.paddleModel, 3);
  EXPECT_EQ(options.cameraMode, 2);
  EXPECT_TRUE(options.showCrosshair);
  EXPECT_FLOAT_EQ(match.guiSensitivity, 2.5f);
  EXPECT_FLOAT_EQ(match.gameSensitivity, 0.02f);
}

TEST_F(SettingsFile, SkinAndModelAboveTheCatalogueCountsAreLowered) {
  Write(configPath, "[Pong]\nTexNum=15\nModel=12\n");
  Write(catalogPath, "[Game]\nNumSkins=4\nNumPaddles=3\n");
  Start();
  EXPECT_EQ(catalog.skinNumber, 4);
  EXPECT_EQ(catalog.paddleModel, 3);
}

TEST_F(SettingsFile, LongStringsAreCutTo254Characters) {
  const std::string longText(400, 'x');
  Write(configPath, "[Pong]\nName=" + longText + "\nServer=" + longText + "\nGUIS=0." +
                        std::string(80, '5') + "\n");
  Start();
  EXPECT_EQ(std::string(match.playerName).size(), 254u);
  EXPECT_EQ(std::string(options.serverHost).size(), 254u);
  EXPECT_NEAR(match.guiSensitivity, 0.5555556f, 1e-6f);
}

TEST_F(SettingsFile, SensitivityOutOfFloatRangeKeepsItsDefault) {
  Write(configPath, "[Pong]\nGUIS=" + std::string(49, '9') + "\nGUIG=-1e999\n");
  Start();
  EXPECT_FLOAT_EQ(match.guiSensitivity, 4.0f);
  EXPECT_FLOAT_EQ(match.gameSensitivity, 0.01f);
}

TEST_F(SettingsFile, KeysAreWrittenInTheirFixedOrder) {
  catalog.skinNumber = 2;
  WriteSettings(aruIniFile(configPath.c_str()), options, match, catalog);
  const std::vector<std::string> expected = {"PS",      "TexNum", "Name",  "Port", "Server",
                                             "GUIS",    "GUIG",   "Cheater", "Music", "SFX",
                                             "Model",   "3DSound", "CChoice"};
  EXPECT_EQ(KeysInFile(), expected);
  EXPECT_EQ(aruIniFile(configPath.c_str()).ReadInt("Pong", "Debug", -1), -1)
      << "Debug is never written";
}

TEST_F(SettingsFile, WrittenValuesReadBackTheSame) {
  match.powerShotsAllowed = 0;
  match.soundEffects = 0;
  match.guiSensitivity = 3.25f;
  match.gameSensitivity = 0.015f;
  std::snprintf(match.playerName, sizeof match.playerName, "Grace");
  std::snprintf(options.serverHost, sizeof options.serverHost, "10.0.0.5");
  options.port = 3000;
  options.music = false;
  options.sound3D = true;
  options.showCrosshair = true;
  options.cameraMode = 1;
  catalog.skinNumber = 3;
  catalog.paddleModel = 2;
  WriteSettings(aruIniFile(configPath.c_str()), options, match, catalog);
  char text[64];
  aruIniFile(configPath.c_str()).ReadString(text, sizeof text, "Pong", "GUIS", "");
  EXPECT_STREQ(text, "3.250000");

  GameOptions readOptions;
  RallixMatch readMatch;
  LevelCatalog readCatalog(catalogPath.c_str());
  ReadSettings(aruIniFile(configPath.c_str()), readOptions, readMatch, readCatalog);
  EXPECT_EQ(readMatch.powerShotsAllowed, 0);
  EXPECT_EQ(readMatch.soundEffects, 0);
  EXPECT_FLOAT_EQ(readMatch.guiSensitivity, 3.25f);
  EXPECT_FLOAT_EQ(readMatch.gameSensitivity, 0.015f);
  EXPECT_STREQ(readMatch.playerName, "Grace");
  EXPECT_STREQ(readOptions.serverHost, "10.0.0.5");
  EXPECT_EQ(readOptions.port, 3000);
  EXPECT_FALSE(readOptions.music);
  EXPECT_TRUE(readOptions.sound3D);
  EXPECT_TRUE(readOptions.showCrosshair);
  EXPECT_EQ(readOptions.cameraMode, 1);
  EXPECT_EQ(readCatalog.skinNumber, 3);
  EXPECT_EQ(readCatalog.paddleModel, 2);
}

TEST(Nick, LongNamesAreCutToTenAndAnnounced) {
  char name[256] = "Player1";
  EXPECT_TRUE(ApplyNick(name, sizeof name, "Fifteen_letters"));
  EXPECT_STREQ(name, "Fifteen_le");
  EXPECT_TRUE(ApplyNick(name, sizeof name, "Bo"));
  EXPECT_STREQ(name, "Bo");
}

TEST(Nick, EmptyNameBecomesPlayer1WithoutAnnouncement) {
  char name[256] = "Someone";
  EXPECT_FALSE(ApplyNick(name, sizeof name, ""));
  EXPECT_STREQ(name, "Player1");
}

TEST(CameraCycle, GoesFirstPersonThirdPersonThenBackToFixed) {
  uint8_t mode = 0;
  EXPECT_STREQ(CycleCamera(mode), "First person view.");
  EXPECT_EQ(mode, 1);
  EXPECT_STREQ(CycleCamera(mode), "Third person view.");
  EXPECT_EQ(mode, 2);
  EXPECT_STREQ(CycleCamera(mode), "Fixed view.");
  EXPECT_EQ(mode, 0);
  mode = 9;  // a saved CChoice out of range
  EXPECT_STREQ(CycleCamera(mode), "Fixed view.");
  EXPECT_EQ(mode, 0);
}

}  // namespace
