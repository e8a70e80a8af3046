// The tool's view of section "ARU" of the game's settings file, through the Windows profile
// functions: integers with a default, truth values, short strings, and integers written as
// decimal text. A missing or unwritable file is not an error: reads give their defaults.
#pragma once

#include <string>

namespace aruconfig {

inline constexpr const char* kSettingsPath = "./base/config.cfg";
inline constexpr const char* kSection = "ARU";

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  int ReadInt(const char* key, int defaultValue) const;
  bool ReadBool(const char* key, bool defaultValue) const;  // any non-zero integer is true
  std::string ReadString(const char* key, const char* defaultValue) const;  // at most 255 characters
  bool WriteInt(const char* key, int value) const;
  bool WriteString(const char* key, const char* value) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace aruconfig
