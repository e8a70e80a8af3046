// Reading the level catalogue: counts, paddle and skin paths, level values, the unlock bits
// of key CStat, and the results screen's sound. Buffers have fixed sizes and values longer
// than them are cut, never overrun.
#include "catalog.h"

#include <cstdio>

#include "core/ini_file.h"
#include "match.h"

namespace {

constexpr const char* gameSection = "Game";
constexpr int32_t lowestDifficulty = 1;
constexpr int32_t highestDifficulty = 4;
constexpr uint32_t colourLocked = 0xFFC8FFFF;
// Paddle paths are read into 256 bytes at start-up and 512 bytes by the paddle arrows.
constexpr size_t startupPaddlePathSize = 256;
constexpr size_t arrowPaddlePathSize = 512;

struct SectionName {
  explicit SectionName(int32_t level) { snprintf(text, sizeof text, "Level%d", level); }
  char text[32];
};

struct NumberedKey {
  NumberedKey(const char* stem, int32_t number) {
    snprintf(text, sizeof text, "%s%d", stem, number);
  }
  char text[32];
};

bool DifficultyInRange(int32_t difficulty) {
  return difficulty >= lowestDifficulty && difficulty <= highestDifficulty;
}

}  // namespace

void LevelCatalog::LoadCatalogue() {
  const aruIniFile file(path);
  levelCount = file.ReadInt(gameSection, "NumLevels", defaultCount);
  skinCount = file.ReadInt(gameSection, "NumSkins", defaultCount);
  paddleCount = file.ReadInt(gameSection, "NumPaddles", defaultCount);
  paddleModelPath = defaultPaddleModelPath;
  char modelPath[startupPaddlePathSize] = "";
  if (file.ReadString(modelPath, sizeof modelPath, gameSection,
                      NumberedKey("Paddle", paddleModel).text, "") &&
      modelPath[0] != '\0') {
    paddleModelPath = modelPath;
  }
}

void LevelCatalog::ClampSelections() {
  if (paddleModel > paddleCount) paddleModel = paddleCount;
  if (paddleModel < 1) paddleModel = 1;
  if (skinNumber > skinCount) skinNumber = skinCount;
  if (skinNumber < 1) skinNumber = 1;
}

int32_t LevelCatalog::WrapForward(int32_t value, int32_t count) {
  if (count < 1) return value;
  return value >= count || value < 1 ? 1 : value + 1;
}

int32_t LevelCatalog::WrapBackward(int32_t value, int32_t count) {
  if (count < 1) return value;
  return value <= 1 || value > count ? count : value - 1;
}

const char* LevelCatalog::NextSkin() {
  skinNumber = WrapForward(skinNumber, skinCount);
  return ReadSkinPath();
}

const char* LevelCatalog::PreviousSkin() {
  skinNumber = WrapBackward(skinNumber, skinCount);
  return ReadSkinPath();
}

const char* LevelCatalog::ReadSkinPath() {
  skinPath[0] = '\0';
  ReadGameString(NumberedKey("Skin", skinNumber).text, skinPath, sizeof skinPath);
  return skinPath;
}

const char* LevelCatalog::NextPaddle() {
  paddleModel = WrapForward(paddleModel, paddleCount);
  char modelPath[arrowPaddlePathSize] = "";
  ReadGameString(NumberedKey("Paddle", paddleModel).text, modelPath, sizeof modelPath);
  paddleModelPath = modelPath;
  return paddleModelPath.c_str();
}

const char* LevelCatalog::PreviousPaddle() {
  paddleModel = WrapBackward(paddleModel, paddleCount);
  char modelPath[arrowPaddlePathSize] = "";
  ReadGameString(NumberedKey("Paddle", paddleModel).text, modelPath, sizeof modelPath);
  paddleModelPath = modelPath;
  return paddleModelPath.c_str();
}

int32_t LevelCatalog::ReadUnlockBits(int32_t level) const {
  return aruIniFile(path).ReadInt(SectionName(level).text, "CStat", 0);
}

bool LevelCatalog::IsUnlocked(int32_t level, int32_t difficulty) const {
  if (level == 1) return true;
  if (!DifficultyInRange(difficulty)) return false;
  return ((ReadUnlockBits(level) >> (difficulty - 1)) & 1) != 0;
}

void LevelCatalog::RecordWin(int32_t currentLevel, int32_t difficulty) const {
  if (currentLevel >= levelCount || !DifficultyInRange(difficulty)) return;
  const int32_t nextLevel = currentLevel + 1;
  const int32_t bits = ReadUnlockBits(nextLevel) | (1 << (difficulty - 1));
  aruIniFile(path).WriteInt(SectionName(nextLevel).text, "CStat", bits);
}

std::string LevelCatalog::ResultSoundPath(bool won, bool conceded, int32_t currentLevel) const {
  char sound[1024] = "";
  if (!won) {
    ReadLevelString(currentLevel, "lose", sound, sizeof sound, "");
  } else if (!conceded) {
    ReadGameString("perfect", sound, sizeof sound);
  } else {
    const int32_t level = currentLevel < levelCount ? currentLevel + 1 : currentLevel;
    ReadLevelString(level, "win", sound, sizeof sound, "");
  }
  return sound;
}

bool LevelCatalog::ReadLevelString(int32_t level, const char* key, char* buffer, size_t size,
                                   const char* defaultValue) const {
  if (buffer == nullptr || size == 0) return false;
  snprintf(buffer, size, "%s", defaultValue);
  return aruIniFile(path).ReadString(buffer, size, SectionName(level).text, key, defaultValue);
}

bool LevelCatalog::ReadGameString(const char* key, char* buffer, size_t size) const {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  return aruIniFile(path).ReadString(buffer, size, gameSection, key, "");
}

bool StartLevel(RallixMatch& match, const LevelCatalog& catalog) {
  if (!catalog.IsUnlocked(match.selectedLevel, match.difficulty)) {
    match.Announce(colourLocked, "That level is currently locked or unavailable!");
    return false;
  }
  match.BeginSelectedLevel();
  return true;
}
