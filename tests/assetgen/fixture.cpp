// The run directory and the per-kind file checks.
#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "png_codec.h"
#include "wave.h"
#include "xfile.h"

namespace assetgen::testing {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

std::filesystem::path runDir() { return RALLIX_RUN_DIR; }

std::string storedName(const std::string& gamePath) {
  std::string s = gamePath;
  std::replace(s.begin(), s.end(), '\\', '/');
  while (s.rfind("./", 0) == 0) s.erase(0, 2);
  std::string collapsed;
  for (char c : s) {
    if (c == '/' && !collapsed.empty() && collapsed.back() == '/') continue;
    collapsed.push_back(c);
  }
  return lower(collapsed);
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Ini parseIni(const std::string& text) {
  Ini ini;
  std::string section;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = lower(trim(line.substr(1, line.size() - 2)));
      ini[section];
    } else if (const size_t eq = line.find('='); eq != std::string::npos) {
      ini[section][lower(trim(line.substr(0, eq)))] = trim(line.substr(eq + 1));
    }
  }
  return ini;
}

std::string checkFile(const std::filesystem::path& root, const std::string& stored) {
  const std::filesystem::path path = root / stored;
  if (!std::filesystem::is_regular_file(path)) return "missing";
  const std::vector<uint8_t> bytes = readBytes(path);
  const std::string extension = std::filesystem::path(stored).extension().string();
  std::string error;
  if (extension == ".tex") {
    Image image;
    if (!decodePng(bytes, image, error)) return "bad PNG: " + error;
    if (!isPowerOfTwo(image.width) || !isPowerOfTwo(image.height)) return "size is not a power of two";
  } else if (extension == ".sfx") {
    WavInfo info;
    if (!checkWav(bytes, info, error)) return "bad WAV: " + error;
  } else if (extension == ".x") {
    XMesh mesh;
    if (!parseX(std::string(bytes.begin(), bytes.end()), mesh, error)) return "bad .x: " + error;
    for (const XMaterial& m : mesh.materials) {
      if (!m.texture.empty() && !std::filesystem::is_regular_file(root / "base/tex" / storedName(m.texture))) {
        return "names a missing texture " + m.texture;
      }
    }
  } else if (extension == ".cfg" || extension == ".pcf") {
    if (parseIni(std::string(bytes.begin(), bytes.end())).empty()) return "no INI sections";
  } else {
    return "unexpected kind of file";
  }
  return {};
}

}  // namespace assetgen::testing

namespace assetgen::testing {

void BuiltData::SetUp() {
  if (!std::filesystem::exists(runDir() / "base" / ".generated")) {
    FAIL() << "no generated data in " << runDir() << ": build the base_data target first";
  }
}

const std::map<std::string, Image>& builtTextures() {
  static const std::map<std::string, Image> textures = [] {
    std::map<std::string, Image> out;
    const std::filesystem::path base = runDir() / "base";
    if (!std::filesystem::exists(base)) return out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
      if (entry.path().extension() != ".tex") continue;
      Image image;
      std::string error;
      if (decodePng(readBytes(entry.path()), image, error)) {
        out[std::filesystem::relative(entry.path(), runDir()).generic_string()] = std::move(image);
      }
    }
    return out;
  }();
  return textures;
}

}  // namespace assetgen::testing
