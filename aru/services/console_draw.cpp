// The console's drawing: the translucent panel over the top of the back buffer, the scroll-back
// lines, the scroll marker, the entry line with its pulsing caret, and the overlay of recent
// lines while the panel is closed. Text positions are in the 1280 x 1024 virtual screen, y up.
#include "core/aru.h"
#include "services/console.h"
#include "services/font.h"
#include "services/vb.h"

#include <algorithm>

namespace {

constexpr float kFontHeight = 25.0f;
constexpr float kTopLineY = 1014.0f;
constexpr float kLineX = 0.5f;
constexpr float kInputX = 40.0f;
constexpr float kEntryBaseY = 512.0f;
constexpr D3DCOLOR kMarkerColour = 0xFF00FF00;

}  // namespace

HRESULT aruConsole::Initialize(ARU* engine, D3DCOLOR newInputColour, uint32_t newScrollbackSize,
                               uint32_t newActivatorKey, float newTransparency) {
  consoleEngine = engine;
  inputColour = newInputColour;
  scrollbackSize = newScrollbackSize;
  activatorKey = newActivatorKey;
  transparency = newTransparency;
  {
    LineLock guard(linesFlag);
    while (lines.size() > scrollbackSize) lines.pop_front();
  }
  shownLines.reserve(scrollbackSize);
  if (engine == nullptr) return E_FAIL;
  font = std::make_unique<aruFont>(engine);
  font->Create("Verdana", static_cast<uint32_t>(kFontHeight), false, false, false);
  panel = std::make_unique<aruVB>(engine);
  panel->SetTexture(backgroundTexture);
  return Restore();
}

void aruConsole::SetBackground(int32_t textureIndex) {
  backgroundTexture = textureIndex;
  if (panel != nullptr) panel->SetTexture(textureIndex);
}

void aruConsole::Invalidate() {
  if (font != nullptr) font->Invalidate();
  if (panel != nullptr) panel->Invalidate();
}

HRESULT aruConsole::Restore() {
  if (consoleEngine == nullptr || font == nullptr || panel == nullptr) return E_FAIL;
  font->Restore();
  open = false;
  panelWidth = consoleEngine->GetScreenWidth();
  const float height = consoleEngine->GetScreenHeight();
  panelBottom = height * (1.0f - heightFraction);
  const D3DCOLOR colour = ARGB(static_cast<float>(static_cast<int>(transparency * 255.0f)), 255, 255, 255);
  const aruNVertex corners[4] = {
      {0, height, 1, 0, 0, -1, colour, 0, 0},
      {panelWidth, height, 1, 0, 0, -1, colour, 1, 0},
      {0, panelBottom, 1, 0, 0, -1, colour, 0, 1},
      {panelWidth, panelBottom, 1, 0, 0, -1, colour, 1, 1},
  };
  return panel->Create(4, 2, corners);
}

void aruConsole::Draw() {
  if (consoleEngine == nullptr || font == nullptr) return;
  aruMatrix identity;
  identity.Identity();
  consoleEngine->SetWorldTransform(identity);
  if (open) {
    DrawPanel();
  } else if (showRecent) {
    DrawRecent();
  }
}

void aruConsole::DrawPanel() {
  caretPulse += static_cast<float>(consoleEngine->GetFrameTime()) * 255.0f;
  if (caretPulse > 255.0f) caretPulse = 100.0f;
  if (panel != nullptr) panel->Draw();

  RECT unused{};
  const float lineHeight = font->LineHeight(1.5f);
  UpdateMaxScroll();
  CopyShownLines(false);
  float y = kTopLineY;
  for (const Line& line : shownLines) {
    font->DrawText(&unused, kLineX, y, line.colour, line.text);
    y -= lineHeight;
  }

  const float entryY = kEntryBaseY + lineHeight;
  font->DrawText(&unused, 0, entryY, kMarkerColour, scroll == 0 ? ">" : "^");

  // The text before the caret, the caret at its right end, then the rest from the same point.
  char before[64];
  const size_t caretAt = std::min(static_cast<size_t>(std::max(caret, 0)), input.size());
  const size_t beforeLength = std::min(caretAt, sizeof before - 1);
  input.copy(before, beforeLength);
  before[beforeLength] = '\0';
  RECT extent{};
  font->DrawText(&extent, kInputX, entryY, inputColour, before);
  const float caretX = static_cast<float>(extent.right);
  font->DrawText(&unused, caretX, entryY - 1.0f, ARGB(caretPulse, 0, 255, 0), "_");
  font->DrawText(&unused, caretX, entryY, inputColour, input.c_str() + beforeLength);
}

void aruConsole::DrawRecent() {
  RECT unused{};
  const float lineHeight = font->LineHeight(1.5f);
  CopyShownLines(true);
  float y = kTopLineY;
  for (const Line& line : shownLines) {
    font->DrawText(&unused, kLineX, y, line.colour, line.text);
    y -= lineHeight;
  }
}

void aruConsole::CopyShownLines(bool recentOnly) {
  shownLines.clear();
  const uint32_t now = GetTickCount();
  const int32_t visible = VisibleLineCount();
  LineLock guard(linesFlag);
  const int32_t count = static_cast<int32_t>(lines.size());
  const int32_t first = recentOnly ? 0 : std::max(FirstShownLine(), 0);
  for (int32_t i = first; i < count; ++i) {
    const Line& line = lines[static_cast<size_t>(i)];
    if (recentOnly && !IsRecent(line, now)) continue;
    if (!recentOnly && static_cast<int32_t>(shownLines.size()) >= visible) break;
    if (shownLines.size() == shownLines.capacity()) break;  // never grow while holding the lock
    shownLines.push_back(line);
  }
}
