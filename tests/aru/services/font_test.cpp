// aruFont on the null device: glyph sheet sizes, what a string puts into the vertex buffer, the
// batches it is drawn in, the extent, and newlines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "service_engine.h"
#include "services/font.h"

using testing_support::ServiceEngine;

namespace {

class Font : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(engine.GetDevice(), nullptr);
    ASSERT_EQ(font.Create("Verdana", 25, false, false, false), D3D_OK);
  }

  // The glyph vertices of the last batch, read back from the stream source.
  std::vector<aruGlyphVertex> LastBatch() {
    IDirect3DVertexBuffer9* buffer = nullptr;
    UINT offset = 0, stride = 0;
    engine.GetDevice()->GetStreamSource(0, &buffer, &offset, &stride);
    std::vector<aruGlyphVertex> vertices;
    if (buffer == nullptr) return vertices;
    void* data = nullptr;
    const unsigned count = engine.Counters().lastPrimitiveCount * 3;
    if (SUCCEEDED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) {
      const auto* glyphs = static_cast<const aruGlyphVertex*>(data);
      vertices.assign(glyphs, glyphs + count);
      buffer->Unlock();
    }
    buffer->Release();
    return vertices;
  }

  ServiceEngine engine;
  aruFont font{&engine};
};

TEST_F(Font, SheetSizeFollowsTheRequestedSize) {
  EXPECT_EQ(font.GetTextureWidth(), 512u);
  EXPECT_EQ(font.GetTextureHeight(), 512u);
  aruFont small(&engine), large(&engine);
  ASSERT_EQ(small.Create("Verdana", 20, false, false, false), D3D_OK);
  EXPECT_EQ(small.GetTextureWidth(), 256u);
  ASSERT_EQ(large.Create("Verdana", 41, true, false, false), D3D_OK);
  EXPECT_EQ(large.GetTextureWidth(), 1024u);
  EXPECT_EQ(large.GetTextScale(), 1.0f);
}

TEST_F(Font, CellsOfPrintableCharactersLieInsideTheSheetInOrder) {
  const float* a = font.GetCell('A');
  const float* b = font.GetCell('B');
  EXPECT_GT(a[2], a[0]);
  EXPECT_GT(a[3], a[1]);
  EXPECT_LE(font.GetCell('~')[3], 1.0f);
  // B follows A on the same row, or starts a new row.
  EXPECT_TRUE((b[1] == a[1] && b[0] > a[0]) || (b[1] > a[1] && b[0] == 0.0f));
  EXPECT_EQ(font.GetCell(' ')[0], 0.0f);
  EXPECT_EQ(font.GetCell(' ')[1], 0.0f);
}

TEST_F(Font, LineHeightScalesTheFaceSize) {
  EXPECT_EQ(font.LineHeight(1), 25.0f);
  EXPECT_EQ(font.LineHeight(1.5f), 37.5f);
}

TEST_F(Font, SpacesAdvanceThePenButAddNoTriangles) {
  const unsigned before = engine.Counters().primitives;
  RECT withSpace{}, withoutSpace{};
  font.DrawText(&withSpace, 100, 500, 0xFFFFFFFF, "a b");
  EXPECT_EQ(engine.Counters().primitives - before, 4u);
  const std::vector<aruGlyphVertex> glyphs = LastBatch();
  ASSERT_EQ(glyphs.size(), 12u);
  font.DrawText(&withoutSpace, 100, 500, 0xFFFFFFFF, "ab");
  const float spaceWidth = (font.GetCell(' ')[2] - font.GetCell(' ')[0]) * font.GetTextureWidth();
  EXPECT_GT(spaceWidth, 0.0f);
  EXPECT_EQ(withSpace.right - withoutSpace.right, static_cast<LONG>(spaceWidth));
  const std::vector<aruGlyphVertex> tight = LastBatch();
  ASSERT_EQ(tight.size(), 12u);
  EXPECT_NEAR(glyphs[6].x - tight[6].x, spaceWidth, 1e-3);
}

TEST_F(Font, OneHundredTwentyLettersAreDrawnInThreeBatches) {
  const std::string letters(120, 'x');
  const auto before = engine.Counters();
  RECT extent{};
  font.DrawText(&extent, 0, 0, 0xFF00FF00, letters.c_str());
  const auto after = engine.Counters();
  EXPECT_EQ(after.draws - before.draws, 3u);
  EXPECT_EQ(after.primitives - before.primitives, 240u);
  EXPECT_EQ(after.lastPrimitiveCount, 40u);
  EXPECT_EQ(after.lastPrimitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(after.lastVertexStride, 24u);
}

TEST_F(Font, GlyphsCarryTheColourDepthAndCellCoordinates) {
  RECT extent{};
  font.DrawText(&extent, 0, 512, 0x80FF0000, "W");
  const std::vector<aruGlyphVertex> glyph = LastBatch();
  ASSERT_EQ(glyph.size(), 6u);
  const float* cell = font.GetCell('W');
  for (const aruGlyphVertex& vertex : glyph) {
    EXPECT_EQ(vertex.colour, 0x80FF0000u);
    EXPECT_FLOAT_EQ(vertex.z, 0.9f);
  }
  // First vertex: the upper-left corner with the cell's top-left texture coordinate.
  EXPECT_FLOAT_EQ(glyph[0].x, -0.5f);
  EXPECT_FLOAT_EQ(glyph[0].u, cell[0]);
  EXPECT_FLOAT_EQ(glyph[0].v, cell[1]);
  EXPECT_FLOAT_EQ(glyph[2].v, cell[3]);
  const float cellHeight = (cell[3] - cell[1]) * font.GetTextureHeight();
  EXPECT_NEAR(glyph[0].y - glyph[2].y, cellHeight, 1e-3);
  // The pen starts one face size below the given y.
  EXPECT_NEAR(glyph[2].y, 512 - 25 - 0.5f, 1e-3);
  DWORD fvf = 0;
  engine.GetDevice()->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x142u);
  EXPECT_EQ(engine.BoundTexture(0), nullptr);
}

