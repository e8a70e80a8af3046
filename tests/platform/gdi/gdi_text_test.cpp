// GDI text on memory DCs: font matching and fallback, extents, glyphs drawn into DIB sections
// (top-down and bottom-up) where the alignment puts them, colours, object lifetimes and MulDiv.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "windows.h"

namespace {

constexpr int kWidth = 96, kHeight = 48;

class GdiText : public ::testing::Test {
 protected:
  void SetUp() override {
    dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    bitmap = MakeBitmap(-kHeight);
    ASSERT_NE(bitmap, nullptr);
    font = MakeFont(-25, FW_NORMAL, FALSE, "Verdana");
    ASSERT_NE(font, nullptr);
    SelectObject(dc, bitmap);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_TOP | TA_LEFT);
  }

  void TearDown() override {
    // The order the engine's font uses: bitmap and DC first, font last.
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(font));
  }

  static HFONT MakeFont(int height, int weight, BOOL italic, const char* face) {
    return CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, face);
  }

  // Selects `other`, measures `text`, and selects the fixture's font again.
  SIZE MeasureWith(HFONT other, const char* text) {
    SIZE size{};
    EXPECT_EQ(SelectObject(dc, other), font);
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size));
    SelectObject(dc, font);
    return size;
  }

  HBITMAP MakeBitmap(LONG height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP created = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<uint32_t*>(bits);
    return created;
  }

  // The box of all pixels whose blue byte is set; right/bottom exclusive.
  RECT LitBox(bool bottomUp = false) {
    RECT box{kWidth, kHeight, -1, -1};
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (pixels[y * kWidth + x] & 0xFF) {
          int row = bottomUp ? kHeight - 1 - y : y;
          box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, row), std::max<LONG>(box.right, x + 1),
                 std::max<LONG>(box.bottom, row + 1)};
        }
    return box;
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HFONT font = nullptr;
  uint32_t* pixels = nullptr;
};

TEST_F(GdiText, ExtentsAreTheWholePixelAdvances) {
  // Measured on this machine at 25 pixels: H=19 e=15 l=7 o=15 space=8 digits=16.
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello 123", 9, &size));
  EXPECT_EQ(size.cx, 19 + 15 + 7 + 7 + 15 + 8 + 3 * 16);
  // The cell is the face's ascent plus descent: 1901 + 483 font units of 2048 at 25 pixels.
  EXPECT_EQ(size.cy, 23 + 6);
  const std::pair<const char*, LONG> singles[] = {{"H", 19}, {"e", 15}, {"l", 7}, {" ", 8}, {"7", 16}};
  for (const auto& [text, width] : singles) {
    ASSERT_TRUE(GetTextExtentPoint32A(dc, text, 1, &size));
    EXPECT_EQ(size.cx, width) << text;
  }
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "", 0, &size));
  EXPECT_EQ(size.cx, 0);
}

TEST_F(GdiText, PositiveHeightAsksForTheCellHeight) {
  HFONT cellFont = MakeFont(29, FW_NORMAL, FALSE, "Verdana");
  ASSERT_NE(cellFont, nullptr);
  SIZE size = MeasureWith(cellFont, "H");
  EXPECT_EQ(size.cy, 29);
  EXPECT_EQ(size.cx, 19);
  EXPECT_TRUE(DeleteObject(cellFont));
}

TEST_F(GdiText, UnknownFaceFallsBackToAnInstalledOne) {
  HFONT fallback = MakeFont(-25, FW_BOLD, TRUE, "No Such Face At All");
  ASSERT_NE(fallback, nullptr);
  SIZE size = MeasureWith(fallback, "Hello");
  EXPECT_GT(size.cx, 40);
  EXPECT_GT(size.cy, 20);
  EXPECT_TRUE(DeleteObject(fallback));
}

