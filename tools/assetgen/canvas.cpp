// Raster drawing for the generated pictures: signed-distance shapes become anti-aliased coverage
// masks, masks are blurred for glows and composited over the canvas with straight alpha.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Colour rgb(uint32_t hex, float alpha) {
  return {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f, alpha};
}

Colour mix(const Colour& a, const Colour& b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour withAlpha(Colour c, float alpha) {
  c.a = alpha;
  return c;
}

bool Image::opaque() const {
  for (size_t i = 3; i < rgba.size(); i += 4) {
    if (rgba[i] != 255) return false;
  }
  return true;
}

Distance roundRect(float left, float top, float width, float height, float radius) {
  const float cx = left + width * 0.5f, cy = top + height * 0.5f;
  const float hx = width * 0.5f - radius, hy = height * 0.5f - radius;
  return [=](float x, float y) {
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = length(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Distance circle(float cx, float cy, float radius) {
  return [=](float x, float y) { return length(x - cx, y - cy) - radius; };
}

Distance ring(float cx, float cy, float radius, float thickness) {
  return [=](float x, float y) { return std::fabs(length(x - cx, y - cy) - radius) - thickness * 0.5f; };
}

Distance segment(float ax, float ay, float bx, float by, float halfWidth) {
  return [=](float x, float y) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
    return length(px - dx * t, py - dy * t) - halfWidth;
  };
}

Distance polygon(std::vector<float> xy) {
  return [xy = std::move(xy)](float x, float y) {
    const size_t n = xy.size() / 2;
    float best = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      const float ax = xy[2 * j], ay = xy[2 * j + 1], bx = xy[2 * i], by = xy[2 * i + 1];
      const float dx = bx - ax, dy = by - ay, px = x - ax, py = y - ay;
      const float len2 = dx * dx + dy * dy;
      const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      best = std::min(best, length(px - dx * t, py - dy * t));
      if ((ay > y) != (by > y) && x < ax + (y - ay) * dx / dy) inside = !inside;
    }
    return inside ? -best : best;
  };
}

// Three box blurs approximate a Gaussian. Only the rectangle around the non-zero values (grown
// by the blur's reach) is processed; rows run first, then columns with one running sum per column.
void Mask::blur(float radiusPixels) {
  const int r = std::max(1, static_cast<int>(std::lround(radiusPixels / 1.7f)));
  int x0 = width, y0 = height, x1 = -1, y1 = -1;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (value[static_cast<size_t>(y) * width + x] > 0.0f) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
  }
  if (x1 < 0) return;
  const int reach = 3 * r + 1;
  x0 = std::max(0, x0 - reach);
  y0 = std::max(0, y0 - reach);
  x1 = std::min(width - 1, x1 + reach);
  y1 = std::min(height - 1, y1 + reach);
  const int w = x1 - x0 + 1, h = y1 - y0 + 1;
  left = x0;
  top = y0;
  right = x1 + 1;
  bottom = y1 + 1;
  const float norm = 1.0f / (2 * r + 1);
  std::vector<float> line(std::max(w, h)), copy(static_cast<size_t>(w) * h), sums(w);
  auto cell = [&](int x, int y) -> float& { return value[static_cast<size_t>(y0 + y) * width + x0 + x]; };
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y) {
      float sum = 0;
      for (int i = -r; i <= r; ++i) sum += cell(std::clamp(i, 0, w - 1), y);
      for (int x = 0; x < w; ++x) {
        line[x] = sum * norm;
        sum += cell(std::min(x + r + 1, w - 1), y) - cell(std::max(x - r, 0), y);
      }
      for (int x = 0; x < w; ++x) cell(x, y) = line[x];
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) copy[static_cast<size_t>(y) * w + x] = cell(x, y);
    }
    auto source = [&](int x, int y) { return copy[static_cast<size_t>(std::clamp(y, 0, h - 1)) * w + x]; };
    for (int x = 0; x < w; ++x) {
      sums[x] = 0;
      for (int i = -r; i <= r; ++i) sums[x] += source(x, i);
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        cell(x, y) = sums[x] * norm;
        sums[x] += source(x, y + r + 1) - source(x, y - r);
      }
    }
  }
}

Canvas::Canvas(int width, int height, float displayWidth, float displayHeight)
    : width_(width), height_(height), displayWidth_(displayWidth), displayHeight_(displayHeight),
      scaleX_(width / displayWidth), scaleY_(height / displayHeight),
      pixels_(static_cast<size_t>(width) * height, Colour{0, 0, 0, 0}) {}

void Canvas::fill(const Paint& paint) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) at(x, y) = paint(unitX(x), unitY(y));
  }
}

Mask Canvas::emptyMask() const {
  return Mask{width_, height_, std::vector<float>(static_cast<size_t>(width_) * height_, 0.0f), 0, 0, width_, height_};
}

