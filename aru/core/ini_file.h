// Reading and writing an INI-style file by section and key through the private-profile functions:
// the configuration file and the level catalogue. The path is borrowed, not copied; a null path
// makes reads return their defaults and writes do nothing.
#pragma once

#include <cstddef>
#include <cstdint>

class aruIniFile {
 public:
  explicit aruIniFile(const char* path) : path(path) {}

  int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) const;
  bool ReadBool(const char* section, const char* key, bool defaultValue) const;
  // True when the file gave a non-empty value; otherwise the default is copied into the buffer.
  bool ReadString(char* buffer, size_t bufferSize, const char* section, const char* key,
                  const char* defaultValue) const;
  int32_t WriteString(const char* section, const char* key, const char* value) const;
  int32_t WriteInt(const char* section, const char* key, int32_t value) const;
  const char* GetPath() const { return path; }

 private:
  const char* path;
};
