// Menu widgets: labelled push buttons in a normal and a roll-over look, arrow and back buttons,
// check boxes, option buttons, the text box, the mouse cursors and the level lock. Normal looks
// are deep blue with a cyan rim and white labels; roll-over looks light up in amber.
#include <cmath>

#include "art.h"
#include "typeface.h"

namespace assetgen {
namespace {

using namespace palette;

constexpr float kMargin = 5.0f;  // display units left clear around a button for its glow

struct ButtonLook {
  Colour top, bottom, rim, label, glow;
};

ButtonLook lookFor(bool rollOver) {
  if (rollOver) return {rgb(0xFFD27A), rgb(0xF08C1E), rgb(kWhite), rgb(kInk), rgb(kAmber, 0.55f)};
  return {rgb(kSteel), rgb(kNavy), rgb(kCyan), rgb(kWhite), rgb(kCyan, 0.18f)};
}

// The common plate of every button: glow, gradient fill, rim and a soft top sheen.
Canvas plate(int texW, int texH, float w, float h, bool rollOver, float radius) {
  Canvas c(texW, texH, w, h);
  const ButtonLook look = lookFor(rollOver);
  const Distance body = roundRect(kMargin, kMargin, w - 2 * kMargin, h - 2 * kMargin, radius);
  c.glow(c.shape(body), look.glow, kMargin * 0.8f);
  c.composite(c.shape(body), [&](float, float y) { return mix(look.top, look.bottom, y / h); });
  const Distance sheen = roundRect(kMargin + 6, kMargin + 4, w - 2 * kMargin - 12, (h - 2 * kMargin) * 0.42f,
                                   std::max(2.0f, radius - 6));
  c.composite(c.shape(sheen), [&](float, float y) { return rgb(0xFFFFFF, 0.16f * (1 - y / (h * 0.5f))); });
  c.composite(c.outline(body, 3.0f), look.rim);
  return c;
}

Picture button(const std::string& file, const std::string& label, float w, float h, bool rollOver) {
  const int texW = w / h > 5.0f ? 1024 : w / h > 1.6f ? 512 : 256;
  const int texH = texW / (w / h > 5.0f ? 8 : w / h > 1.6f ? 4 : 2);
  Canvas c = plate(texW, texH, w, h, rollOver, (h - 2 * kMargin) * 0.38f);
  Typeface& type = Typeface::shared();
  const float size = type.fit(c, label, h * 0.36f, w - 2 * kMargin - h * 0.6f, Weight::Bold);
  const float baseline = h * 0.5f + size * 0.5f;
  if (!rollOver) c.composite(type.render(c, label, w * 0.5f, baseline + 2, size, Weight::Bold, Align::Centre), rgb(0, 0.6f));
  drawText(c, label, w * 0.5f, baseline, size, lookFor(rollOver).label);
  return picture("base/tex/menu/" + file + ".tex", c);
}

// Round icon buttons (arrows, back): a disc of side s units on a square texture.
Canvas roundPlate(int texture, float s, float inset, float rim, bool rollOver) {
  Canvas c(texture, texture, s, s);
  const ButtonLook look = lookFor(rollOver);
  const Distance disc = circle(s / 2, s / 2, s / 2 - inset);
  c.glow(c.shape(disc), look.glow, inset * 0.7f);
  c.composite(c.shape(disc), [&](float, float y) { return mix(look.top, look.bottom, y / s); });
  c.composite(c.outline(disc, rim), look.rim);
  return c;
}

Picture arrowButton(const std::string& file, bool pointsRight, bool rollOver) {
  const float s = 64;
  Canvas c = roundPlate(64, s, 4, 3, rollOver);
  const ButtonLook look = lookFor(rollOver);
  const float dir = pointsRight ? 1.0f : -1.0f;
  const float cx = s / 2 + dir * 2;
  c.draw(polygon({cx + dir * 13, s / 2, cx - dir * 9, s / 2 - 14, cx - dir * 9, s / 2 + 14}), look.label);
  return picture("base/tex/menu/" + file + ".tex", c);
}

Picture backButton(const std::string& file, bool rollOver) {
  const float s = 100;
  Canvas c = roundPlate(128, s, 6, 3.5f, rollOver);
  const ButtonLook look = lookFor(rollOver);
  c.draw(polygon({24, 40, 44, 22, 44, 33, 74, 33, 74, 47, 44, 47, 44, 58}), look.label);
  drawText(c, "Back", s / 2, 80, 13, look.label);
  return picture("base/tex/menu/" + file + ".tex", c);
}

Picture checkBox(const std::string& file, bool checked) {
  const float s = 50;
  Canvas c(64, 64, s, s);
  const Distance box = roundRect(4, 4, s - 8, s - 8, 8);
  c.composite(c.shape(box), [&](float, float y) { return mix(rgb(kSteel), rgb(kNavy), y / s); });
  c.composite(c.outline(box, 3), rgb(kCyan));
  if (checked) {
    Mask tick = c.shape(segment(14, 26, 22, 35, 3.2f));
    const Mask stroke = c.shape(segment(22, 35, 37, 14, 3.2f));
    for (size_t i = 0; i < tick.value.size(); ++i) tick.value[i] = std::max(tick.value[i], stroke.value[i]);
    c.glow(tick, rgb(kAmber, 0.8f), 3);
    c.composite(tick, rgb(kAmber));
  }
  return picture("base/tex/menu/" + file + ".tex", c);
}

Picture optionButton(const std::string& file, bool on) {
  const float s = 40;
  Canvas c(64, 64, s, s);
  const Distance disc = circle(s / 2, s / 2, s / 2 - 3);
  c.composite(c.shape(disc), [&](float, float y) { return mix(rgb(kSteel), rgb(kNavy), y / s); });
  c.composite(c.outline(disc, 2.5f), rgb(kCyan));
  if (on) {
    const Mask dot = c.shape(circle(s / 2, s / 2, 8));
    c.glow(dot, rgb(kAmber, 0.8f), 3);
    c.composite(dot, rgb(kAmber));
  }
  return picture("base/tex/menu/" + file + ".tex", c);
}

Picture textBox() {
  // Shown from 64 to 1360 units wide and 30 high; drawn at a middle proportion.
  const float w = 256, h = 32;
  Canvas c(256, 32, w, h);
  const Distance box = roundRect(1.5f, 1.5f, w - 3, h - 3, 6);
  c.composite(c.shape(box), [&](float, float y) { return mix(rgb(0xFFFFFF), rgb(kField), y / h); });
  c.composite(c.outline(box, 2.5f), rgb(kCyan));
  return picture("base/tex/menu/tb.tex", c);
}

// The cursor's tip is the picture's top-left corner, where the GUI places the cursor position.
Canvas cursorCanvas() {
  const float s = 50;
  Canvas c(64, 64, s, s);
  const std::vector<float> arrow = {2, 2, 2, 36, 11, 28, 18, 44, 25, 41, 18, 26, 30, 26};
  std::vector<float> shadow = arrow;
  for (size_t i = 0; i < shadow.size(); ++i) shadow[i] += 2.5f;
  c.glow(c.shape(polygon(shadow)), rgb(0, 0.6f), 1.5f);
  c.draw(polygon(arrow), rgb(kWhite));
  c.composite(c.outline(polygon(arrow), 2.2f), rgb(kInk));
  c.draw(polygon({6, 10, 6, 27, 13, 21}), rgb(kCyan));
  return c;
}

Picture cursor(const std::string& path, bool hardEdges) {
  Canvas c = cursorCanvas();
  if (hardEdges) {  // 16-bit displays keep one bit of alpha: no soft edges, no shadow blur
    for (int y = 0; y < c.height(); ++y) {
      for (int x = 0; x < c.width(); ++x) {
        Colour& p = c.at(x, y);
        p.a = p.a >= 0.75f ? 1.0f : 0.0f;
      }
    }
  }
  return picture(path, c);
}

Picture lock() {
  const float w = 200, h = 150;
  Canvas c(256, 256, w, h);
  c.fill([](float, float) { return rgb(kNight, 0.62f); });
  const float cx = w / 2;
  c.composite(c.outline(roundRect(cx - 20, 30, 40, 48, 20), 7, Bounds{cx - 30, 20, cx + 30, 70}), rgb(kCoral));
  const Distance body = roundRect(cx - 30, 55, 60, 45, 6);
  c.glow(c.shape(body), rgb(kCoral, 0.5f), 6);
  c.draw(body, rgb(kCoral));
  c.draw(circle(cx, 73, 6), rgb(kNight));
  c.draw(roundRect(cx - 2.5f, 74, 5, 14, 2), rgb(kNight));
  drawText(c, "LOCKED", cx, 130, 18, rgb(kWhite));
  c.composite(c.outline(roundRect(2, 2, w - 4, h - 4, 6), 3), rgb(kCoral));
  return picture("base/tex/locked.tex", c);
}

}  // namespace

std::vector<Picture> paintWidgets() {
  struct Labelled {
    const char* normal;
    const char* rollOver;
    const char* label;
    float w, h;  // the size the screens show it at
  };
  static const Labelled buttons[] = {
      {"newgame", "newgameroll", "New Game", 520, 120},
      {"multiplayer", "multiplayerroll", "Multiplayer", 715, 120},
      {"options", "optionsroll", "Options", 455, 120},
      {"quit", "quitroll", "Quit", 260, 120},
      {"easy", "easyroll", "Easy", 260, 120},
      {"medium", "mediumroll", "Medium", 390, 120},
      {"hard", "hardroll", "Hard", 260, 120},
      {"impossible", "impossibleroll", "Impossible", 650, 120},
      {"creategame", "creategameroll", "Create Game", 560, 110},  // shown 715 x 120 and 400 x 100
      {"connect", "connectroll", "Connect", 380, 110},            // shown 455 x 120 and 300 x 100
      {"save1", "save2", "Save", 300, 100},
      {"letsgo1", "letsgo2", "Let's Go!", 290, 100},
      {"replay", "replayroll", "Replay", 400, 125},
      {"continue", "continueroll", "Continue", 400, 125},
      {"kick", "kickroll", "Kick", 150, 100},
      {"reset1", "reset2", "Reset", 230, 100},
  };
  std::vector<Picture> out;
  for (const Labelled& b : buttons) {
    out.push_back(button(b.normal, b.label, b.w, b.h, false));
    out.push_back(button(b.rollOver, b.label, b.w, b.h, true));
  }
  out.push_back(backButton("back", false));
  out.push_back(backButton("backroll", true));
  out.push_back(arrowButton("prev1", false, false));
  out.push_back(arrowButton("prev2", false, true));
  out.push_back(arrowButton("next1", true, false));
  out.push_back(arrowButton("next2", true, true));
  out.push_back(checkBox("cbo", false));
  out.push_back(checkBox("cbc", true));
  out.push_back(optionButton("opt1", false));
  out.push_back(optionButton("opt2", true));
  out.push_back(textBox());
  out.push_back(cursor("base/tex/menu/arrow.tex", false));
  out.push_back(cursor("base/tex/menu/arrow16.tex", true));
  out.push_back(cursor("base/menu/arrow.tex", false));
  out.push_back(lock());
  Canvas nothing(16, 16, 16, 16);
  out.push_back(picture("base/tex/nothing.tex", nothing));
  return out;
}

}  // namespace assetgen
