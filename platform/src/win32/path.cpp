// The file-name rule: Windows-style paths (either slash, any letter case) turned into paths
// that open on a case-sensitive Linux file system. Every platform call that opens a file and
// the engine's own file code go through ResolvePath.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "aru_platform.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info{};
  return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The entry of `directory` whose name equals `name` ignoring letter case; empty when none.
std::string FindEntryIgnoringCase(const std::string& directory, const std::string& name) {
  DIR* listing = opendir(directory.empty() ? "." : directory.c_str());
  if (!listing) return {};
  std::string match;
  while (dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      match = entry->d_name;
      break;
    }
  }
  closedir(listing);
  return match;
}

}  // namespace

namespace platform {

std::string ResolvePath(const char* path) {
  if (!path) return {};
  std::string converted(path);
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  if (converted.empty() || Exists(converted)) return converted;

  // Rebuild component by component, taking the directory's own spelling where only the
  // letter case differs. Once a component is missing the rest is kept as written.
  const bool absolute = converted[0] == '/';
  std::string resolved = absolute ? "/" : "";
  bool missing = false;
  for (const std::string& part : SplitComponents(converted)) {
    std::string directory = resolved;
    std::string candidate = resolved + part;
    if (!missing && part != "." && part != ".." && !Exists(candidate)) {
      std::string match = FindEntryIgnoringCase(directory, part);
      if (match.empty()) missing = true;
      else candidate = resolved + match;
    }
    resolved = candidate + "/";
  }
  resolved.pop_back();
  if (converted.back() == '/' && !resolved.empty()) resolved += '/';
  return resolved.empty() ? converted : resolved;
}

}  // namespace platform
