// Text output into a DC's DIB section and text extents. Characters are bytes (ANSI); each is
// placed at the pen by its whole-pixel advance, its anti-aliased coverage blended from the
// background to the text colour. The reference point follows the DC's text alignment.
#include <algorithm>

#include "gdi/gdi_internal.h"

namespace platform::gdi {
namespace {

// DIB pixels are B, G, R, X bytes (0x00RRGGBB as a word); COLORREF is 0x00BBGGRR.
uint32_t ToPixel(COLORREF color) {
  return (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

uint32_t Blend(uint32_t under, uint32_t over, uint8_t coverage) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    result |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
  }
  return result;
}

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

void FillRect(Bitmap* bitmap, RECT area, uint32_t pixel) {
  area = Intersect(area, {0, 0, bitmap->width, bitmap->height});
  for (LONG y = area.top; y < area.bottom; ++y) std::fill(bitmap->Row(y) + area.left, bitmap->Row(y) + area.right, pixel);
}

void DrawGlyph(Bitmap* bitmap, const RECT& clip, const GlyphImage& glyph, int penX, int baseline, uint32_t colour) {
  for (int row = 0; row < glyph.rows; ++row) {
    LONG y = baseline - glyph.top + row;
    if (y < clip.top || y >= clip.bottom) continue;
    uint32_t* pixels = bitmap->Row(y);
    for (int column = 0; column < glyph.width; ++column) {
      LONG x = penX + glyph.left + column;
      uint8_t coverage = glyph.coverage[size_t(row) * size_t(glyph.pitch) + size_t(column)];
      if (x < clip.left || x >= clip.right || coverage == 0) continue;
      pixels[x] = Blend(pixels[x], colour, coverage);
    }
  }
}

void DrawLine(Bitmap* bitmap, const RECT& clip, const RECT& box, int y, uint32_t colour) {
  FillRect(bitmap, Intersect({box.left, y, box.right, y + 1}, clip), colour);
}

int TextWidth(FontFace* face, LPCSTR text, UINT count, const INT* dx) {
  int width = 0;
  for (UINT i = 0; i < count; ++i) width += dx ? dx[i] : face->Advance(static_cast<unsigned char>(text[i]));
  return width;
}

// The top-left corner of the text box for the DC's alignment.
POINT BoxOrigin(UINT align, int x, int y, int width, const FontFace& face) {
  POINT origin{x, y};
  if ((align & TA_CENTER) == TA_CENTER) origin.x -= width / 2;
  else if (align & TA_RIGHT) origin.x -= width;
  if ((align & TA_BASELINE) == TA_BASELINE) origin.y -= face.ascent();
  else if (align & TA_BOTTOM) origin.y -= face.ascent() + face.descent();
  return origin;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

BOOL WINAPI GetTextExtentPoint32A(HDC handle, LPCSTR text, int count, LPSIZE size) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  Font* font = dc ? SelectedFont(dc) : nullptr;
  if (!font || !size || count < 0 || (count > 0 && !text)) return FALSE;
  size->cx = TextWidth(font->face.get(), text, UINT(count), nullptr);
  size->cy = font->face->ascent() + font->face->descent();
  return TRUE;
}

BOOL WINAPI ExtTextOutA(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                        const INT* dx) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  Font* font = dc ? SelectedFont(dc) : nullptr;
  if (!font || (count > 0 && !text)) return FALSE;
  FontFace* face = font->face.get();
  Bitmap* bitmap = SelectedBitmap(dc);
  int width = TextWidth(face, text, count, dx);
  POINT origin = BoxOrigin(dc->textAlign, x, y, width, *face);
  RECT box{origin.x, origin.y, origin.x + width, origin.y + face->ascent() + face->descent()};
  if ((options & ETO_OPAQUE) && rect) FillRect(bitmap, *rect, ToPixel(dc->backgroundColor));
  else if ((options & ETO_OPAQUE) || dc->backgroundMode == OPAQUE) FillRect(bitmap, box, ToPixel(dc->backgroundColor));
  RECT clip{0, 0, bitmap->width, bitmap->height};
  if ((options & ETO_CLIPPED) && rect) clip = Intersect(clip, *rect);
  uint32_t colour = ToPixel(dc->textColor);
  int baseline = origin.y + face->ascent();
  int penX = origin.x;
  for (UINT i = 0; i < count; ++i) {
    auto character = static_cast<unsigned char>(text[i]);
    GlyphImage glyph;
    if (face->Render(character, font->antialiased, &glyph)) DrawGlyph(bitmap, clip, glyph, penX, baseline, colour);
    penX += dx ? dx[i] : face->Advance(character);
  }
  // Lines one pixel thick: the underline below the baseline, the strike-out at a third of the ascent.
  if (font->underline) {
    DrawLine(bitmap, clip, box, std::min(baseline + std::max(1, face->descent() / 3), int(box.bottom) - 1), colour);
  }
  if (font->strikeOut) DrawLine(bitmap, clip, box, baseline - face->ascent() / 3, colour);
  return TRUE;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutA(dc, x, y, 0, nullptr, text, UINT(count), nullptr);
}
