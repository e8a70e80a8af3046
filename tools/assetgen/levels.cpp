// Pictures of the match: the ten arena maps (left half: the four long walls, near end to far
// end; right half: the far end), the balls, the level thumbnails, the computer paddles' skins,
// the player skins, the two network colours and the effect sprites drawn in the arena.
#include <cmath>

#include "art.h"
#include "typeface.h"

namespace assetgen {
namespace {

using namespace palette;

// Arena walls are 24 units long; depth rings every 2 units help judge the ball's distance.
constexpr int kDepthRings = 12;

Colour darker(uint32_t hex, float factor) {
  Colour c = rgb(hex);
  c.r *= factor;
  c.g *= factor;
  c.b *= factor;
  return c;
}

// Wall panel texture, in unit square coordinates (u along the panel, v across).
float panelPattern(int pattern, float u, float v, uint32_t seed) {
  switch (pattern) {
    case 0: {  // square tiles
      const float fu = std::fmod(u * 24, 1.0f), fv = std::fmod(v * 8, 1.0f);
      return (fu < 0.04f || fv < 0.04f) ? 1.0f : 0.0f;
    }
    case 1: {  // diagonal stripes
      return std::fmod(u * 30 + v * 10, 1.0f) < 0.12f ? 1.0f : 0.0f;
    }
    case 2: {  // hexagon-like cells from two offset grids of dots
      const float a = length(std::fmod(u * 24, 1.0f) - 0.5f, std::fmod(v * 8, 1.0f) - 0.5f);
      return a > 0.42f ? 1.0f : 0.0f;
    }
    case 3: {  // long planks
      return std::fmod(v * 6, 1.0f) < 0.05f ? 1.0f : fractalNoise(u * 40, v * 6, seed, 2) * 0.4f;
    }
    default: {  // soft cloud
      return fractalNoise(u * 12, v * 4, seed, 4);
    }
  }
}

Picture map(const LevelStyle& s, const std::string& path) {
  // 1024 x 512: one display unit per pixel.
  Canvas c(1024, 512, 1024, 512);
  const uint32_t seed = 500 + s.number;
  c.fill([&](float x, float y) {
    const bool far = x >= 512;
    const float u = far ? (x - 512) / 512 : x / 512, v = y / 512;
    Colour base = mix(darker(s.base, 0.55f), rgb(s.base), fractalNoise(u * 8, v * 8, seed, 3));
    base = mix(base, darker(s.base, 1.5f), panelPattern(s.pattern, u, v, seed) * 0.35f);
    base.a = 1;
    return base;
  });
  // Walls: depth rings across the wall at every 2 arena units, the far one brightest.
  for (int i = 1; i <= kDepthRings; ++i) {
    const float x = 512.0f * i / kDepthRings - (i == kDepthRings ? 3 : 0);
    const Mask line = c.shape(segment(x, 0, x, 512, i == kDepthRings ? 3.0f : 1.6f), Bounds{x - 8, 0, x + 8, 512});
    c.glow(line, rgb(s.accent, 0.5f), 5);
    c.composite(line, rgb(s.accent, 0.45f + 0.5f * i / kDepthRings));
  }
  // Edge rails along the wall's long sides.
  for (float y : {3.0f, 509.0f}) {
    c.composite(c.shape(segment(0, y, 512, y, 2.5f), Bounds{0, y - 6, 512, y + 6}), rgb(s.accent, 0.8f));
  }
  // Far end: a framed target.
  const float cx = 768, cy = 256;
  const Mask frameLine = c.outline(roundRect(520, 8, 496, 496, 10), 5, Bounds{512, 0, 1024, 512});
  c.glow(frameLine, rgb(s.accent, 0.6f), 8);
  c.composite(frameLine, rgb(s.accent));
  for (float r : {40.0f, 110.0f, 180.0f}) {
    c.composite(c.outline(circle(cx, cy, r), 3, Bounds{512, 0, 1024, 512}), rgb(s.accent, 0.75f));
  }
  c.composite(c.shape(segment(cx - 230, cy, cx + 230, cy, 1.2f), Bounds{512, 0, 1024, 512}), rgb(s.accent, 0.4f));
  c.composite(c.shape(segment(cx, cy - 230, cx, cy + 230, 1.2f), Bounds{512, 0, 1024, 512}), rgb(s.accent, 0.4f));
  const Mask number = Typeface::shared().render(c, std::to_string(s.number), cx, cy + 26, 52, Weight::Bold, Align::Centre);
  c.composite(number, rgb(s.accent, 0.85f));
  return picture(path, c);
}

// Sphere-mapped: u and v come from the normal, so the centre of the picture faces the viewer.
Picture ball(const std::string& path, uint32_t body, uint32_t band, int stripes) {
  Canvas c(128, 128, 128, 128);
  c.fill([&](float x, float y) {
    const float dx = x / 128 - 0.5f, dy = y / 128 - 0.5f;
    Colour col = mix(rgb(0xFFFFFF), rgb(body), 0.55f + dy * 0.6f);
    if (std::fabs(dy) < 0.09f) col = rgb(band);
    if (stripes > 0 && std::fmod(std::fabs(dx) * stripes * 2 + 0.25f, 1.0f) < 0.12f) col = mix(col, rgb(band), 0.7f);
    col.a = 1;
    return col;
  });
  c.draw(circle(64, 64, 10), rgb(0xFFFFFF, 0.9f));
  return picture(path, c);
}

Picture thumbnail(const LevelStyle& s) {
  const float w = 200, h = 150;
  Canvas c(256, 256, w, h);
  c.fill([&](float x, float y) {
    Colour col = mix(darker(s.base, 0.45f), darker(s.base, 0.9f), length(x / w - 0.5f, y / h - 0.5f) * 1.6f);
    col.a = 1;
    return col;
  });
  for (int ring = 0; ring < 6; ++ring) {
    const float k = std::pow(0.72f, static_cast<float>(ring));
    const Mask line = c.outline(roundRect(w / 2 - 96 * k, h / 2 - 72 * k, 192 * k, 144 * k, 2), 1.6f);
    c.composite(line, rgb(s.accent, 0.35f + 0.55f * k));
  }
  c.draw(circle(w / 2 + 14, h / 2 - 8, 6), rgb(0xFFFFFF));
  const Mask label = Typeface::shared().render(c, std::to_string(s.number), 14, 44, 32, Weight::Bold, Align::Left);
  c.glow(label, rgb(s.accent, 0.9f), 4);
  c.composite(label, rgb(kWhite));
  c.composite(c.shape(roundRect(0, h - 30, w, 30, 0)), rgb(kNight, 0.7f));
  Typeface& type = Typeface::shared();
  drawText(c, s.name, w / 2, h - 9, type.fit(c, s.name, 14, w - 12, Weight::Bold), rgb(kWhite));
  c.composite(c.outline(roundRect(1.5f, 1.5f, w - 3, h - 3, 4), 3), rgb(s.accent));
  return picture("base/tex/thumbs/thumb" + std::to_string(s.number) + ".tex", c);
}

// A paddle face: the picture spans the paddle's outline by planar mapping, so a bright rim
// around the edge frames any shape.
Canvas skinBase(uint32_t main, uint32_t trim) {
  Canvas c(256, 256, 256, 256);
  c.fill([&](float x, float y) {
    Colour col = mix(rgb(main), darker(main, 0.55f), length(x - 100, y - 90) / 240);
    col.a = 1;
    return col;
  });
  c.composite(c.outline(roundRect(10, 10, 236, 236, 40), 10), rgb(trim));
  return c;
}

Picture skin(int number) {
  static const uint32_t mains[kSkinCount] = {kCyan, kAmber, 0x7CE06A, 0xE05AD8, 0x5A7CFF,
                                             0xFF7A45, 0xD8E4F0, 0x35C2A8, 0xB28CFF, 0xFFD84A};
  const uint32_t main = mains[(number - 1) % kSkinCount];
  Canvas c = skinBase(main, kWhite);
  const Colour mark = rgb(number % 2 ? kNight : kWhite, 0.55f);
  switch ((number - 1) % 5) {
    case 0: c.draw(roundRect(30, 112, 196, 32, 16), mark); break;  // a band
    case 1:
      for (int i = 0; i < 3; ++i)  // chevrons
        c.composite(c.shape(polygon({60.0f + i * 50, 78, 96.0f + i * 50, 128, 60.0f + i * 50, 178, 78.0f + i * 50, 128})), mark);
      break;
    case 2:
      for (int i = 0; i < 4; ++i)  // checks
        for (int j = 0; j < 4; ++j)
          if ((i + j) % 2 == 0) c.draw(roundRect(48.0f + i * 40, 48.0f + j * 40, 40, 40, 2), mark);
      break;
    case 3: c.composite(c.outline(circle(128, 128, 60), 18), mark); break;  // a ring
    default:
      for (int i = 0; i < 5; ++i) c.composite(c.shape(segment(40.0f + i * 40, 216, 80.0f + i * 40, 40, 7)), mark);
  }
  return picture("base/tex/skins/skin" + std::to_string(number) + ".tex", c);
}

// Computer paddles: dark faces with the level's accent and a menacing slit.
Picture computerSkin(const LevelStyle& s) {
  Canvas c = skinBase(0x1A1F33, s.accent);
  const Mask eye = c.shape(roundRect(48, 112, 160, 30, 15));
  c.glow(eye, rgb(s.accent, 0.9f), 12);
  c.composite(eye, rgb(s.accent));
  drawText(c, std::to_string(s.number), 128, 212, 40, rgb(s.accent, 0.9f));
  return picture("base/tex/opponents/cpu" + std::to_string(s.number) + ".tex", c);
}

Picture colourSkin(const std::string& path, uint32_t main, const std::string& mark) {
  Canvas c = skinBase(main, kWhite);
  drawText(c, mark, 128, 158, 80, rgb(kNight, 0.7f));
  return picture(path, c);
}

// Effect sprites: bright centres, transparent edges, drawn over the arena.
Picture radial(const std::string& path, int size, const std::function<Colour(float r, float angle)>& paint) {
  Canvas c(size, size, 1, 1);
  c.fill([&](float x, float y) {
    const float dx = x - 0.5f, dy = y - 0.5f;
    const float r = length(dx, dy) * 2;
    Colour col = paint(r, std::atan2(dy, dx));
    col.a *= std::clamp((1 - r) * 6, 0.0f, 1.0f);  // always clear at the rim
    return col;
  });
  return picture(path, c);
}

float rays(float angle, int count, float sharpness) {
  return std::pow(0.5f + 0.5f * std::cos(angle * count), sharpness);
}

}  // namespace

const std::vector<LevelStyle>& levelStyles() {
  static const std::vector<LevelStyle> styles = {
      {1, "Training Hall", kCyan, 0x1C2A52, 0},     {2, "Tidewater", 0x4FA8FF, 0x14305A, 3},
      {3, "Ember Court", 0xFF8A3D, 0x3A1E1A, 1},    {4, "Glacier Box", 0xA8F0FF, 0x27445E, 2},
      {5, "Neon Alley", 0xFF4FD8, 0x2A1444, 0},     {6, "Jade Cloister", 0x4FE0A0, 0x123A30, 4},
      {7, "Dune Works", kAmber, 0x3E3018, 3},       {8, "Violet Vault", 0xB07CFF, 0x241A4A, 2},
      {9, "Crimson Core", kCoral, 0x3A1018, 1},     {10, "The Summit", 0xFFE066, 0x1E2640, 4},
  };
  return styles;
}

std::vector<Picture> paintLevels() {
  std::vector<Picture> out;
  for (const LevelStyle& s : levelStyles()) {
    const std::string n = std::to_string(s.number);
    // Level 10's arena doubles as the network arena, "map10.tex" beside the other textures.
    out.push_back(map(s, s.number == 10 ? "base/tex/map10.tex" : "base/tex/maps/map" + n + ".tex"));
    out.push_back(ball("base/tex/balls/ball" + n + ".tex", s.accent, s.base, s.number % 4));
    out.push_back(thumbnail(s));
    out.push_back(computerSkin(s));
  }
  return out;
}

std::vector<Picture> paintSkins() {
  std::vector<Picture> out;
  for (int i = 1; i <= kSkinCount; ++i) out.push_back(skin(i));
  out.push_back(colourSkin("base/tex/color1.tex", kCyan, "1"));
  out.push_back(colourSkin("base/tex/color2.tex", kAmber, "2"));
  out.push_back(ball("base/tex/mpball.tex", kAmber, kCyan, 3));
  return out;
}

std::vector<Picture> paintEffects() {
  std::vector<Picture> out;
  {
    Canvas c(128, 128, 128, 128);
    const Mask ringLine = c.outline(circle(64, 64, 44), 6);
    c.glow(ringLine, rgb(kCyan, 0.8f), 6);
    c.composite(ringLine, rgb(kCyan));
    for (int i = 0; i < 4; ++i) {
      const float a = i * 1.5708f;
      c.composite(c.shape(segment(64 + std::cos(a) * 30, 64 + std::sin(a) * 30, 64 + std::cos(a) * 58,
                                  64 + std::sin(a) * 58, 3)),
                  rgb(kWhite));
    }
    c.draw(circle(64, 64, 5), rgb(kAmber));
    out.push_back(picture("base/tex/crosshair.tex", c));
  }
  out.push_back(radial("base/tex/goal.tex", 256, [](float r, float angle) {
    const float ringGlow = std::exp(-std::pow((r - 0.78f) / 0.08f, 2.0f));
    const float burst = rays(angle, 12, 6) * std::max(0.0f, 1 - r) + std::max(0.0f, 1 - r * 2.2f);
    Colour c = mix(rgb(kAmber), rgb(0xFFFFFF), std::max(0.0f, 1 - r * 2));
    c.a = std::clamp(burst + ringGlow, 0.0f, 1.0f) * (1 - std::pow(r, 6.0f));
    return c;
  }));
  out.push_back(radial("base/tex/reflect.tex", 256, [](float r, float) {
    const float ripples = std::pow(0.5f + 0.5f * std::cos(r * 3.14159f * 7), 4.0f);
    Colour c = mix(rgb(0xFFFFFF), rgb(kCyan), r);
    c.a = std::clamp(ripples * (1 - r) * 1.3f + std::max(0.0f, 0.6f - r * 3), 0.0f, 1.0f);
    return c;
  }));
  {
    Canvas c(128, 128, 128, 128);
    for (uint32_t i = 0; i < 28; ++i) {
      const float angle = (hash32(i + 900) % 6283) / 1000.0f, dist = 8 + (hash32(i + 950) % 50);
      const float x = 64 + std::cos(angle) * dist, y = 64 + std::sin(angle) * dist;
      const Mask spark = c.shape(circle(x, y, 1.5f + (hash32(i + 990) % 30) / 10.0f), Bounds{x - 6, y - 6, x + 6, y + 6});
      c.glow(spark, rgb(kCyan, 0.9f), 3);
      c.composite(spark, rgb(0xFFFFFF));
    }
    out.push_back(picture("base/tex/part2.tex", c));
  }
  out.push_back(radial("base/tex/boom.tex", 256, [](float r, float angle) {
    const float jag = rays(angle, 9, 3) * 0.3f + rays(angle + 0.7f, 14, 4) * 0.2f;
    const float body = std::clamp((0.85f - r + jag * 0.5f) * 3, 0.0f, 1.0f);
    Colour c = mix(rgb(0xFFF6D8), mix(rgb(kAmber), rgb(kCoral), r * 1.4f), r * 1.6f);
    c.a = body;
    return c;
  }));
  return out;
}

}  // namespace assetgen
