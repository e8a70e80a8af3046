// The private-profile functions against the behaviour of their Windows originals: lookups,
// parsing of integers, buffer sizes, enumeration, and edits that keep the rest of the file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../../../platform/src/win32/profile_hooks.h"
#include <ctime>
#include <filesystem>
#include <fstream>

#include "temp_dir.h"
#include "windows.h"

namespace {

class Profile : public ::testing::Test {
 protected:
  std::string File() const { return dir.Path("config.cfg"); }
  void WriteFile(const std::string& text) const { dir.Write("config.cfg", text); }
  std::string ReadFile() const { return dir.Read("config.cfg"); }
  std::string Get(const char* section, const char* key, const char* fallback = "none") {
    char buffer[256];
    GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, File().c_str());
    return buffer;
  }
  UINT Int(const char* key, INT fallback = -7) {
    return GetPrivateProfileIntA("ARU", key, fallback, File().c_str());
  }
  TempDir dir;
};

TEST_F(Profile, SectionsAndKeysMatchWithoutRegardToCase) {
  WriteFile("[ARU]\nFullScreen=1\n[Pong]\nNick=Ann\n");
  EXPECT_EQ(Get("aru", "FULLSCREEN"), "1");
  EXPECT_EQ(Get("PONG", "nick"), "Ann");
  EXPECT_EQ(Get("Pong", "FullScreen"), "none");
}

TEST_F(Profile, WhitespaceAroundNamesAndValuesIsIgnored) {
  WriteFile("  [ ARU ]  \r\n  Adapter   =   2  \r\n\tName\t=\tTwo words\t\r\n");
  EXPECT_EQ(Get("ARU", "Adapter"), "2");
  EXPECT_EQ(Get("ARU", "Name"), "Two words");
}

TEST_F(Profile, SurroundingQuotesAreStrippedOnlyWhenTheyMatch) {
  WriteFile("[S]\na=\"quoted value\"\nb='single'\nc=\"unbalanced\nd=\"mixed'\ne=in\"side\"\n");
  EXPECT_EQ(Get("S", "a"), "quoted value");
  EXPECT_EQ(Get("S", "b"), "single");
  EXPECT_EQ(Get("S", "c"), "\"unbalanced");
  EXPECT_EQ(Get("S", "d"), "\"mixed'");
  EXPECT_EQ(Get("S", "e"), "in\"side\"");
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingSpaces) {
  EXPECT_EQ(Get("ARU", "Setup", "fallback  "), "fallback");
  WriteFile("[ARU]\n;Setup=commented\nBare\n");
  EXPECT_EQ(Get("ARU", "Setup", "x"), "x");
  EXPECT_EQ(Get("ARU", "Bare", "x"), "x");
  EXPECT_EQ(Get("Other", "Setup", nullptr), "");
}

TEST_F(Profile, StringResultCountsCharactersAndTruncatesToTheBuffer) {
  WriteFile("[S]\nk=abcdef\nempty=\n");
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 4, File().c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  char large[32];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", large, sizeof large, File().c_str()), 6u);
  EXPECT_EQ(GetPrivateProfileStringA("S", "empty", "def", large, sizeof large, File().c_str()), 0u);
  EXPECT_STREQ(large, "");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", large, 0, File().c_str()), 0u);
}

TEST_F(Profile, NullSectionListsSectionsAndNullKeyListsKeys) {
  WriteFile("[One]\na=1\nB=2\n[Two]\n[Three]\n");
  char buffer[64];
  DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, File().c_str());
  EXPECT_EQ(std::string(buffer, length + 1), std::string("One\0Two\0Three\0\0", 15));
  length = GetPrivateProfileStringA("one", nullptr, "", buffer, sizeof buffer, File().c_str());
  EXPECT_EQ(std::string(buffer, length + 1), std::string("a\0B\0\0", 5));
  // A list that does not fit is cut, double-terminated, and reported as size - 2.
  char small[6];
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", small, sizeof small, File().c_str()), 4u);
  EXPECT_EQ(std::string(small, 6), std::string("One\0\0\0", 6));
}

TEST_F(Profile, IntegersParseLeadingDigitsSignsAndHex) {
  WriteFile("[ARU]\nA=42\nB=-1\nC=0x1F\nD=12abc\nE=abc\nF=  +7\nG=\"5\"\nH=\nI=0XfF\n");
  EXPECT_EQ(Int("A"), 42u);
  EXPECT_EQ(INT(Int("B")), -1);
  EXPECT_EQ(Int("C"), 31u);
  EXPECT_EQ(Int("D"), 12u);
  EXPECT_EQ(Int("E"), 0u);
  EXPECT_EQ(Int("F"), 7u);
  EXPECT_EQ(Int("G"), 5u);
  EXPECT_EQ(INT(Int("H")), -7);  // an empty value counts as missing
  EXPECT_EQ(Int("I"), 255u);
  EXPECT_EQ(INT(Int("Missing", -1)), -1);
}

