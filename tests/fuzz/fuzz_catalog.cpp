// libFuzzer harness for the level catalogue read through the game's own code: every input is a
// whole catalogue file. It is loaded and clamped as at start-up, the skin and paddle arrows
// step both ways past the ends, every level's values and unlock bits are read, and one win is
// recorded, which must unlock the next level at that difficulty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalog.h"
#include "fuzz_file.h"

namespace {

// Levels beyond this are not walked: a catalogue may claim two thousand million of them.
constexpr int32_t kMaxLevelsWalked = 3;
constexpr int32_t kArrowSteps = 12;

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_catalog: %s\n", what);
  std::abort();
}

// A selection after an arrow stays in 1..count, or unchanged when the count is below 1.
void CheckSelection(int32_t value, int32_t before, int32_t count) {
  if (count < 1 ? value != before : value < 1 || value > count) Fail("an arrow left its range");
}

void StepArrows(LevelCatalog& catalog) {
  for (int32_t step = 0; step < kArrowSteps; ++step) {
    const int32_t skin = catalog.skinNumber;
    const bool forward = step < kArrowSteps / 2;
    const char* skinPath = forward ? catalog.NextSkin() : catalog.PreviousSkin();
    if (skinPath == nullptr || std::strlen(skinPath) >= 1024) Fail("a skin path overran its buffer");
    CheckSelection(catalog.skinNumber, skin, catalog.skinCount);
    const int32_t paddle = catalog.paddleModel;
    if (forward ? catalog.NextPaddle() == nullptr : catalog.PreviousPaddle() == nullptr) Fail("no paddle path");
    CheckSelection(catalog.paddleModel, paddle, catalog.paddleCount);
  }
}

void ReadLevels(const LevelCatalog& catalog) {
  static const char* const keys[] = {"Name", "opn", "Thumb", "Paddle", "Opp", "map", "ball", "win", "lose"};
  const int32_t last = std::min(catalog.levelCount + 1, kMaxLevelsWalked);
  for (int32_t level = -1; level <= last; ++level) {
    for (const char* key : keys) {
      char value[256];
      catalog.ReadLevelString(level, key, value, sizeof value, "none");
      if (std::strlen(value) >= sizeof value) Fail("a level value overran its buffer");
    }
    for (int32_t difficulty : {0, 1, 4, 5}) catalog.IsUnlocked(level, difficulty);
    catalog.ResultSoundPath(level % 2 == 0, level % 3 == 0, level);
  }
  char perfect[8];
  catalog.ReadGameString("perfect", perfect, sizeof perfect);
}

void CheckWinUnlocksTheNextLevel(const LevelCatalog& catalog) {
  if (catalog.levelCount < 2) return;
  catalog.RecordWin(1, 3);
  if (!catalog.IsUnlocked(2, 3)) Fail("a recorded win did not unlock the next level");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("Default.pcf", data, size);
  LevelCatalog catalog(path.c_str());
  catalog.paddleModel = 2;
  catalog.skinNumber = 3;
  catalog.LoadCatalogue();
  catalog.ClampSelections();
  StepArrows(catalog);
  ReadLevels(catalog);
  CheckWinUnlocksTheNextLevel(catalog);
  return 0;
}
