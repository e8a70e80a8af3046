// Full-screen pictures: the intro, the menu splash and options frame, the pick, results, host,
// join and credits backgrounds, and the console panel. All share one backdrop: a night-blue
// arena tunnel drawn in perspective with glowing cyan depth rings.
#include <cmath>

#include "art.h"
#include "typeface.h"

namespace assetgen {
namespace {

using namespace palette;

// Screens are designed on the 1280 x 1024 virtual screen (y down here) and stored 1024 x 1024.
constexpr float kW = 1280, kH = 1024;

Canvas screen() { return Canvas(1024, 1024, kW, kH); }

// The arena seen down its length: rectangles shrinking toward a vanishing point.
void tunnel(Canvas& c, float cx, float cy, float strength, uint32_t accent) {
  const float halfW = kW * 0.62f, halfH = kH * 0.62f;
  for (int ring = 0; ring < 9; ++ring) {
    const float depth = std::pow(0.68f, static_cast<float>(ring));
    const float w = halfW * depth, h = halfH * depth * 0.8f;
    const Distance frame = roundRect(cx - w, cy - h, 2 * w, 2 * h, 4);
    const Mask line = c.outline(frame, 2.2f);
    c.glow(line, rgb(accent, 0.35f * strength * (0.4f + depth)), 6);
    c.composite(line, rgb(accent, strength * (0.25f + 0.6f * depth)));
  }
  // Edges of the box running to the vanishing point.
  for (float sx : {-1.0f, 1.0f}) {
    for (float sy : {-1.0f, 1.0f}) {
      const Mask edge = c.shape(segment(cx + sx * halfW, cy + sy * halfH * 0.8f, cx + sx * halfW * 0.04f,
                                        cy + sy * halfH * 0.8f * 0.04f, 1.2f));
      c.composite(edge, rgb(accent, 0.35f * strength));
    }
  }
}

void backdrop(Canvas& c, float tunnelStrength, uint32_t seed) {
  c.fill([&](float x, float y) {
    const float t = y / kH;
    Colour base = mix(rgb(kNight), rgb(kNavy), 0.35f + 0.65f * std::sin(t * 3.14159f));
    const float grain = fractalNoise(x / 140, y / 140, seed, 4) - 0.5f;
    base = mix(base, rgb(kSteel), grain * 0.5f + 0.1f);
    const float dx = x / kW - 0.5f, dy = y / kH - 0.5f;
    const float vignette = std::clamp(1.2f - 1.4f * (dx * dx + dy * dy) * 2.2f, 0.35f, 1.0f);
    base.r *= vignette;
    base.g *= vignette;
    base.b *= vignette;
    base.a = 1;
    return base;
  });
  if (tunnelStrength > 0) tunnel(c, kW / 2, kH * 0.55f, tunnelStrength, kCyan);
}

void logo(Canvas& c, float cx, float top, float scale) {
  Typeface& type = Typeface::shared();
  const float big = 150 * scale, small = 44 * scale;
  const Mask word = type.render(c, "RALLIX", cx, top + small + 30 * scale + big, big, Weight::Bold, Align::Centre);
  c.glow(word, rgb(kCyan, 0.9f), 18 * scale);
  c.composite(word, [&](float, float y) {
    return mix(rgb(0xFFFFFF), rgb(kCyan), (y - top - small) / (big + 40 * scale));
  });
  const Mask over = type.render(c, "QUILLMARK", cx, top + small, small, Weight::Bold, Align::Centre);
  c.glow(over, rgb(kAmber, 0.7f), 8 * scale);
  c.composite(over, rgb(kAmber));
  // The ball with a short trail, set against the last letter.
  const float bx = cx + type.measure(c, "RALLIX", big, Weight::Bold) * 0.5f + 40 * scale;
  const float by = top + small + 30 * scale + big * 0.45f;
  for (int i = 4; i >= 1; --i) {
    c.composite(c.shape(circle(bx - i * 26 * scale, by + i * 9 * scale, 22 * scale * (1 - i * 0.15f))),
                rgb(kAmber, 0.12f * (5 - i)));
  }
  const Mask ball = c.shape(circle(bx, by, 24 * scale));
  c.glow(ball, rgb(kAmber, 0.9f), 14 * scale);
  c.composite(ball, [&](float x, float y) {
    const float d = length(x - bx + 8 * scale, y - by + 8 * scale) / (30 * scale);
    return mix(rgb(0xFFF4D8), rgb(0xF08C1E), d);
  });
}

void heading(Canvas& c, const std::string& text, float baseline, float centre = kW / 2) {
  const Mask m = Typeface::shared().render(c, text, centre, baseline, 62, Weight::Bold, Align::Centre);
  c.glow(m, rgb(kCyan, 0.8f), 10);
  c.composite(m, rgb(kWhite));
  c.composite(c.shape(roundRect(centre - 220, baseline + 22, 440, 5, 2.5f)), rgb(kAmber));
}

void panel(Canvas& c, float left, float top, float w, float h) {
  const Distance box = roundRect(left, top, w, h, 18);
  c.composite(c.shape(box), rgb(kNight, 0.55f));
  c.composite(c.outline(box, 2.5f), rgb(kCyan, 0.7f));
}

// Virtual-screen y grows upward from the bottom; the canvas' y grows downward.
float down(float yUp) { return kH - yUp; }

Picture intro() {
  Canvas c = screen();
  backdrop(c, 1.0f, 101);
  logo(c, kW / 2 - 40, 300, 1.35f);
  const Mask tag = Typeface::shared().render(c, "Rallies in three dimensions", kW / 2, 760, 34, Weight::Regular,
                                             Align::Centre);
  c.composite(tag, rgb(kWhite, 0.9f));
  return picture("base/tex/intro.tex", c);
}

Picture splash() {
  Canvas c = screen();
  backdrop(c, 0.55f, 102);
  logo(c, kW / 2 - 40, 40, 1.0f);
  return picture("base/tex/menu/splash.tex", c);
}

// The options page's panel: widgets sit on it, so it is translucent with a bright rim.
Picture frame() {
  const float w = 1050, h = 400;
  Canvas c(1024, 512, w, h);
  const Distance box = roundRect(4, 4, w - 8, h - 8, 24);
  c.composite(c.shape(box), [&](float, float y) { return mix(rgb(kNavy, 0.86f), rgb(kNight, 0.9f), y / h); });
  c.composite(c.outline(box, 4), rgb(kCyan));
  c.composite(c.shape(roundRect(30, 4, w - 60, 6, 3)), rgb(kAmber));
  c.composite(c.shape(segment(620, 40, 620, h - 40, 1.2f)), rgb(kCyan, 0.4f));
  return picture("base/tex/menu/frame.tex", c);
}

Picture pick() {
  Canvas c = screen();
  backdrop(c, 0.35f, 103);
  heading(c, "Choose Your Match", 92);
  panel(c, 45, down(470), 260, 330);      // thumbnail, level arrows and "Map"
  panel(c, 440, down(210), 390, 185);     // skin and paddle arrows
  // A pedestal of light where the paddle preview turns.
  const Mask pad = c.shape([](float x, float y) { return length((x - 640) / 1.0f, (y - 660) * 3.2f) - 230; });
  c.glow(pad, rgb(kCyan, 0.35f), 30);
  c.composite(c.outline([](float x, float y) { return length(x - 640, (y - 660) * 3.2f) - 230; }, 3), rgb(kCyan, 0.8f));
  return picture("base/tex/menu/paddlepick.tex", c);
}

Picture results() {
  Canvas c = screen();
  backdrop(c, 0.3f, 104);
  panel(c, 10, down(900), 920, 640);
  // A trophy of light on the right: cup, stem and base.
  const float cx = 1100, top = 330;
  Mask cup = c.shape(polygon({cx - 90, top, cx + 90, top, cx + 60, top + 130, cx - 60, top + 130}));
  c.glow(cup, rgb(kAmber, 0.6f), 20);
  c.composite(cup, [&](float x, float) { return mix(rgb(0xFFE3A0), rgb(0xF08C1E), (x - cx + 90) / 180); });
  c.composite(c.outline(circle(cx - 95, top + 45, 32), 9, Bounds{cx - 140, top, cx - 60, top + 90}), rgb(kAmber));
  c.composite(c.outline(circle(cx + 95, top + 45, 32), 9, Bounds{cx + 60, top, cx + 140, top + 90}), rgb(kAmber));
  c.draw(roundRect(cx - 14, top + 125, 28, 70, 6), rgb(0xF0A030));
  c.draw(roundRect(cx - 70, top + 190, 140, 34, 8), rgb(kSteel));
  c.composite(c.outline(roundRect(cx - 70, top + 190, 140, 34, 8), 3), rgb(kCyan));
  return picture("base/tex/menu/match.tex", c);
}

Picture setup(const std::string& file, const std::string& title) {
  Canvas c = screen();
  backdrop(c, 0.4f, file == "serveback" ? 105u : 106u);
  heading(c, title, 130, 440);  // left of the match standings the set-up scenes print from x = 900
  panel(c, 70, down(610), 1020, 250);
  return picture("base/tex/menu/" + file + ".tex", c);
}

Picture credits() {
  Canvas c = screen();
  backdrop(c, 0.0f, 107);
  for (uint32_t i = 0; i < 260; ++i) {  // a field of stars
    const float x = hash32(i * 3 + 1) % 1280, y = hash32(i * 3 + 2) % 1024;
    const float r = 0.8f + (hash32(i * 3 + 3) % 100) / 55.0f;
    c.composite(c.shape(circle(x, y, r), Bounds{x - 4, y - 4, x + 4, y + 4}),
                rgb(i % 7 == 0 ? kAmber : kWhite, 0.35f + r / 5));
  }
  tunnel(c, 1000, 780, 0.25f, kCyan);
  return picture("base/tex/credback.tex", c);
}

Picture console() {
  Canvas c(512, 256, 1280, 512);
  c.fill([](float x, float y) {
    Colour base = mix(rgb(kNight), rgb(kNavy), y / 512);
    if (std::fmod(x, 64) < 1.5f || std::fmod(y, 64) < 1.5f) base = mix(base, rgb(kCyan), 0.12f);
    base.a = 1;
    return base;
  });
  c.composite(c.shape(roundRect(0, 500, 1280, 12, 0)), rgb(kCyan));
  return picture("base/tex/console.tex", c);
}

}  // namespace

std::vector<Picture> paintScreens() {
  std::vector<Picture> out;
  out.push_back(intro());
  out.push_back(splash());
  out.push_back(frame());
  out.push_back(pick());
  out.push_back(results());
  out.push_back(setup("serveback", "Host a Game"));
  out.push_back(setup("clientback", "Join a Game"));
  out.push_back(credits());
  out.push_back(console());
  return out;
}

}  // namespace assetgen