TEST_F(Font, ExtentRightEdgeAddsTheTruncatedWidthsOfTheCharacters) {
  RECT empty{};
  font.DrawText(&empty, 100.7f, 200.2f, 0xFFFFFFFF, "");
  EXPECT_EQ(empty.left, 100);
  EXPECT_EQ(empty.top, 200);
  EXPECT_EQ(empty.right, empty.left);

  RECT word{};
  font.DrawText(&word, 100, 200, 0xFFFFFFFF, "Hello");
  LONG expected = 100;
  for (char c : std::string("Hello")) {
    expected += static_cast<LONG>((font.GetCell(c)[2] - font.GetCell(c)[0]) * font.GetTextureWidth());
  }
  EXPECT_EQ(word.right, expected);
  EXPECT_GT(word.right, 100 + 40);
}

TEST_F(Font, ExtentMatchesWhatGdiMeasuresForTheFace) {
  // The sheet is rasterised at the face size in points at the DC's resolution.
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  HFONT face = CreateFontA(-MulDiv(25, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           VARIABLE_PITCH, "Verdana");
  SelectObject(dc, face);
  LONG measured = 0;
  for (char c : std::string("Quill 42")) {
    SIZE size{};
    GetTextExtentPoint32A(dc, &c, 1, &size);
    measured += size.cx;
  }
  DeleteDC(dc);
  DeleteObject(face);
  RECT extent{};
  font.DrawText(&extent, 0, 0, 0xFFFFFFFF, "Quill 42");
  EXPECT_NEAR(extent.right, measured, 8);  // each character's width is truncated once
}

TEST_F(Font, NewlineStartsTheNextLineOneSpaceCellLowerAtTheStartingX) {
  RECT extent{};
  font.DrawText(&extent, 300, 600, 0xFFFFFFFF, "A\nA");
  const std::vector<aruGlyphVertex> glyphs = LastBatch();
  ASSERT_EQ(glyphs.size(), 12u);
  const float lineHeight = (font.GetCell(' ')[3] - font.GetCell(' ')[1]) * font.GetTextureHeight();
  EXPECT_FLOAT_EQ(glyphs[6].x, glyphs[0].x);
  EXPECT_NEAR(glyphs[0].y - glyphs[6].y, lineHeight, 1e-3);
}

TEST_F(Font, ControlAndHighCharactersAreSkipped) {
  const unsigned before = engine.Counters().primitives;
  RECT extent{};
  font.DrawText(&extent, 0, 0, 0xFFFFFFFF, "a\t\x7f\xe9" "b");
  EXPECT_EQ(engine.Counters().primitives - before, 4u);
}

TEST_F(Font, PositionsScaleToTheBackBuffer) {
  ServiceEngine half(640, 512);
  aruFont scaled(&half);
  ASSERT_EQ(scaled.Create("Verdana", 25, false, false, false), D3D_OK);
  RECT extent{};
  scaled.DrawText(&extent, 640, 512, 0xFFFFFFFF, "I");
  IDirect3DVertexBuffer9* buffer = nullptr;
  UINT offset = 0, stride = 0;
  half.GetDevice()->GetStreamSource(0, &buffer, &offset, &stride);
  ASSERT_NE(buffer, nullptr);
  void* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  const auto* glyph = static_cast<const aruGlyphVertex*>(data);
  EXPECT_FLOAT_EQ(glyph[0].x, 320 - 0.5f);
  const float* cell = scaled.GetCell('I');
  const float width = (cell[2] - cell[0]) * scaled.GetTextureWidth();
  EXPECT_NEAR(glyph[1].x - glyph[0].x, width * 0.5f, 1e-3);
  buffer->Unlock();
  buffer->Release();
}

TEST_F(Font, InvalidatedFontDrawsNothingUntilRestored) {
  font.Invalidate();
  const unsigned before = engine.Counters().draws;
  RECT extent{};
  font.DrawText(&extent, 0, 0, 0xFFFFFFFF, "abc");
  EXPECT_EQ(engine.Counters().draws, before);
  EXPECT_GT(extent.right, 0);
  ASSERT_EQ(font.Restore(), D3D_OK);
  font.DrawText(&extent, 0, 0, 0xFFFFFFFF, "abc");
  EXPECT_EQ(engine.Counters().draws, before + 1);
}

TEST_F(Font, DrawTextfFormatsLikePrintf) {
  RECT formatted{}, plain{};
  font.DrawTextf(&formatted, 0, 0, 0xFFFFFFFF, "%d:%s", 12, "ab");
  font.DrawText(&plain, 0, 0, 0xFFFFFFFF, "12:ab");
  EXPECT_EQ(formatted.right, plain.right);
}

}  // namespace