TEST_F(Profile, WritingCreatesFileSectionAndKey) {
  EXPECT_TRUE(WritePrivateProfileStringA("ARU", "IsSetup", "1", File().c_str()));
  EXPECT_EQ(ReadFile(), "[ARU]\nIsSetup=1\n");
  EXPECT_TRUE(WritePrivateProfileStringA("ARU", "Adapter", "0", File().c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA("Pong", "Nick", "  Ann", File().c_str()));
  EXPECT_EQ(ReadFile(), "[ARU]\nIsSetup=1\nAdapter=0\n\n[Pong]\nNick=Ann\n");
}

TEST_F(Profile, WritingReplacesInPlaceAndKeepsTheRestOfTheFile) {
  WriteFile("; settings\r\n[aru]\r\nisSetup = 0   ; old\r\nFormat=22\r\n\r\n[Pong]\r\nNick=Bo\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("ARU", "IsSetup", "2", File().c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA("ARU", "Samples", "4", File().c_str()));
  EXPECT_EQ(ReadFile(),
            "; settings\r\n[aru]\r\nisSetup=2\r\nFormat=22\r\nSamples=4\r\n\r\n[Pong]\r\nNick=Bo\r\n");
  EXPECT_EQ(Int("ISSETUP"), 2u);
}

TEST_F(Profile, NullValueDeletesKeyAndNullKeyDeletesSection) {
  WriteFile("[A]\nx=1\ny=2\n[B]\nz=3\n[C]\nw=4\n");
  EXPECT_TRUE(WritePrivateProfileStringA("a", "X", nullptr, File().c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA("b", nullptr, nullptr, File().c_str()));
  EXPECT_EQ(ReadFile(), "[A]\ny=2\n[C]\nw=4\n");
  // Deleting what is not there succeeds and creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringA("Q", nullptr, nullptr, dir.Path("absent.cfg").c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("absent.cfg")));
}

TEST_F(Profile, FileNamesUseEitherSlashAndAnyLetterCase) {
  dir.Write("Base/Config.CFG", "[ARU]\nShowFPS=1\n");
  std::string windowsName = dir.Path() + "\\base\\config.cfg";
  EXPECT_EQ(GetPrivateProfileIntA("ARU", "ShowFPS", 0, windowsName.c_str()), 1u);
  EXPECT_TRUE(WritePrivateProfileStringA("ARU", "ShowFPS", "0", windowsName.c_str()));
  EXPECT_EQ(dir.Read("Base/Config.CFG"), "[ARU]\nShowFPS=0\n");
}

TEST_F(Profile, ValuesThatWouldBreakTheFormatAreRefused) {
  WriteFile("[A]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "1\n[Evil]", File().c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("A]", "x", "1", File().c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "x", "1", File().c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(ReadFile(), "[A]\nx=1\n");
}

TEST_F(Profile, ReadOnlyFileOrMissingFolderMakesWritesFailAndLeavesTheFileAlone) {
  WriteFile("[A]\nx=1\n");
  chmod(File().c_str(), 0444);
  EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "2", File().c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFile(), "[A]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "2", dir.Path("no/such/dir.cfg").c_str()));
  EXPECT_EQ(dir.CountEntries(), 1);
}

bool AbortBeforeRename(const char*) { return false; }

TEST_F(Profile, WriteInterruptedBeforeRenameLeavesTheOldFileAndNoTemporary) {
  WriteFile("[ARU]\nIsSetup=1\nAdapter=0\n");
  platform::SetProfileBeforeRenameHook(AbortBeforeRename);
  BOOL written = WritePrivateProfileStringA("ARU", "IsSetup", "2", File().c_str());
  platform::SetProfileBeforeRenameHook(nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile(), "[ARU]\nIsSetup=1\nAdapter=0\n");
  EXPECT_EQ(dir.CountEntries(), 1);
}

bool CrashBeforeRename(const char*) { _exit(3); }

TEST_F(Profile, ProcessKilledDuringWriteLeavesTheOldFileComplete) {
  WriteFile("[ARU]\nIsSetup=1\n");
  pid_t child = fork();
  if (child == 0) {
    platform::SetProfileBeforeRenameHook(CrashBeforeRename);
    WritePrivateProfileStringA("ARU", "IsSetup", "2", File().c_str());
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(WEXITSTATUS(status), 3);  // the child really died inside the write
  EXPECT_EQ(ReadFile(), "[ARU]\nIsSetup=1\n");
  EXPECT_EQ(GetPrivateProfileIntA("ARU", "IsSetup", 0, File().c_str()), 1u);
}

// A temporary file of a writer killed long ago goes at the next write; a fresh one (a writer may
// be at work) and a file of the player's that only looks alike stay.
TEST_F(Profile, TheNextWriteRemovesOldLeftoversOfKilledWriters) {
  WriteFile("[A]\nx=1\n");
  const std::string stale = File() + ".partial-abc123", fresh = File() + ".partial-def456",
                    mine = File() + ".backup", longer = File() + ".partial-abc1234";
  for (const std::string& name : {stale, fresh, mine, longer}) std::ofstream(name) << "[A]\nx=";
  const timespec longAgo[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
  for (const std::string& name : {stale, mine, longer}) utimensat(AT_FDCWD, name.c_str(), longAgo, 0);

  EXPECT_TRUE(WritePrivateProfileStringA("A", "x", "2", File().c_str()));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(fresh));
  EXPECT_TRUE(std::filesystem::exists(mine));
  EXPECT_TRUE(std::filesystem::exists(longer));
  EXPECT_EQ(dir.CountEntries(), 4);
}

TEST_F(Profile, WritingKeepsTheFilePermissions) {
  WriteFile("[A]\nx=1\n");
  chmod(File().c_str(), 0600);
  EXPECT_TRUE(WritePrivateProfileStringA("A", "x", "2", File().c_str()));
  struct stat info{};
  stat(File().c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
