// libFuzzer harness for the profile-file reader: every input is a whole configuration file. It
// lists the sections and their keys (into a roomy and a tiny buffer), reads every value as text
// and as a number, reads the engine's and the game's settings the way start-up does, then
// writes one key and checks that it reads back.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalog.h"
#include "core/ini_file.h"
#include "fuzz_file.h"
#include "match.h"
#include "settings.h"

namespace {

constexpr DWORD kListSize = 4096;
constexpr size_t kMaxNamesWalked = 6;

// The names of a double-NUL list as returned by the profile functions.
std::vector<std::string> SplitList(const char* list, DWORD length) {
  std::vector<std::string> names;
  for (DWORD at = 0; at < length && names.size() < kMaxNamesWalked;) {
    const std::string name(list + at);
    names.push_back(name);
    at += static_cast<DWORD>(name.size()) + 1;
  }
  return names;
}

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_profile: %s\n", what);
  std::abort();
}

// A returned length must fit the buffer, with the text (or list) ending there.
void CheckLength(DWORD length, const char* buffer, DWORD size) {
  if (length >= size || buffer[length] != '\0') Fail("returned length does not fit what was written");
}

void ReadEveryValue(const char* path) {
  std::vector<char> list(kListSize);
  const DWORD sectionsLength = GetPrivateProfileStringA(nullptr, nullptr, "", list.data(), kListSize, path);
  CheckLength(sectionsLength, list.data(), kListSize);
  char tiny[5];
  CheckLength(GetPrivateProfileStringA(nullptr, nullptr, "", tiny, sizeof tiny, path), tiny, sizeof tiny);

  for (const std::string& section : SplitList(list.data(), sectionsLength)) {
    std::vector<char> keys(kListSize);
    const DWORD keysLength = GetPrivateProfileStringA(section.c_str(), nullptr, "", keys.data(), kListSize, path);
    CheckLength(keysLength, keys.data(), kListSize);
    CheckLength(GetPrivateProfileStringA(section.c_str(), nullptr, "", tiny, sizeof tiny, path), tiny, sizeof tiny);
    for (const std::string& key : SplitList(keys.data(), keysLength)) {
      char value[256];
      CheckLength(GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", value, sizeof value, path), value,
                  sizeof value);
      CheckLength(GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", tiny, sizeof tiny, path), tiny,
                  sizeof tiny);
      GetPrivateProfileIntA(section.c_str(), key.c_str(), -7, path);
    }
  }
}

// The engine's [ARU] keys and the game's [Pong] keys and catalogue counts, as start-up reads them.
void ReadStartUpSettings(const char* path) {
  const aruIniFile config(path);
  static const char* const engineKeys[] = {"IsSetup", "Adapter", "Device", "Format", "BackBuffer",
                                           "FullScreen", "Resolution", "HasPure", "UseAA"};
  for (const char* key : engineKeys) config.ReadInt("ARU", key, 0);
  char text[64];
  config.ReadString(text, sizeof text, "ARU", "Mode", "");
  ReadDebugMode(config);
  GameOptions options;
  RallixMatch match;
  LevelCatalog catalog(path);
  ReadSettings(config, options, match, catalog);
  catalog.LoadCatalogue();
  catalog.ClampSelections();
}

// The game's settings save replaces section "Pong" at once: its own keys read back, a key it
// does not own keeps its value.
void CheckSettingsSaveReadsBack(const char* path) {
  char debugBefore[256];
  GetPrivateProfileStringA("Pong", "Debug", "(none)", debugBefore, sizeof debugBefore, path);
  GameOptions options;
  RallixMatch match;
  LevelCatalog catalog(nullptr);
  std::strcpy(match.playerName, "Fuzz");
  options.port = 4321;
  WriteSettings(aruIniFile(path), options, match, catalog);
  char value[256];
  GetPrivateProfileStringA("Pong", "Name", "", value, sizeof value, path);
  if (std::strcmp(value, "Fuzz") != 0) Fail("a saved name does not read back");
  if (GetPrivateProfileIntA("Pong", "Port", 0, path) != 4321) Fail("a saved port does not read back");
  GetPrivateProfileStringA("Pong", "Debug", "(none)", value, sizeof value, path);
  // A line is kept up to a stray carriage return inside it.
  debugBefore[std::strcspn(debugBefore, "\r")] = '\0';
  if (std::strcmp(value, debugBefore) != 0) Fail("a key the save does not own changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("config.cfg", data, size);
  ReadEveryValue(path.c_str());
  ReadStartUpSettings(path.c_str());
  CheckSettingsSaveReadsBack(path.c_str());
  return 0;
}
