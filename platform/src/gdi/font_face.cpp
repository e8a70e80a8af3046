// Font faces on fontconfig and FreeType. fontconfig picks the installed file closest to the
// requested family, weight and slant (it always answers, substituting when it must); FreeType
// scales it to the pixel size GDI's height rules give and renders glyph coverage.
#include "gdi/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <mutex>
#include <vector>

namespace platform::gdi {
namespace {

// FreeType's library object is shared by all faces and is not safe for concurrent use.
std::mutex freeTypeLock;
FT_Library library = nullptr;  // guarded by freeTypeLock; lives for the process

bool EnsureLibrary() {
  if (!library && FT_Init_FreeType(&library) != 0) library = nullptr;
  return library != nullptr;
}

struct FontFile {
  std::string path;
  int index = 0;
  std::string family;
};

bool MatchFontFile(const char* family, int weight, bool italic, FontFile* file) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(family && *family ? family : "sans-serif"));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  FcChar8* matchedFamily = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file->path = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &file->index) != FcResultMatch) file->index = 0;
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch)
      file->family = reinterpret_cast<const char*>(matchedFamily);
  }
  FcPatternDestroy(match);
  return found;
}

// GDI's cell is the face's Windows ascent plus descent when the OS/2 table has them.
void DesignCell(FT_Face face, double* ascent, double* descent) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascent = os2->usWinAscent;
    *descent = os2->usWinDescent;
  } else {
    *ascent = face->ascender;
    *descent = -face->descender;
  }
}

}  // namespace

struct FontFace::Impl {
  FT_Face face = nullptr;
  int advances[256];
  std::vector<uint8_t> monoCoverage;
};

FontFace::~FontFace() {
  std::lock_guard<std::mutex> hold(freeTypeLock);
  if (impl_ && impl_->face) FT_Done_Face(impl_->face);
}

std::unique_ptr<FontFace> FontFace::Open(const char* family, int weight, bool italic, int emHeight, int cellHeight) {
  FontFile file;
  if (!MatchFontFile(family, weight, italic, &file)) return nullptr;
  std::lock_guard<std::mutex> hold(freeTypeLock);
  if (!EnsureLibrary()) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
  double designAscent = 0, designDescent = 0;
  DesignCell(face, &designAscent, &designDescent);
  double unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
  if (emHeight <= 0) emHeight = int(std::lround(cellHeight * unitsPerEm / (designAscent + designDescent)));
  if (!FT_IS_SCALABLE(face) || emHeight <= 0 || FT_Set_Pixel_Sizes(face, 0, FT_UInt(emHeight)) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  std::unique_ptr<FontFace> result(new FontFace());
  result->impl_ = std::make_unique<Impl>();
  result->impl_->face = face;
  for (int& advance : result->impl_->advances) advance = -1;
  result->family_ = file.family;
  result->ascent_ = int(std::lround(designAscent * emHeight / unitsPerEm));
  result->descent_ = int(std::lround(designDescent * emHeight / unitsPerEm));
  return result;
}

int FontFace::Advance(unsigned char character) {
  int& cached = impl_->advances[character];
  if (cached >= 0) return cached;
  std::lock_guard<std::mutex> hold(freeTypeLock);
  if (FT_Load_Char(impl_->face, character, FT_LOAD_DEFAULT) != 0) return cached = 0;
  return cached = int((impl_->face->glyph->advance.x + 32) >> 6);
}

bool FontFace::Render(unsigned char character, bool antialiased, GlyphImage* image) {
  int advance = Advance(character);
  std::lock_guard<std::mutex> hold(freeTypeLock);
  FT_Int32 flags = FT_LOAD_RENDER | (antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
  if (FT_Load_Char(impl_->face, character, flags) != 0) return false;
  FT_GlyphSlot glyph = impl_->face->glyph;
  const FT_Bitmap& bitmap = glyph->bitmap;
  *image = {glyph->bitmap_left, glyph->bitmap_top, int(bitmap.width), int(bitmap.rows), bitmap.pitch,
            bitmap.buffer, advance};
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
    // One bit per pixel: expanded into full-coverage bytes.
    impl_->monoCoverage.assign(size_t(bitmap.width) * bitmap.rows, 0);
    for (unsigned y = 0; y < bitmap.rows; ++y)
      for (unsigned x = 0; x < bitmap.width; ++x)
        if (bitmap.buffer[y * bitmap.pitch + x / 8] & (0x80 >> (x % 8)))
          impl_->monoCoverage[y * bitmap.width + x] = 255;
    image->coverage = impl_->monoCoverage.data();
    image->pitch = int(bitmap.width);
  } else if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
    return false;
  }
  if (image->pitch < 0) return false;
  return true;
}

}  // namespace platform::gdi
