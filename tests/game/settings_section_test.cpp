// Saving section "Pong" at once: one replacement of the file per save, keys keeping their place,
// keys the game does not own (Debug, and any a player added) kept, the other sections untouched,
// and values that would break the line format cut rather than losing the whole save.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../platform/src/win32/profile_hooks.h"
#include "catalog.h"
#include "core/ini_file.h"
#include "match.h"
#include "settings.h"

namespace {

int renames = 0;
bool CountRename(const char*) { return ++renames > 0; }

class SettingsSection : public testing::Test {
 protected:
  void SetUp() override {
    path = testing::TempDir() + "rallix_section_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".cfg";
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }

  void Write(const std::string& text) const { std::ofstream(path) << text; }
  std::string Read() const {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    std::istringstream in(Read());
    for (std::string line; std::getline(in, line);) {
      if (line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
    }
    return keys;
  }
  void Save() {
    renames = 0;
    platform::SetProfileBeforeRenameHook(CountRename);
    WriteSettings(aruIniFile(path.c_str()), options, match, catalog);
    platform::SetProfileBeforeRenameHook(nullptr);
  }
  std::string Value(const char* key) const {
    char text[300];
    aruIniFile(path.c_str()).ReadString(text, sizeof text, "Pong", key, "(none)");
    return text;
  }

  std::string path;
  GameOptions options;
  RallixMatch match;
  LevelCatalog catalog{nullptr};
};

TEST_F(SettingsSection, OneReplacementKeepsForeignKeysPlacesAndOtherSections) {
  Write("[ARU]\nIsSetup=1\n\n[Pong]\nDebug=2\nname=Old\nMine=x\n; my note\n\n[Other]\nA=1\n");
  std::snprintf(match.playerName, sizeof match.playerName, "Ada");
  Save();
  EXPECT_EQ(renames, 1);
  const std::vector<std::string> expected = {"IsSetup", "Debug", "Name",    "Mine",  "PS",    "TexNum",
                                             "Port",    "Server", "GUIS",   "GUIG",  "Cheater", "Music",
                                             "SFX",     "Model",  "3DSound", "CChoice", "A"};
  EXPECT_EQ(Keys(), expected);
  EXPECT_EQ(Value("Debug"), "2");
  EXPECT_EQ(Value("Mine"), "x");
  EXPECT_EQ(Value("Name"), "Ada");
  EXPECT_NE(Read().find("; my note\n\n[Other]\nA=1\n"), std::string::npos) << Read();

  Save();
  EXPECT_EQ(renames, 0) << "saving the same settings again leaves the file as it is";
}

TEST_F(SettingsSection, ValuesWithLineBreaksOrLeadingBlanksAreCutNotRefused) {
  std::snprintf(match.playerName, sizeof match.playerName, "Ada\nEvil=1");
  std::snprintf(options.serverHost, sizeof options.serverHost, "  host.example");
  options.port = 4000;
  Save();
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(Value("Name"), "Ada");
  EXPECT_EQ(Value("Evil"), "(none)");
  EXPECT_EQ(Value("Server"), "host.example");
  EXPECT_EQ(Value("Port"), "4000");
}

TEST_F(SettingsSection, ANulInAForeignLineNeitherEndsTheSaveNorLosesItsKeys) {
  // The fuzzer's file: a key line with NUL bytes inside, before the game's own keys.
  Write(std::string("[pong]\r\nName=Old\r\nPor\0\0\0t=-70000\r\nGUIS=1e3\r\n[Pong\r\nServer=x\r\n", 61));
  options.port = 4321;
  Save();
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(Value("Port"), "4321");
  EXPECT_EQ(Value("CChoice"), "0");
  EXPECT_EQ(Value("GUIS"), "4.000000");
}

TEST_F(SettingsSection, AMissingFileIsCreatedAndANullPathWritesNothing) {
  Save();
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(Keys().size(), 13u);
  const std::string before = Read();
  renames = 0;
  platform::SetProfileBeforeRenameHook(CountRename);
  WriteSettings(aruIniFile(nullptr), options, match, catalog);
  platform::SetProfileBeforeRenameHook(nullptr);
  EXPECT_EQ(renames, 0);
  EXPECT_EQ(Read(), before);
}

}  // namespace
