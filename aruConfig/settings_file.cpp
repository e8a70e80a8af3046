// Section "ARU" of the settings file through the profile functions.
#include "settings_file.h"

#include <windows.h>

#include <cstdio>

namespace aruconfig {

int SettingsFile::ReadInt(const char* key, int defaultValue) const {
  return static_cast<int>(GetPrivateProfileIntA(kSection, key, defaultValue, path_.c_str()));
}

bool SettingsFile::ReadBool(const char* key, bool defaultValue) const {
  return ReadInt(key, defaultValue ? 1 : 0) != 0;
}

std::string SettingsFile::ReadString(const char* key, const char* defaultValue) const {
  char buffer[256] = {};
  GetPrivateProfileStringA(kSection, key, defaultValue, buffer, sizeof buffer, path_.c_str());
  return buffer;
}

bool SettingsFile::WriteInt(const char* key, int value) const {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WriteString(key, text);
}

bool SettingsFile::WriteString(const char* key, const char* value) const {
  return WritePrivateProfileStringA(kSection, key, value, path_.c_str()) != 0;
}

}  // namespace aruconfig
