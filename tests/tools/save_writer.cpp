// Writes the game's saved files over and over, through the game's own code, so that a test can
// kill it at random moments; and checks a file left behind. Each save carries a generation
// number g in every value, so a check can tell a whole save from a torn one.
//   save_writer settings <config file>     [Pong] at once and [ARU] IsSetup, generation after generation
//   save_writer catalogue <catalogue file> the unlock bits of level 2, reset and set again
//   save_writer bitmap <file.bmp>          a 64 x 48 bitmap whose every byte is g mod 256
//   save_writer check-<mode> <file>        exit 0 when the file is whole, 1 with a reason otherwise
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog.h"
#include "core/ini_file.h"
#include "core/screenshot.h"
#include "match.h"
#include "settings.h"

namespace {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 48;

int Fail(const std::string& reason) {
  std::fprintf(stderr, "torn: %s\n", reason.c_str());
  return 1;
}

// A run goes on from the generation the file holds, so the values stay in order across kills.
[[noreturn]] void WriteSettingsForever(const char* path) {
  aruIniFile config(path);
  GameOptions options;
  RallixMatch match;
  LevelCatalog catalog(nullptr);
  for (int32_t g = config.ReadInt("Pong", "TexNum", 0) + 1;; ++g) {
    options.port = g;
    catalog.skinNumber = g;
    catalog.paddleModel = g;
    std::snprintf(match.playerName, sizeof match.playerName, "Gen%d", g);
    std::snprintf(options.serverHost, sizeof options.serverHost, "%d.example", g);
    WriteSettings(config, options, match, catalog);
    config.WriteInt("ARU", "IsSetup", g);
  }
}

// The generation in a text value such as "Gen12" or "12.example"; -1 when there is none.
int32_t GenerationIn(const char* text) {
  const char* digits = std::strpbrk(text, "0123456789");
  return digits ? std::atoi(digits) : -1;
}

// Every [Pong] value comes from the same save, since the section is replaced at once; IsSetup,
// written after it, is never newer (a run killed between the two leaves it behind). The keys the writer never touches
// (Debug in [Pong], Format in [ARU]) are still there.
int CheckSettings(const char* path) {
  aruIniFile config(path);
  if (config.ReadInt("ARU", "Format", -1) != 22) return Fail("the [ARU] keys around IsSetup are gone");
  if (config.ReadInt("Pong", "Debug", -1) != 1) return Fail("the [Pong] key the game does not own is gone");
  char name[64], server[64];
  config.ReadString(name, sizeof name, "Pong", "Name", "");
  config.ReadString(server, sizeof server, "Pong", "Server", "");
  const int32_t generations[] = {config.ReadInt("Pong", "TexNum", -1), GenerationIn(name),
                                 config.ReadInt("Pong", "Port", -1), GenerationIn(server),
                                 config.ReadInt("Pong", "Model", -1)};
  for (size_t i = 0; i < std::size(generations); ++i) {
    if (generations[i] < 0) return Fail("value " + std::to_string(i) + " missing");
    if (generations[i] != generations[0]) return Fail("[Pong] holds keys of two saves");
  }
  const int32_t isSetup = config.ReadInt("ARU", "IsSetup", -1);
  if (isSetup < 0 || isSetup > generations[0]) return Fail("IsSetup " + std::to_string(isSetup));
  return 0;
}

[[noreturn]] void WriteCatalogueForever(const char* path) {
  LevelCatalog catalog(path);
  catalog.levelCount = 3;
  aruIniFile file(path);
  for (int32_t g = 0;; ++g) {
    file.WriteInt("Level2", "CStat", 0);
    catalog.RecordWin(1, 1 + g % 4);
  }
}

int CheckCatalogue(const char* path) {
  aruIniFile file(path);
  const int32_t bits = file.ReadInt("Level2", "CStat", -1);
  if (bits != 0 && bits != 1 && bits != 2 && bits != 4 && bits != 8) return Fail("CStat " + std::to_string(bits));
  char name[64];
  for (const char* section : {"Level1", "Level2", "Level3"}) {
    if (!file.ReadString(name, sizeof name, section, "Name", "")) return Fail(std::string("no name in ") + section);
  }
  if (file.ReadInt("Game", "NumLevels", -1) != 3) return Fail("NumLevels lost");
  return 0;
}

[[noreturn]] void WriteBitmapsForever(const char* path) {
  std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 3);
  for (uint32_t g = 1;; ++g) {
    std::memset(pixels.data(), int(g & 0xFF), pixels.size());
    if (SaveBitmapFile(path, kWidth, kHeight, pixels.data()) != BitmapSave::Saved) {
      std::fprintf(stderr, "save_writer: could not save %s\n", path);
    }
  }
}

int CheckBitmap(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;  // killed before the first save: no file is a whole old state
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  uint8_t header[kBitmapHeaderSize];
  WriteBitmapHeader(header, kWidth, kHeight);
  if (data.size() != kBitmapHeaderSize + size_t(kWidth) * kHeight * 3) return Fail("size " + std::to_string(data.size()));
  if (!std::equal(header, header + kBitmapHeaderSize, data.begin())) return Fail("header");
  for (size_t i = kBitmapHeaderSize; i < data.size(); ++i) {
    if (data[i] != data[kBitmapHeaderSize]) return Fail("pixels of two generations");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: save_writer settings|catalogue|bitmap|check-<mode> <file>\n");
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "settings") WriteSettingsForever(argv[2]);
  if (mode == "catalogue") WriteCatalogueForever(argv[2]);
  if (mode == "bitmap") WriteBitmapsForever(argv[2]);
  if (mode == "check-settings") return CheckSettings(argv[2]);
  if (mode == "check-catalogue") return CheckCatalogue(argv[2]);
  if (mode == "check-bitmap") return CheckBitmap(argv[2]);
  std::fprintf(stderr, "save_writer: unknown mode %s\n", argv[1]);
  return 2;
}
