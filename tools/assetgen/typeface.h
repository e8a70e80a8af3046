// The game's one typeface for labels painted into pictures: DejaVu Sans (the face the engine's
// "Verdana" resolves to), rasterised with FreeType straight into canvas masks. Sizes are given
// in display units and glyphs are stretched to the canvas' own pixel aspect.
#pragma once

#include <string>

#include "canvas.h"

namespace assetgen {

enum class Weight { Regular, Bold };
enum class Align { Left, Centre, Right };

class Typeface {
 public:
  // Finds and opens the faces; throws std::runtime_error when no font file can be found.
  static Typeface& shared();

  // Width of the text in display units on the given canvas at the given cap height.
  float measure(const Canvas& canvas, const std::string& text, float size, Weight weight);
  // Coverage of the text with its baseline at `baseline`, anchored at x by the alignment.
  Mask render(const Canvas& canvas, const std::string& text, float x, float baseline, float size,
              Weight weight, Align align);
  // The largest size not above `size` at which the text fits in `maxWidth` display units.
  float fit(const Canvas& canvas, const std::string& text, float size, float maxWidth, Weight weight);

  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

 private:
  Typeface();
  struct Faces;
  Faces* faces_;
};

// Convenience: draws text in one colour.
void drawText(Canvas& canvas, const std::string& text, float x, float baseline, float size, Colour colour,
              Weight weight = Weight::Bold, Align align = Align::Centre);

}  // namespace assetgen
