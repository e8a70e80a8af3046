// Shared by the asset tests: where the built game data is, the texture files decoded, helpers
// to normalise the paths the game uses, to read files and INI data, and a per-kind file check.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen::testing {

// The run directory the build wrote base/ into (each test runs in its own process, so the tests
// read what the build generated rather than generating it again).
std::filesystem::path runDir();

// Tests of the data the build wrote: they fail at once, saying why, when there is none.
class BuiltData : public ::testing::Test {
 protected:
  void SetUp() override;
};

// Every texture under the run directory's base/, decoded, by stored name; decoded once per
// process. A texture that does not decode is missing from the map (the data tests name it).
const std::map<std::string, Image>& builtTextures();

// "./base/Tex\Menu\LetsGo1.tex" -> "base/tex/menu/letsgo1.tex" (how the files are stored).
std::string storedName(const std::string& gamePath);

std::vector<uint8_t> readBytes(const std::filesystem::path& path);

// Sections and keys in lower case, values trimmed.
using Ini = std::map<std::string, std::map<std::string, std::string>>;
Ini parseIni(const std::string& text);

// Checks one file by its kind (.tex PNG, .x mesh, .sfx WAV, .cfg/.pcf INI); empty when good,
// otherwise what is wrong. Texture names inside models are resolved under root/base/tex.
std::string checkFile(const std::filesystem::path& root, const std::string& stored);

}  // namespace assetgen::testing
