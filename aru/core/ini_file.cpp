// aruIniFile over GetPrivateProfileIntA / GetPrivateProfileStringA / WritePrivateProfileStringA.
#include "ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int32_t aruIniFile::ReadInt(const char* section, const char* key, int32_t defaultValue) const {
  if (path == nullptr) return defaultValue;
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path));
}

bool aruIniFile::ReadBool(const char* section, const char* key, bool defaultValue) const {
  if (path == nullptr) return defaultValue;
  return GetPrivateProfileIntA(section, key, defaultValue ? 1 : 0, path) != 0;
}

bool aruIniFile::ReadString(char* buffer, size_t bufferSize, const char* section, const char* key,
                            const char* defaultValue) const {
  if (path == nullptr) return true;
  if (buffer == nullptr || bufferSize == 0) return false;
  const DWORD length =
      GetPrivateProfileStringA(section, key, "", buffer, static_cast<DWORD>(bufferSize), path);
  if (length > 0) return true;
  snprintf(buffer, bufferSize, "%s", defaultValue ? defaultValue : "");
  return false;
}

int32_t aruIniFile::WriteString(const char* section, const char* key, const char* value) const {
  if (path == nullptr) return 0;
  return WritePrivateProfileStringA(section, key, value, path);
}

int32_t aruIniFile::WriteInt(const char* section, const char* key, int32_t value) const {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return WriteString(section, key, text);
}
