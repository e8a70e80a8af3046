// Whole-section reads and writes of profile files: the section's key lines as a list, cut to
// the buffer as Windows cuts lists; a write that replaces the section's lines in one file
// replacement, keeping the other sections, the comments around it and the blank line before
// the next header; and refusals that leave the file alone.
#include <gtest/gtest.h>

#include <string>

#include "../../../platform/src/win32/profile_hooks.h"
#include "temp_dir.h"
#include "windows.h"

namespace {

int renames = 0;
bool CountRename(const char*) { return ++renames > 0; }
bool AbortRename(const char*) { return false; }

class ProfileSection : public ::testing::Test {
 protected:
  std::string File() const { return dir.Path("config.cfg"); }
  void WriteFile(const std::string& text) const { dir.Write("config.cfg", text); }
  std::string ReadFile() const { return dir.Read("config.cfg"); }
  // The returned list with its NULs shown as '|'.
  std::string Section(const char* section, DWORD size = 256, DWORD* length = nullptr) {
    std::string buffer(size, '#');
    const DWORD got = GetPrivateProfileSectionA(section, buffer.data(), size, File().c_str());
    if (length != nullptr) *length = got;
    std::string shown = buffer.substr(0, got + 1);
    for (char& c : shown) c = c == '\0' ? '|' : c;
    return shown;
  }
  BOOL Replace(const char* section, const std::string& list) {
    return WritePrivateProfileSectionA(section, list.c_str(), File().c_str());
  }
  TempDir dir;
};

TEST_F(ProfileSection, ReadListsTheKeyLinesOfTheFirstMatchingSectionOnly) {
  WriteFile("[ARU]\nIsSetup=1\n[pong]\n; a comment\n  Name = Ada  \nFlag\n\n[Pong]\nLater=1\n");
  DWORD length = 0;
  EXPECT_EQ(Section("Pong", 256, &length), "Name = Ada|Flag||");
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(Section("Missing"), "|");
  EXPECT_EQ(Section(nullptr), "|");
  EXPECT_EQ(GetPrivateProfileSectionA("Pong", nullptr, 10, File().c_str()), 0u);
}

TEST_F(ProfileSection, ReadCutsLinesAtANulSoNoPieceBecomesALineOfItsOwn) {
  WriteFile(std::string("[Pong]\nName=se\0\0[ARU]\n\0\0Hidden=1\nPort=1\n", 40));
  EXPECT_EQ(Section("Pong"), "Name=se|Port=1||");
}

TEST_F(ProfileSection, ReadIntoASmallBufferIsCutAndReportsItsSizeLessTwo) {
  WriteFile("[Pong]\nName=Ada\nPort=2205\n");
  DWORD length = 0;
  EXPECT_EQ(Section("Pong", 8, &length), "Name=A|");
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(Section("Pong", 1, &length), "|");
  EXPECT_EQ(length, 0u);
}

TEST_F(ProfileSection, WriteReplacesTheSectionInOneRenameAndKeepsTheRest) {
  WriteFile("; settings\n[ARU]\nIsSetup=1\n\n[Pong]\nName=Old\nDebug=1\n\n; next\n[Other]\nA=1\n");
  renames = 0;
  platform::SetProfileBeforeRenameHook(CountRename);
  const BOOL written = Replace("pong", std::string("Name=New\0Debug=1\0Port=1\0", 25));
  platform::SetProfileBeforeRenameHook(nullptr);
  EXPECT_TRUE(written);
  EXPECT_EQ(renames, 1);
  EXPECT_EQ(ReadFile(), "; settings\n[ARU]\nIsSetup=1\n\n[Pong]\nName=New\nDebug=1\nPort=1\n\n; next\n[Other]\nA=1\n");

  renames = 0;
  platform::SetProfileBeforeRenameHook(CountRename);
  EXPECT_TRUE(Replace("Pong", std::string("Name=New\0Debug=1\0Port=1\0", 25)));
  platform::SetProfileBeforeRenameHook(nullptr);
  EXPECT_EQ(renames, 0) << "an unchanged section is not written again";
}

TEST_F(ProfileSection, WriteAddsAMissingSectionOrFileAndANullListRemovesIt) {
  EXPECT_TRUE(Replace("Pong", std::string("A=1\0B=2\0", 9)));
  EXPECT_EQ(ReadFile(), "[Pong]\nA=1\nB=2\n");
  EXPECT_TRUE(Replace("ARU", std::string("IsSetup=1\0", 11)));
  EXPECT_EQ(ReadFile(), "[Pong]\nA=1\nB=2\n\n[ARU]\nIsSetup=1\n");
  EXPECT_TRUE(Replace("Pong", std::string("\0", 1)));
  EXPECT_EQ(ReadFile(), "[Pong]\n\n[ARU]\nIsSetup=1\n") << "an empty list leaves the header";
  EXPECT_TRUE(WritePrivateProfileSectionA("Pong", nullptr, File().c_str()));
  EXPECT_EQ(ReadFile(), "[ARU]\nIsSetup=1\n");
}

TEST_F(ProfileSection, RefusedOrInterruptedWritesLeaveTheOldFile) {
  const std::string old = "[Pong]\nName=Old\nPort=1\n";
  WriteFile(old);
  EXPECT_FALSE(Replace("Pong", std::string("Name=Two\nlines\0", 16)));
  EXPECT_FALSE(Replace("Po]ng", std::string("A=1\0", 5)));
  EXPECT_FALSE(WritePrivateProfileSectionA(nullptr, "A=1\0", File().c_str()));
  EXPECT_FALSE(WritePrivateProfileSectionA("Pong", "A=1\0", nullptr));
  platform::SetProfileBeforeRenameHook(AbortRename);
  EXPECT_FALSE(Replace("Pong", std::string("Name=New\0Port=2\0", 17)));
  platform::SetProfileBeforeRenameHook(nullptr);
  EXPECT_EQ(ReadFile(), old);
  EXPECT_EQ(dir.CountEntries(), 1) << "no temporary file stays behind";
}

}  // namespace
