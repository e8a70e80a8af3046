// FreeType rendering of the game's typeface. The font file is found at its Debian location or,
// failing that, through fontconfig; glyphs are rendered at the canvas' horizontal and vertical
// pixel scales so that text keeps its proportions once the picture is stretched on screen.
#include "typeface.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <stdexcept>

namespace assetgen {
namespace {

std::string locateFont(const char* debianPath, const char* pattern) {
  if (std::filesystem::exists(debianPath)) return debianPath;
  std::string found;
  FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  FcConfigSubstitute(nullptr, query, FcMatchPattern);
  FcDefaultSubstitute(query);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, query, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) found = reinterpret_cast<char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(query);
  if (found.empty()) throw std::runtime_error(std::string("no font found for ") + pattern);
  return found;
}

// Cap height is about 0.73 of the em square in this face; sizes are cap heights so that
// "size 40" means letters 40 units tall.
constexpr float kEmPerCap = 1.0f / 0.73f;

}  // namespace

struct Typeface::Faces {
  std::recursive_mutex lock;  // FreeType faces are not safe to use from two threads at once
  FT_Library library = nullptr;
  FT_Face regular = nullptr;
  FT_Face bold = nullptr;
};

Typeface::Typeface() : faces_(new Faces) {
  if (FT_Init_FreeType(&faces_->library) != 0) throw std::runtime_error("FreeType failed to start");
  const std::string regular = locateFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVu Sans");
  const std::string bold = locateFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "DejaVu Sans:bold");
  if (FT_New_Face(faces_->library, regular.c_str(), 0, &faces_->regular) != 0 ||
      FT_New_Face(faces_->library, bold.c_str(), 0, &faces_->bold) != 0) {
    throw std::runtime_error("cannot open " + regular + " or " + bold);
  }
}

Typeface::~Typeface() {
  if (faces_->regular) FT_Done_Face(faces_->regular);
  if (faces_->bold) FT_Done_Face(faces_->bold);
  if (faces_->library) FT_Done_FreeType(faces_->library);
  delete faces_;
}

Typeface& Typeface::shared() {
  static Typeface typeface;
  return typeface;
}

namespace {

FT_Face prepare(FT_Face face, const Canvas& canvas, float size) {
  const float em = size * kEmPerCap;
  FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(em * canvas.pixelsPerUnitX() * 64)),
                   static_cast<FT_F26Dot6>(std::lround(em * canvas.pixelsPerUnitY() * 64)), 72, 72);
  return face;
}

// Walks the glyphs of the text, calling visit(glyph slot, pen x in 26.6 pixels).
template <typename Visit>
long layout(FT_Face face, const std::string& text, Visit visit) {
  long pen = 0;
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
      pen += kern.x;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0) continue;
    visit(face->glyph, pen);
    pen += face->glyph->advance.x;
    previous = index;
  }
  return pen;
}

}  // namespace

float Typeface::measure(const Canvas& canvas, const std::string& text, float size, Weight weight) {
  std::lock_guard<std::recursive_mutex> guard(faces_->lock);
  FT_Face face = prepare(weight == Weight::Bold ? faces_->bold : faces_->regular, canvas, size);
  const long pen = layout(face, text, [](FT_GlyphSlot, long) {});
  return pen / 64.0f / canvas.pixelsPerUnitX();
}

float Typeface::fit(const Canvas& canvas, const std::string& text, float size, float maxWidth, Weight weight) {
  const float width = measure(canvas, text, size, weight);
  return width > maxWidth ? size * maxWidth / width : size;
}

Mask Typeface::render(const Canvas& canvas, const std::string& text, float x, float baseline, float size,
                      Weight weight, Align align) {
  std::lock_guard<std::recursive_mutex> guard(faces_->lock);
  const float width = measure(canvas, text, size, weight);
  const float left = align == Align::Left ? x : align == Align::Centre ? x - width * 0.5f : x - width;
  FT_Face face = prepare(weight == Weight::Bold ? faces_->bold : faces_->regular, canvas, size);
  Mask mask = canvas.emptyMask();
  const float originX = left * canvas.pixelsPerUnitX();
  const float originY = baseline * canvas.pixelsPerUnitY();
  layout(face, text, [&](FT_GlyphSlot glyph, long pen) {
    // Sub-pixel placement: shift the outline by the fractional pen position before rendering.
    const float penX = originX + pen / 64.0f;
    const long whole = static_cast<long>(std::floor(penX));
    FT_Outline_Translate(&glyph->outline, static_cast<FT_Pos>(std::lround((penX - whole) * 64)), 0);
    if (FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const long top = static_cast<long>(std::lround(originY)) - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const long y = top + row;
      if (y < 0 || y >= mask.height) continue;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const long px = whole + glyph->bitmap_left + col;
        if (px < 0 || px >= mask.width) continue;
        float& cell = mask.value[static_cast<size_t>(y) * mask.width + px];
        cell = std::min(1.0f, cell + bitmap.buffer[row * bitmap.pitch + col] / 255.0f);
      }
    }
  });
  return mask;
}

void drawText(Canvas& canvas, const std::string& text, float x, float baseline, float size, Colour colour,
              Weight weight, Align align) {
  canvas.composite(Typeface::shared().render(canvas, text, x, baseline, size, weight, align), colour);
}

}  // namespace assetgen
