// ShellExecuteA: programs are started (and found without ".exe"), documents go to xdg-open,
// and failures give the Windows result codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "temp_dir.h"
#include "windows.h"

namespace {

// Waits up to two seconds for a file that a started program creates.
bool AppearsSoon(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void WriteScript(const TempDir& dir, const std::string& name, const std::string& body) {
  dir.Write(name, "#!/bin/sh\n" + body + "\n");
  chmod(dir.Path(name).c_str(), 0755);
}

INT_PTR Result(HINSTANCE value) { return reinterpret_cast<INT_PTR>(value); }

TEST(ShellExecute, ExeNameStartsTheProgramBesideItInTheGivenDirectory) {
  TempDir dir;
  WriteScript(dir, "aruConfig", "pwd > started.txt; echo \"$1\" >> started.txt");
  INT_PTR result = Result(ShellExecuteA(nullptr, "open", ".\\aruConfig.exe", "--first",
                                        dir.Path().c_str(), SW_SHOW));
  EXPECT_GT(result, 32);
  ASSERT_TRUE(AppearsSoon(dir.Path("started.txt")));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(dir.Read("started.txt"), dir.Path() + "\n--first\n");
}

TEST(ShellExecute, MissingProgramGivesFileNotFound) {
  TempDir dir;
  INT_PTR result = Result(ShellExecuteA(nullptr, "open", "aruConfig-missing.exe", nullptr,
                                        dir.Path().c_str(), SW_SHOW));
  EXPECT_EQ(result, 2);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOW)), 2);
}

TEST(ShellExecute, DocumentsOpenThroughXdgOpen) {
  TempDir dir;
  dir.Write("base/errlog.html", "<html></html>");
  WriteScript(dir, "bin/xdg-open", "echo \"$1\" > \"" + dir.Path("opened.txt") + "\"");
  std::string oldPath = getenv("PATH");
  setenv("PATH", (dir.Path("bin") + ":" + oldPath).c_str(), 1);
  INT_PTR result = Result(ShellExecuteA(nullptr, "open", ".\\base\\errlog.html", nullptr,
                                        dir.Path().c_str(), SW_SHOW));
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_GT(result, 32);
  ASSERT_TRUE(AppearsSoon(dir.Path("opened.txt")));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(dir.Read("opened.txt"), dir.Path("base/errlog.html") + "\n");
}

TEST(ShellExecute, DocumentWithoutAnOpenerHasNoAssociation) {
  TempDir dir;
  dir.Write("readme.txt", "text");
  std::string oldPath = getenv("PATH");
  setenv("PATH", dir.Path().c_str(), 1);
  INT_PTR result = Result(ShellExecuteA(nullptr, "open", "readme.txt", nullptr, dir.Path().c_str(), SW_SHOW));
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(result, 31);
}

TEST(ShellExecute, UnknownVerbHasNoAssociation) {
  TempDir dir;
  WriteScript(dir, "tool", "true");
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "print", "tool", nullptr, dir.Path().c_str(), SW_SHOW)), 31);
}

}  // namespace
