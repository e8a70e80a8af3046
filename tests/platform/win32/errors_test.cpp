// Last-error values per thread, their system texts, and the directory functions.
#include <gtest/gtest.h>

#include <thread>

#include "temp_dir.h"
#include "windows.h"

namespace {

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 1;
  std::thread([&] { seenByOther = GetLastError(); }).join();
  EXPECT_EQ(seenByOther, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}

TEST(FormatMessage, SystemTextsAreReadableForKnownAndUnknownCodes) {
  char text[256];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND,
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  EXPECT_EQ(std::string(text, length), "The system cannot find the file specified.\r\n");
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, DWORD(E_ACCESSDENIED), 0, text, sizeof text, nullptr);
  EXPECT_STREQ(text, "Access is denied.\r\n");
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, text, sizeof text, nullptr);
  EXPECT_STREQ(text, "Unknown error 99999 (0x0001869F).\r\n");
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, text, 5, nullptr), 0u);
}

TEST(FormatMessage, AllocatedBufferIsFreedWithLocalFree) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                                ERROR_SUCCESS, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, length), "The operation completed successfully.\r\n");
  EXPECT_EQ(LocalFree(text), nullptr);
}

TEST(Directories, CurrentDirectoryReportsTheNeededSizeWhenTooSmall) {
  char path[4096];
  DWORD length = GetCurrentDirectoryA(sizeof path, path);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(path), length);
  EXPECT_EQ(GetCurrentDirectoryA(2, path), length + 1);
}

TEST(Directories, CreateDirectoryFailsWhenItExistsOrItsParentIsMissing) {
  TempDir dir;
  dir.Write("Base/x", "");
  EXPECT_TRUE(CreateDirectoryA((dir.Path() + "\\base\\shots").c_str(), nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("Base/shots")));
  EXPECT_FALSE(CreateDirectoryA((dir.Path() + "/Base/shots").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA((dir.Path() + "/none/shots").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Directories, ModuleFileNameIsThisProgramAndTruncatesLikeWindows) {
  char path[4096];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ(std::string(path, length), std::filesystem::canonical("/proc/self/exe").string());
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 8u);
  EXPECT_EQ(std::strlen(small), 7u);
  EXPECT_EQ(GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER
}

}  // namespace
