// The level catalogue: the INI file listing levels, paddle models, skins and match sounds, and
// recording per level the difficulties at which it is unlocked. Every read opens a short-lived
// file object over the path, so edits made while the game runs are seen at the next read.
// Loading textures and meshes from the paths given here is left to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class RallixMatch;

class LevelCatalog {
 public:
  static constexpr int32_t defaultCount = 10;
  static constexpr const char* defaultPaddleModelPath = "./base/mdl/Paddle.x";

  // The path is borrowed (the game's catalogue path buffer) and must outlive the catalogue.
  explicit LevelCatalog(const char* catalogPath) : path(catalogPath) {}

  // Reads the three counts of section "Game" and the paddle model path for the saved paddle
  // model number, which is not clamped yet.
  void LoadCatalogue();
  // Paddle model number and skin number into [1, count], the upper bound first.
  void ClampSelections();

  // Skin number ± 1, wrapping over the skin count; returns the new skin's texture path.
  const char* NextSkin();
  const char* PreviousSkin();
  // Paddle model number ± 1, wrapping; the paddle model path follows (even when empty).
  const char* NextPaddle();
  const char* PreviousPaddle();
  // The selected level ± 1, wrapping over the level count.
  int32_t NextLevel(int32_t selectedLevel) const { return WrapForward(selectedLevel, levelCount); }
  int32_t PreviousLevel(int32_t selectedLevel) const {
    return WrapBackward(selectedLevel, levelCount);
  }

  bool IsUnlocked(int32_t level, int32_t difficulty) const;
  // After a won match: opens the next level at the difficulty (nothing after the last level).
  void RecordWin(int32_t currentLevel, int32_t difficulty) const;
  // The sound to play on the results screen; empty when the catalogue names none.
  std::string ResultSoundPath(bool won, bool conceded, int32_t currentLevel) const;

  // A value of a level's section "Level%d" or of section "Game", cut to the buffer's size;
  // the default when missing or empty. Returns true when the file gave a value.
  bool ReadLevelString(int32_t level, const char* key, char* buffer, size_t size,
                       const char* defaultValue) const;
  bool ReadGameString(const char* key, char* buffer, size_t size) const;

  // value ± 1 wrapping within 1 … count; a count below 1 leaves the value as it is.
  static int32_t WrapForward(int32_t value, int32_t count);
  static int32_t WrapBackward(int32_t value, int32_t count);

  const char* GetPath() const { return path; }

  int32_t levelCount = 0;
  int32_t skinCount = 0;
  int32_t paddleCount = 0;
  int32_t skinNumber = 1;
  int32_t paddleModel = 1;
  std::string paddleModelPath = defaultPaddleModelPath;

 private:
  const char* ReadSkinPath();
  int32_t ReadUnlockBits(int32_t level) const;

  const char* path;
  char skinPath[1024] = "";
};

// The pick screen's start button: refuses a locked selection with a console line, else begins
// the selected level. Returns true when the match scene should follow.
bool StartLevel(RallixMatch& match, const LevelCatalog& catalog);
