// A scalable font face at one pixel size: the face is chosen through fontconfig (an unknown
// family falls back to the closest installed one) and rendered by FreeType.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::gdi {

struct GlyphImage {
  int left = 0;     // offset from the pen to the first column
  int top = 0;      // rows above the baseline
  int width = 0;
  int rows = 0;
  int pitch = 0;    // bytes per row (coverage bytes, 0..255)
  const uint8_t* coverage = nullptr;
  int advance = 0;  // whole pixels
};

class FontFace {
 public:
  // cellHeight > 0 asks for that ascent + descent; emHeight > 0 for that character height.
  static std::unique_ptr<FontFace> Open(const char* family, int weight, bool italic, int emHeight, int cellHeight);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const std::string& family() const { return family_; }
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }
  int Advance(unsigned char character);
  // Renders one character; the image stays valid until the next call on this face.
  bool Render(unsigned char character, bool antialiased, GlyphImage* image);

 private:
  FontFace() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string family_;
  int ascent_ = 0;
  int descent_ = 0;
};

}  // namespace platform::gdi