// Coverage from distance: one pixel of soft edge, measured along the finer axis.
Mask Canvas::shape(const Distance& distance, const Bounds& bounds) const {
  Mask mask = emptyMask();
  const float pixel = std::max(scaleX_, scaleY_);
  auto edge = [](float v, int limit) { return static_cast<int>(std::clamp(v, 0.0f, static_cast<float>(limit))); };
  const int x0 = edge(std::floor(bounds.left * scaleX_) - 2, width_);
  const int x1 = edge(std::ceil(bounds.right * scaleX_) + 2, width_);
  const int y0 = edge(std::floor(bounds.top * scaleY_) - 2, height_);
  const int y1 = edge(std::ceil(bounds.bottom * scaleY_) + 2, height_);
  mask.left = x0;
  mask.top = y0;
  mask.right = std::max(x0, x1);
  mask.bottom = std::max(y0, y1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float d = distance(unitX(x), unitY(y)) * pixel;
      mask.value[static_cast<size_t>(y) * width_ + x] = std::clamp(0.5f - d, 0.0f, 1.0f);
    }
  }
  return mask;
}

Mask Canvas::outline(const Distance& distance, float thickness, const Bounds& bounds) const {
  return shape([&](float x, float y) { return std::fabs(distance(x, y)) - thickness * 0.5f; }, bounds);
}

void Canvas::composite(const Mask& mask, const Paint& paint) {
  for (int y = mask.top; y < mask.bottom; ++y) {
    for (int x = mask.left; x < mask.right; ++x) {
      const float m = mask.value[static_cast<size_t>(y) * width_ + x];
      if (m <= 0.0f) continue;
      const Colour src = paint(unitX(x), unitY(y));
      Colour& dst = at(x, y);
      const float sa = src.a * m;
      const float outA = sa + dst.a * (1 - sa);
      if (outA <= 0.0f) continue;
      dst.r = (src.r * sa + dst.r * dst.a * (1 - sa)) / outA;
      dst.g = (src.g * sa + dst.g * dst.a * (1 - sa)) / outA;
      dst.b = (src.b * sa + dst.b * dst.a * (1 - sa)) / outA;
      dst.a = outA;
    }
  }
}

void Canvas::composite(const Mask& mask, Colour colour) {
  composite(mask, [colour](float, float) { return colour; });
}

void Canvas::glow(const Mask& mask, Colour colour, float radiusUnits) {
  Mask soft = mask;
  soft.blur(radiusUnits * std::max(scaleX_, scaleY_));
  composite(soft, colour);
}

void Canvas::blit(const Canvas& source, float left, float top, float width, float height) {
  for (int y = 0; y < height_; ++y) {
    const float v = (unitY(y) - top) / height;
    if (v < 0 || v >= 1) continue;
    for (int x = 0; x < width_; ++x) {
      const float u = (unitX(x) - left) / width;
      if (u < 0 || u >= 1) continue;
      const Colour src = source.at(std::min(static_cast<int>(u * source.width_), source.width_ - 1),
                                   std::min(static_cast<int>(v * source.height_), source.height_ - 1));
      Colour& dst = at(x, y);
      const float outA = src.a + dst.a * (1 - src.a);
      if (outA <= 0.0f) continue;
      dst.r = (src.r * src.a + dst.r * dst.a * (1 - src.a)) / outA;
      dst.g = (src.g * src.a + dst.g * dst.a * (1 - src.a)) / outA;
      dst.b = (src.b * src.a + dst.b * dst.a * (1 - src.a)) / outA;
      dst.a = outA;
    }
  }
}

Image Canvas::toImage() const {
  Image image{width_, height_, std::vector<uint8_t>(pixels_.size() * 4)};
  auto byte = [](float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
  for (size_t i = 0; i < pixels_.size(); ++i) {
    const Colour& c = pixels_[i];
    const bool clear = byte(c.a) == 0;  // fully transparent pixels carry no colour
    image.rgba[4 * i + 0] = clear ? 0 : byte(c.r);
    image.rgba[4 * i + 1] = clear ? 0 : byte(c.g);
    image.rgba[4 * i + 2] = clear ? 0 : byte(c.b);
    image.rgba[4 * i + 3] = byte(c.a);
  }
  return image;
}

uint32_t hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

float noise2(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  auto lattice = [seed](int i, int j) {
    return hash32(static_cast<uint32_t>(i) * 0x9E3779B1u ^ hash32(static_cast<uint32_t>(j) + seed)) /
           4294967295.0f;
  };
  const float tx = x - fx, ty = y - fy;
  const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const float top = lattice(ix, iy) + (lattice(ix + 1, iy) - lattice(ix, iy)) * sx;
  const float bottom = lattice(ix, iy + 1) + (lattice(ix + 1, iy + 1) - lattice(ix, iy + 1)) * sx;
  return top + (bottom - top) * sy;
}

float fractalNoise(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amplitude = 0.5f, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += noise2(x, y, seed + i * 101u) * amplitude;
    total += amplitude;
    x *= 2.0f;
    y *= 2.0f;
    amplitude *= 0.5f;
  }
  return sum / total;
}

}  // namespace assetgen
