// GetPrivateProfileIntA, GetPrivateProfileStringA, WritePrivateProfileStringA and the whole-
// section GetPrivateProfileSectionA and WritePrivateProfileSectionA with the Windows semantics.
// Files are read whole on every call (they are small and read at start-up); writes go to a
// temporary file in the same folder that is renamed over the old one, so an interrupted write
// never leaves a half-written file, and a section written at once is all old or all new.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "aru_platform.h"
#include "win32/profile_document.h"
#include "win32/profile_hooks.h"
#include "win32/win32_internal.h"

namespace {

// Larger files are not profile files; reading them would only cost memory.
constexpr off_t kMaxProfileBytes = 16 * 1024 * 1024;

// One read-modify-write at a time within the process.
std::mutex profileLock;
platform::ProfileBeforeRenameHook beforeRenameHook = nullptr;

bool ReadWholeFile(const std::string& path, std::string& text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info{};
  bool ok = fstat(fd, &info) == 0;
  if (ok && (!S_ISREG(info.st_mode) || info.st_size > kMaxProfileBytes)) {
    ok = false;
    errno = S_ISDIR(info.st_mode) ? EISDIR : EFBIG;
  }
  text.clear();
  char chunk[8192];
  while (ok) {
    ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    text.append(chunk, size_t(got));
    ok = text.size() <= size_t(kMaxProfileBytes);
    if (!ok) errno = EFBIG;
  }
  int readError = errno;
  close(fd);
  errno = readError;
  return ok;
}

bool LoadDocument(LPCSTR fileName, platform::ProfileDocument& document) {
  std::string text;
  if (!fileName || !ReadWholeFile(platform::ResolvePath(fileName), text)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  document.Parse(text);
  return true;
}

// Temporary files are named "<file>.partial-XXXXXX" and locked while written.
constexpr char kPartialSuffix[] = ".partial-";
constexpr time_t kStalePartialSeconds = 10;

// Removes temporary files beside path that a killed writer left: old enough, and not locked
// by a writer still at work.
void RemoveStalePartials(const std::string& path) {
  const std::string folder = platform::DirectoryOf(path);
  const std::string prefix = path.substr(path.rfind('/') + 1) + kPartialSuffix;
  DIR* listing = opendir(folder.c_str());
  if (!listing) return;
  const time_t now = time(nullptr);
  while (dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string leftover = folder + "/" + name;
    struct stat info{};
    if (lstat(leftover.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        now - info.st_mtime < kStalePartialSeconds) {
      continue;
    }
    int fd = open(leftover.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(leftover.c_str());
    close(fd);
  }
  closedir(listing);
}

// Writes text to a temporary file beside path and renames it over path.
bool ReplaceFileAtomically(const std::string& path, const std::string& text) {
  struct stat old{};
  bool existed = stat(path.c_str(), &old) == 0;
  // A file without any write permission is read-only, even to a privileged user.
  if (existed && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  RemoveStalePartials(path);
  std::string temporary = path + kPartialSuffix + "XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    platform::SetLastErrorFromErrno(errno);
    return false;
  }
  // Held until the rename, so no other writer takes this file for a leftover.
  bool ok = flock(fd, LOCK_EX) == 0 && platform::WriteAll(fd, text) &&
            fchmod(fd, existed ? (old.st_mode & 07777) : 0644) == 0 && fsync(fd) == 0;
  int writeError = errno;
  if (ok && beforeRenameHook && !beforeRenameHook(temporary.c_str())) {
    ok = false;
    writeError = EIO;
  }
  if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    writeError = errno;
  }
  ok = close(fd) == 0 && ok;
  if (!ok) {
    unlink(temporary.c_str());
    platform::SetLastErrorFromErrno(writeError ? writeError : EIO);
    return false;
  }
  // Make the rename itself durable.
  int directory = open(platform::DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return true;
}

// Copies a list of names as "a\0b\0\0". When it does not fit, the last name is cut and the
// result is size - 2, as Windows reports.
DWORD CopyNameList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return 0;
  }
  std::string list;
  for (const std::string& name : names) list.append(name).push_back('\0');
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return list.empty() ? 0 : DWORD(list.size());
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

std::string DefaultWithoutTrailingSpaces(LPCSTR defaultValue) {
  std::string text = defaultValue ? defaultValue : "";
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

bool HasLineBreak(LPCSTR text) { return text && std::strpbrk(text, "\r\n") != nullptr; }

// Integer parsing of GetPrivateProfileIntA: whitespace, an optional sign, then decimal digits
// or "0x" and hexadecimal digits, up to the first character that is not a digit.
UINT ParseProfileInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    int c = std::tolower(static_cast<unsigned char>(text[i]));
    unsigned digit;
    if (c >= '0' && c <= '9') digit = unsigned(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
    else break;
    value = value * base + digit;  // wraps modulo 2^32 like the Windows parser
  }
  return negative ? UINT(0u - value) : UINT(value);
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned,
                               DWORD size, LPCSTR fileName) {
  if (!returned || size == 0) return 0;
  std::lock_guard<std::mutex> guard(profileLock);
  platform::ProfileDocument document;
  bool loaded = LoadDocument(fileName, document);
  if (!section) return CopyNameList(loaded ? document.SectionNames() : std::vector<std::string>{},
                                    returned, size);
  if (!key) return CopyNameList(loaded ? document.KeyNames(section) : std::vector<std::string>{},
                                returned, size);
  std::optional<std::string> value;
  if (loaded) value = document.Value(section, key);
  return platform::CopyToBuffer(value ? *value : DefaultWithoutTrailingSpaces(defaultValue),
                                returned, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  if (!section || !key) return UINT(defaultValue);
  char text[256];
  // A missing or empty value gives the default; anything else is parsed as far as it goes.
  if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0) {
    return UINT(defaultValue);
  }
  return ParseProfileInt(text);
}

namespace {

// Reads the file (a missing one is empty), lets edit change the document and writes it back
// atomically when it changed.
template <typename Edit>
BOOL EditProfileFile(LPCSTR fileName, Edit edit) {
  std::lock_guard<std::mutex> guard(profileLock);
  platform::ProfileDocument document;
  std::string path = platform::ResolvePath(fileName);
  std::string text;
  if (ReadWholeFile(path, text)) document.Parse(text);
  else if (errno != ENOENT) {
    platform::SetLastErrorFromErrno(errno ? errno : EIO);
    return FALSE;
  }
  if (!edit(document)) return TRUE;
  return ReplaceFileAtomically(path, document.Serialize()) ? TRUE : FALSE;
}

bool ValidSectionName(LPCSTR section) { return !HasLineBreak(section) && !std::strchr(section, ']'); }

}  // namespace

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (!section) {
    // (NULL, NULL, NULL) only flushes a cache, which this implementation does not keep.
    if (!key && !value) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!fileName || !ValidSectionName(section) || HasLineBreak(key) || HasLineBreak(value) ||
      (key && std::strchr(key, '='))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return EditProfileFile(fileName, [&](platform::ProfileDocument& document) {
    if (!key) return document.RemoveSection(section);
    if (!value) return document.RemoveKey(section, key);
    const char* start = value;
    while (std::isspace(static_cast<unsigned char>(*start))) ++start;
    return document.SetValue(section, key, start);
  });
}

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR returned, DWORD size, LPCSTR fileName) {
  if (!returned || size == 0) return 0;
  std::lock_guard<std::mutex> guard(profileLock);
  platform::ProfileDocument document;
  if (!section || !LoadDocument(fileName, document)) return CopyNameList({}, returned, size);
  return CopyNameList(document.KeyLines(section), returned, size);
}

BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR keysAndValues, LPCSTR fileName) {
  if (!section || !fileName || !ValidSectionName(section)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // "key=value\0key=value\0\0"; a null list removes the section.
  std::vector<std::string> keyLines;
  for (const char* entry = keysAndValues; entry && *entry; entry += std::strlen(entry) + 1) {
    if (HasLineBreak(entry)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    keyLines.emplace_back(entry);
  }
  return EditProfileFile(fileName, [&](platform::ProfileDocument& document) {
    return keysAndValues ? document.ReplaceSection(section, keyLines) : document.RemoveSection(section);
  });
}

namespace platform {

void SetProfileBeforeRenameHook(ProfileBeforeRenameHook hook) {
  std::lock_guard<std::mutex> guard(profileLock);
  beforeRenameHook = hook;
}

}  // namespace platform
