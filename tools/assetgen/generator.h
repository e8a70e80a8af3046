// Produces every file of the game's data directory base/ in memory and writes them into a run
// directory. The player's configuration and the catalogue (which holds the unlock state) are
// only written when missing; everything else is rewritten when its bytes differ.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "art.h"

namespace assetgen {

struct Output {
  std::string path;  // relative to the run directory, e.g. "base/sfx/wall.sfx"
  std::vector<uint8_t> bytes;
  bool keepExisting = false;
};

struct Generated {
  std::vector<Output> files;
  std::vector<Picture> pictures;  // the decoded textures, for the contact sheet
};

Generated generateAll();

struct WriteReport {
  int written = 0;
  int unchanged = 0;
  int kept = 0;  // existing files left alone (player data)
};

// Creates base/ and its folders (including base/shots/) under runDir and writes the files.
// Returns false and sets `error` when a directory or file cannot be written.
bool writeAll(const Generated& generated, const std::filesystem::path& runDir, WriteReport& report,
              std::string& error);

// All pictures side by side on a checkerboard (which shows their transparency), each at the
// proportions it is shown at and labelled with its file name.
Image contactSheet(const std::vector<Picture>& pictures);

}  // namespace assetgen
