// MoveFileExA and DeleteFileA: replacing only when asked, moving without losing contents, and
// the errors a caller acts on.
#include <gtest/gtest.h>
#include <windows.h>

#include "temp_dir.h"

TEST(MoveFileEx, ReplacesTheTargetOnlyWhenAskedAndKeepsTheSourceOtherwise) {
  TempDir dir;
  dir.Write("new.bmp", "new picture");
  dir.Write("Shot.bmp", "old picture");
  const std::string from = dir.Path("new.bmp"), to = dir.Path("Shot.bmp");

  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(dir.Read("Shot.bmp"), "old picture");
  EXPECT_EQ(dir.Read("new.bmp"), "new picture");

  EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(dir.Read("Shot.bmp"), "new picture");
  EXPECT_EQ(dir.CountEntries(), 1);
}

TEST(MoveFileEx, RefusesMissingSourcesAndUnofferedModes) {
  TempDir dir;
  dir.Write("a", "a");
  const std::string missing = dir.Path("missing"), a = dir.Path("a"), b = dir.Path("b");
  EXPECT_FALSE(MoveFileExA(missing.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileExA(a.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(MoveFileExA(a.c_str(), b.c_str(), MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(dir.Read("a"), "a");
}

TEST(DeleteFile, RemovesAFileAndReportsAMissingOne) {
  TempDir dir;
  dir.Write("x", "x");
  const std::string x = dir.Path("x");
  EXPECT_TRUE(DeleteFileA(x.c_str()));
  EXPECT_EQ(dir.CountEntries(), 0);
  EXPECT_FALSE(DeleteFileA(x.c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}
