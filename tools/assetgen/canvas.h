// Raster drawing for the generated pictures: an RGBA canvas in floating point, coverage masks
// made from signed-distance shapes or text, and compositing of masks with colours or gradients.
// Shapes are given in "display units": the size the picture has on the 1280 x 1024 virtual
// screen, so that a picture stretched onto a power-of-two texture still looks right when shown.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

Colour rgb(uint32_t hex, float alpha = 1.0f);
Colour mix(const Colour& a, const Colour& b, float t);
Colour withAlpha(Colour c, float alpha);

// 8-bit RGBA pixels, row-major from the top-left corner: what gets written to a file.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  bool opaque() const;
};

// Signed distance in display units: negative inside the shape.
using Distance = std::function<float(float x, float y)>;
using Paint = std::function<Colour(float x, float y)>;

Distance roundRect(float left, float top, float width, float height, float radius);
Distance circle(float cx, float cy, float radius);
Distance ring(float cx, float cy, float radius, float thickness);
Distance segment(float ax, float ay, float bx, float by, float halfWidth);
Distance polygon(std::vector<float> xy);  // x0, y0, x1, y1, ... convex or concave, non-self-intersecting

struct Bounds {
  float left = -1e9f, top = -1e9f, right = 1e9f, bottom = 1e9f;
};

// Per-pixel coverage 0..1 over a canvas. Values outside the region [left, right) x [top, bottom)
// are zero, so compositing and blurring need only visit the region.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> value;
  int left = 0, top = 0, right = 0, bottom = 0;
  void blur(float radiusPixels);
};

class Canvas {
 public:
  Canvas(int width, int height, float displayWidth, float displayHeight);

  int width() const { return width_; }
  int height() const { return height_; }
  float displayWidth() const { return displayWidth_; }
  float displayHeight() const { return displayHeight_; }
  float pixelsPerUnitX() const { return scaleX_; }
  float pixelsPerUnitY() const { return scaleY_; }

  void fill(const Paint& paint);  // replaces every pixel
  // Bounds limit the pixels evaluated (display units); the default is the whole canvas.
  Mask shape(const Distance& distance, const Bounds& bounds = Bounds{}) const;
  Mask outline(const Distance& distance, float thickness, const Bounds& bounds = Bounds{}) const;
  void composite(const Mask& mask, const Paint& paint);  // source-over
  void composite(const Mask& mask, Colour colour);
  void draw(const Distance& distance, Colour colour) { composite(shape(distance), colour); }
  void glow(const Mask& mask, Colour colour, float radiusUnits);
  // Draws another canvas stretched over a rectangle in display units.
  void blit(const Canvas& source, float left, float top, float width, float height);

  Colour at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  Colour& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  Image toImage() const;
  Mask emptyMask() const;  // all zero; its region is the whole canvas

  // Display coordinates of a pixel's centre.
  float unitX(int px) const { return (px + 0.5f) / scaleX_; }
  float unitY(int py) const { return (py + 0.5f) / scaleY_; }

 private:
  int width_, height_;
  float displayWidth_, displayHeight_;
  float scaleX_, scaleY_;
  std::vector<Colour> pixels_;
};

// Deterministic value noise in 0..1 from integer hashing; the same seed gives the same field.
float noise2(float x, float y, uint32_t seed);
float fractalNoise(float x, float y, uint32_t seed, int octaves);
uint32_t hash32(uint32_t x);

// Length of the vector (x, y); plain square root, which is all these small values need.
inline float length(float x, float y) { return std::sqrt(x * x + y * y); }

}  // namespace assetgen
