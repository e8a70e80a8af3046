// The results screen (scene3) after a single-player match and the scrolling credits (scene4).
// Both draw text with a 50-point font and play one music file, so they share their device
// slots and their clean-up.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/scene.h"
#include "core/sound.h"
#include "services/font.h"

class RallixGame;

namespace menus {

// The font and music of a text screen, restored, invalidated and released alike.
class TextScene : public aruScene {
 public:
  explicit TextScene(ARU* engine) : aruScene(engine) {}
  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Destroy() override;

 protected:
  // Creates the screen's font ("Verdana", 50) and music object.
  void CreateFontAndMusic();
  std::unique_ptr<aruMP3> music;
  std::unique_ptr<aruFont> font;
};

struct MatchTime {
  uint32_t minutes;
  uint32_t seconds;
};
MatchTime SplitMatchTime(uint32_t milliseconds);
// 1 when the player reached the goals to win, else 2.
int32_t MatchResult(int32_t playerScore, int32_t goalsToWin);
// "Easy", "Medium", "Hard", "Impossible!", or "Hacked" for any other value.
const char* DifficultyName(int16_t difficulty);
// Continue after a win: true when the last level was won (the credits follow); otherwise the
// next level becomes current with its goals to win and computer speed.
bool AdvanceLevel(RallixGame& game);

// How a credit line is drawn: its colour and the text without the marker.
struct CreditLook {
  D3DCOLOR colour;
  const char* text;
};
CreditLook LookOfCreditLine(const char* line);
// The credits from top to bottom; an empty text is a gap.
std::vector<const char*> CreditLines();

}  // namespace menus

class scene3 : public menus::TextScene {
 public:
  explicit scene3(ARU* engine) : TextScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;

  int32_t GetResult() const { return result; }

 private:
  int32_t result = 2;
  const char* difficultyName = "";
  uint32_t matchTime = 0;
  uint32_t minutes = 0;
  uint32_t seconds = 0;
};

class scene4 : public menus::TextScene {
 public:
  explicit scene4(ARU* engine) : TextScene(engine) {}
  HRESULT Initialize() override;
  HRESULT Render() override;

  float GetScroll() const { return scroll; }

 private:
  float scroll = -1.0f;
  std::vector<const char*> lines;
};
