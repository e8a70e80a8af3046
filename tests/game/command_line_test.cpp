// The game's command line: which arguments ask for information, the usage text against the
// README's environment variables, the joined catalogue path and the missing-catalogue line.
#include "command_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "aru/test_support.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

TEST(CommandLineTest, OnlyALoneInformationOptionStopsThePlay) {
  const char* help[] = {"rallix-game", "--help"};
  const char* shortHelp[] = {"rallix-game", "-h"};
  const char* version[] = {"rallix-game", "--version"};
  const char* none[] = {"rallix-game"};
  const char* path[] = {"rallix-game", "levels.pcf"};
  // A catalogue path whose words happen to include an option is still a path.
  const char* spaced[] = {"rallix-game", "my", "--help"};
  EXPECT_EQ(ReadStartRequest(2, help), StartRequest::Help);
  EXPECT_EQ(ReadStartRequest(2, shortHelp), StartRequest::Help);
  EXPECT_EQ(ReadStartRequest(2, version), StartRequest::Version);
  EXPECT_EQ(ReadStartRequest(1, none), StartRequest::Play);
  EXPECT_EQ(ReadStartRequest(2, path), StartRequest::Play);
  EXPECT_EQ(ReadStartRequest(3, spaced), StartRequest::Play);
  EXPECT_EQ(JoinArguments(3, spaced), "my --help");
  EXPECT_EQ(JoinArguments(1, none), "");
}

TEST(CommandLineTest, UsageNamesEveryEnvironmentVariableOfTheReadme) {
  const std::string readme = ReadFile(std::string(RALLIX_SOURCE_DIR) + "/README.md");
  ASSERT_FALSE(readme.empty());
  const std::string usage = UsageText();
  const std::regex variable("ARU_[A-Z_]+");
  std::set<std::string> named;
  for (std::sregex_iterator it(readme.begin(), readme.end(), variable), end; it != end; ++it) named.insert(it->str());
  ASSERT_FALSE(named.empty());
  for (const std::string& name : named) EXPECT_NE(usage.find(name), std::string::npos) << name;
  EXPECT_NE(usage.find("[LEVEL-CATALOGUE]"), std::string::npos);
  EXPECT_EQ(VersionText().rfind("rallix-game ", 0), 0u);
  EXPECT_EQ(VersionText().find("unknown"), std::string::npos);
}

TEST(CommandLineTest, OnlyACatalogueThatIsAFileGoesWithoutAWarning) {
  TempDir dir;
  const std::string file = dir.File("Levels.pcf");
  std::ofstream(file) << "[Levels]\n";
  EXPECT_EQ(MissingCatalogueWarning(file.c_str()), "");
  // Windows-style names resolve case-insensitively, as the game opens them.
  EXPECT_EQ(MissingCatalogueWarning(dir.File("levels.PCF").c_str()), "");
  const std::string missing = dir.File("none.pcf");
  EXPECT_EQ(MissingCatalogueWarning(missing.c_str()),
            "rallix-game: the level catalogue \"" + missing + "\" does not exist or is not a file\n");
  EXPECT_NE(MissingCatalogueWarning(dir.path().string().c_str()), "");
}

}  // namespace