TEST_F(GdiText, UnderlineAndStrikeOutDrawLinesAcrossTheCell) {
  HFONT lined = CreateFontA(-25, 0, 0, 0, FW_NORMAL, FALSE, TRUE, TRUE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Verdana");
  ASSERT_NE(lined, nullptr);
  SelectObject(dc, lined);
  ASSERT_TRUE(ExtTextOutA(dc, 0, 0, 0, nullptr, "  ", 2, nullptr));  // spaces: only the lines show
  std::vector<int> litRows;
  for (int y = 0; y < kHeight; ++y)
    if (pixels[y * kWidth + 3] != 0) litRows.push_back(y);
  ASSERT_EQ(litRows.size(), 2u);
  EXPECT_LT(litRows[0], 23);  // the strike-out above the baseline
  EXPECT_GE(litRows[1], 23);  // the underline below it
  EXPECT_EQ(pixels[litRows[0] * kWidth + 15], 0x00FFFFFFu);
  EXPECT_EQ(pixels[litRows[0] * kWidth + 16], 0u);  // two spaces are 16 pixels wide
  SelectObject(dc, font);
  EXPECT_TRUE(DeleteObject(lined));
}

TEST_F(GdiText, RotatedOrStretchedFontsAreRefused) {
  EXPECT_EQ(CreateFontA(-25, 0, 900, 900, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Verdana"),
            nullptr);
  EXPECT_EQ(CreateFontA(-25, 30, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Verdana"),
            nullptr);
}

TEST_F(GdiText, GlyphLandsInsideItsCellAtTheTopLeftReference) {
  ASSERT_TRUE(ExtTextOutA(dc, 10, 5, ETO_OPAQUE, nullptr, "H", 1, nullptr));
  RECT box = LitBox();
  ASSERT_LT(box.left, box.right) << "nothing was drawn";
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.right, 10 + 19);
  EXPECT_GE(box.top, 5);
  EXPECT_LE(box.bottom, 5 + 23);  // a capital stands on the baseline, ascent 23 below the top
  EXPECT_GE(box.bottom - box.top, 15);  // cap height of about 18 pixels
  // The stems are fully covered: full white somewhere.
  EXPECT_NE(std::find(pixels, pixels + kWidth * kHeight, 0x00FFFFFFu), pixels + kWidth * kHeight);
  EXPECT_EQ(pixels[0], 0u);
}

TEST_F(GdiText, BottomUpBitmapStoresRowsFromTheBottom) {
  HBITMAP bottomUp = MakeBitmap(kHeight);
  ASSERT_NE(bottomUp, nullptr);
  SelectObject(dc, bottomUp);
  ASSERT_TRUE(ExtTextOutA(dc, 10, 5, 0, nullptr, "H", 1, nullptr));
  RECT box = LitBox(true);
  EXPECT_GE(box.top, 5);
  EXPECT_LE(box.bottom, 5 + 23);
  EXPECT_GE(box.left, 10);
  SelectObject(dc, bitmap);
  EXPECT_TRUE(DeleteObject(bottomUp));
}

TEST_F(GdiText, BaselineAlignmentPutsTheBaselineAtY) {
  SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  ASSERT_TRUE(ExtTextOutA(dc, 0, 30, 0, nullptr, "H", 1, nullptr));
  RECT box = LitBox();
  EXPECT_EQ(box.bottom, 30);
  SetTextAlign(dc, TA_TOP | TA_RIGHT);
  std::memset(pixels, 0, kWidth * kHeight * 4);
  ASSERT_TRUE(ExtTextOutA(dc, 60, 0, 0, nullptr, "H", 1, nullptr));
  box = LitBox();
  EXPECT_LE(box.right, 60);
  EXPECT_GE(box.left, 60 - 19);
}

TEST_F(GdiText, TextAndBackgroundColoursAreUsed) {
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, RGB(0, 0, 255));
  ASSERT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, nullptr, "H", 1, nullptr));
  // DIB words are 0x00RRGGBB: the cell's background is blue, full coverage red.
  EXPECT_EQ(pixels[0], 0x000000FFu);
  EXPECT_NE(std::find(pixels, pixels + kWidth * kHeight, 0x00FF0000u), pixels + kWidth * kHeight);
  EXPECT_EQ(pixels[40 * kWidth + 50], 0u);  // outside the 19 x 29 cell
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
}

TEST_F(GdiText, MemoryDcReportsNinetySixDotsPerInch) {
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
  EXPECT_EQ(-MulDiv(25, GetDeviceCaps(dc, LOGPIXELSY), 72), -33);
}

TEST_F(GdiText, ObjectsDeletedWhileSelectedCannotBeSelectedAgain) {
  HBITMAP extra = MakeBitmap(-8);
  SelectObject(dc, extra);
  EXPECT_TRUE(DeleteObject(extra));  // still selected: freed when the DC lets go of it
  EXPECT_FALSE(DeleteObject(extra));
  EXPECT_EQ(SelectObject(dc, extra), nullptr);
  EXPECT_EQ(SelectObject(dc, bitmap), extra);
  EXPECT_EQ(SelectObject(dc, extra), nullptr);  // gone now
}

TEST(GdiHandles, BadHandlesAndArgumentsAreRefused) {
  SIZE size{};
  EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "x", 1, &size));
  EXPECT_FALSE(ExtTextOutA(nullptr, 0, 0, 0, nullptr, "x", 1, nullptr));
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_FALSE(DeleteObject(nullptr));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dc)), nullptr);  // a DC is not selectable
  EXPECT_FALSE(GetTextExtentPoint32A(dc, nullptr, 3, &size));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biHeight = 0;
  EXPECT_EQ(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiMulDiv, RoundsHalfAwayFromZeroAndRefusesZeroDivisors) {
  EXPECT_EQ(MulDiv(25, 96, 72), 33);
  EXPECT_EQ(MulDiv(-25, 96, 72), -33);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 8, 1), -1);
  EXPECT_EQ(MulDiv(0x40000000, 8, 16), 0x20000000);
}

}  // namespace
