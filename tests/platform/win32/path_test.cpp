// The file-name rule: backslashes and letter case of Windows paths still find the files.
#include <gtest/gtest.h>

#include "aru_platform.h"
#include "temp_dir.h"

namespace {

TEST(ResolvePath, BackslashesBecomeSlashes) {
  TempDir dir;
  dir.Write("base/tex/ball.tex", "x");
  std::string windowsPath = dir.Path() + "\\base\\tex\\ball.tex";
  EXPECT_EQ(platform::ResolvePath(windowsPath.c_str()), dir.Path("base/tex/ball.tex"));
}

TEST(ResolvePath, EachComponentMatchesIgnoringCaseWhenTheExactNameIsMissing) {
  TempDir dir;
  dir.Write("Base/Menu/Arrow.TEX", "x");
  std::string asWritten = dir.Path() + "/base\\MENU/arrow.tex";
  EXPECT_EQ(platform::ResolvePath(asWritten.c_str()), dir.Path("Base/Menu/Arrow.TEX"));
}

TEST(ResolvePath, ExactNameWinsOverADifferentlyCasedOne) {
  TempDir dir;
  dir.Write("shots/a.bmp", "lower");
  dir.Write("Shots/a.bmp", "upper");
  EXPECT_EQ(platform::ResolvePath((dir.Path() + "/Shots/a.bmp").c_str()), dir.Path("Shots/a.bmp"));
}

TEST(ResolvePath, NewFilesKeepTheirNameInTheResolvedFolder) {
  TempDir dir;
  dir.Write("Base/errlog.html", "");
  std::string newFile = dir.Path() + "\\BASE\\shots\\Shot1.bmp";
  EXPECT_EQ(platform::ResolvePath(newFile.c_str()), dir.Path("Base/shots/Shot1.bmp"));
}

TEST(ResolvePath, RelativePathsStayRelative) {
  TempDir dir;
  dir.Write("Base/Config.cfg", "");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  std::string resolved = platform::ResolvePath(".\\base\\config.cfg");
  std::string missing = platform::ResolvePath("nothing\\here.txt");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(resolved, "./Base/Config.cfg");
  EXPECT_EQ(missing, "nothing/here.txt");
  EXPECT_EQ(platform::ResolvePath(nullptr), "");
}

}  // namespace
