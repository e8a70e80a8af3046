// The built game data: every file the game's code or its catalogue names exists in the run
// directory and is well formed; the data is reproducible; pictures drawn over the scene carry
// transparency and none is blank by mistake.
#include <gtest/gtest.h>

#include <fstream>
#include <algorithm>
#include <set>
#include <sstream>

#include "catalogue.h"
#include "fixture.h"
#include "generator.h"
#include "png_codec.h"

namespace assetgen::testing {
namespace {

std::vector<std::string> manifestPaths() {
  std::ifstream in(std::string(RALLIX_SOURCE_DIR) + "/tools/assetgen/manifest.txt");
  std::vector<std::string> paths;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') paths.push_back(line);
  }
  return paths;
}

// The string literals of a C++ source text, with escapes as written (a backslash stays doubled).
std::vector<std::string> stringLiterals(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0; (at = text.find('"', at)) != std::string::npos;) {
    std::string literal;
    size_t i = at + 1;
    for (; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) literal.push_back(text[i++]);
      literal.push_back(text[i]);
    }
    out.push_back(literal);
    at = i + 1;
  }
  return out;
}

// String literals in the engine's and the game's sources that name one file under base/ (not
// patterns with %d, not folders).
std::set<std::string> pathsInSources() {
  static const std::vector<std::string> kinds = {".tex", ".x", ".sfx", ".cfg", ".pcf"};
  std::set<std::string> found;
  for (const char* folder : {"aru", "game"}) {
    const std::filesystem::path root = std::filesystem::path(RALLIX_SOURCE_DIR) / folder;
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::vector<uint8_t> bytes = readBytes(entry.path());
      for (std::string literal : stringLiterals(std::string(bytes.begin(), bytes.end()))) {
        // A backslash is written twice in C++ source; either way it separates folders.
        for (size_t at; (at = literal.find("\\\\")) != std::string::npos;) literal.replace(at, 2, "/");
        const std::string name = storedName(literal);
        const std::string ext2 = std::filesystem::path(name).extension().string();
        if (name.rfind("base/", 0) != 0 || name.find('%') != std::string::npos) continue;
        if (std::find(kinds.begin(), kinds.end(), ext2) == kinds.end()) continue;
        found.insert(literal);
      }
    }
  }
  return found;
}

TEST_F(BuiltData, EveryFileNamedByTheGameExistsAndIsWellFormed) {
  const std::vector<std::string> paths = manifestPaths();
  ASSERT_GT(paths.size(), 80u) << "manifest not found or truncated";
  for (const std::string& path : paths) {
    EXPECT_EQ(checkFile(runDir(), storedName(path)), "") << path;
  }
}

TEST_F(BuiltData, EveryFileNamedInTheSourcesExistsAndIsWellFormed) {
  const std::set<std::string> paths = pathsInSources();
  EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [](const std::string& p) { return storedName(p) == "base/config.cfg"; }))
      << "the scan misses the engine's own configuration path";
  for (const std::string& path : paths) {
    EXPECT_EQ(checkFile(runDir(), storedName(path)), "") << path << " (named in the sources)";
  }
}

TEST_F(BuiltData, CatalogueNamesTenLevelsWhoseFilesAllExist) {
  const std::vector<uint8_t> bytes = readBytes(runDir() / "base/default.pcf");
  const Ini ini = parseIni(std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(ini.count("game"));
  const auto& game = ini.at("game");
  const int levels = std::stoi(game.at("numlevels"));
  const int skins = std::stoi(game.at("numskins"));
  const int paddles = std::stoi(game.at("numpaddles"));
  EXPECT_EQ(levels, 10);
  EXPECT_GE(skins, 2);
  EXPECT_GE(paddles, 2);
  EXPECT_EQ(storedName(game.at("paddle1")), "base/mdl/paddle.x") << "the default model comes first";
  for (int i = 1; i <= skins; ++i) EXPECT_EQ(checkFile(runDir(), storedName(game.at("skin" + std::to_string(i)))), "");
  for (int i = 1; i <= paddles; ++i) {
    EXPECT_EQ(checkFile(runDir(), storedName(game.at("paddle" + std::to_string(i)))), "");
  }
  for (const char* key : {"pingsound", "pongsound", "scoresound", "wallsound", "powersound", "screenshot", "perfect"}) {
    ASSERT_TRUE(game.count(key)) << key;
    EXPECT_EQ(checkFile(runDir(), storedName(game.at(key))), "") << key;
  }
  std::set<std::string> opponents;
  for (int n = 1; n <= levels; ++n) {
    const std::string section = "level" + std::to_string(n);
    ASSERT_TRUE(ini.count(section)) << section;
    const auto& level = ini.at(section);
    EXPECT_FALSE(level.at("name").empty());
    EXPECT_FALSE(level.at("opn").empty());
    opponents.insert(level.at("opn"));
    for (const char* key : {"thumb", "paddle", "opp", "map", "ball", "win", "lose"}) {
      ASSERT_TRUE(level.count(key)) << section << " " << key;
      EXPECT_EQ(checkFile(runDir(), storedName(level.at(key))), "") << section << " " << key;
    }
  }
  EXPECT_EQ(opponents.size(), static_cast<size_t>(levels)) << "each computer opponent has a name of its own";
}

TEST_F(BuiltData, FreshCatalogueOpensOnlyTheFirstLevel) {
  const Ini ini = parseIni(levelCatalogue());
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(ini.at("level" + std::to_string(n)).at("cstat"), "0") << n;
}

TEST_F(BuiltData, ScreenshotFolderExists) {
  EXPECT_TRUE(std::filesystem::is_directory(runDir() / "base" / "shots"));
}

// The build's files are byte for byte what a fresh run of the generator produces.
TEST_F(BuiltData, GeneratingAgainGivesIdenticalBytes) {
  const Generated fresh = generateAll();
  ASSERT_GT(fresh.files.size(), 100u);
  for (const Output& file : fresh.files) {
    if (file.keepExisting) continue;  // the player's files may have changed since
    EXPECT_TRUE(readBytes(runDir() / file.path) == file.bytes) << file.path << " differs from a fresh generation";
  }
}

}  // namespace
}  // namespace assetgen::testing
