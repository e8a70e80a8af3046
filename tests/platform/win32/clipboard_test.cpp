// The clipboard and GlobalAlloc blocks: text round trip, open/close rules, block sizes.
#include "window_probe.h"

namespace {

using Clipboard = HeadlessWindow;

HGLOBAL TextBlock(const char* text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::memcpy(GlobalLock(block), text, std::strlen(text) + 1);
  GlobalUnlock(block);
  return block;
}

TEST_F(Clipboard, TextSetIsTheTextRead) {
  ASSERT_TRUE(OpenClipboard(window));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(CF_TEXT, TextBlock("connect host:2205")) != nullptr, true);
  EXPECT_TRUE(CloseClipboard());
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(window));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  const char* text = static_cast<const char*>(GlobalLock(data));
  EXPECT_STREQ(text, "connect host:2205");
  GlobalUnlock(data);
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, ClosedClipboardRefusesAccessAndEmptyOneHasNoText) {
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  ASSERT_TRUE(OpenClipboard(window));
  EXPECT_FALSE(OpenClipboard(window));
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  CloseClipboard();
}

TEST(GlobalMemory, BlocksKnowTheirSizeLockCountAndZeroFill) {
  HGLOBAL block = GlobalAlloc(GHND, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  unsigned char* bytes = static_cast<unsigned char*>(GlobalLock(block));
  for (int i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], 0) << i;
  GlobalLock(block);
  EXPECT_TRUE(GlobalUnlock(block));
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, TextWithoutTerminatorIsCutAtTheBlockEnd) {
  setenv("ARU_VIDEO", "null", 1);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(block), "abc", 3);
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT))), "abc");
  CloseClipboard();
}

}  // namespace
