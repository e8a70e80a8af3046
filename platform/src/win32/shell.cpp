// ShellExecuteA: "open" starts a program with posix_spawn, or hands a document to xdg-open.
// A Windows program name "x.exe" is found as "x" when only that exists, relative names are
// looked up in the given directory, the current directory and the directory of this program.
// Results above 32 mean success; 2, 3, 5 and 31 are the Windows failure codes.
#include <spawn.h>
#include <sys/stat.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "aru_platform.h"
#include "win32/win32_internal.h"

extern char** environ;

namespace {

constexpr INT_PTR kShellSuccess = 42;
constexpr INT_PTR kShellFileNotFound = 2;
constexpr INT_PTR kShellPathNotFound = 3;
constexpr INT_PTR kShellAccessDenied = 5;
constexpr INT_PTR kShellBadFormat = 11;
constexpr INT_PTR kShellNoAssociation = 31;

HINSTANCE ShellResult(INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

// Children we started; reaped without blocking on every later call so none stays a zombie long.
std::mutex childrenLock;
std::vector<pid_t> children;

void ReapFinishedChildren() {
  std::lock_guard<std::mutex> guard(childrenLock);
  std::erase_if(children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool IsFile(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsExecutable(const std::string& path) { return IsFile(path) && access(path.c_str(), X_OK) == 0; }

bool EndsWithExe(const std::string& name) {
  return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || name.front() == '/') return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

std::string ProgramDirectory() {
  char path[4096];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string directory(path, length);
  size_t slash = directory.rfind('/');
  return slash == std::string::npos ? std::string(".") : directory.substr(0, slash);
}

// The file a (Windows-style) name refers to, trying the name without ".exe" when needed.
std::string FindFile(const std::string& name, const char* directory) {
  std::vector<std::string> bases;
  if (!name.empty() && name.front() == '/') {
    bases.push_back("");
  } else {
    if (directory && *directory) bases.push_back(platform::ResolvePath(directory));
    bases.push_back(".");
    bases.push_back(ProgramDirectory());
  }
  for (const std::string& base : bases) {
    std::string path = platform::ResolvePath(JoinPath(base, name).c_str());
    if (IsFile(path)) return path;
    if (EndsWithExe(name)) {
      path = platform::ResolvePath(JoinPath(base, name.substr(0, name.size() - 4)).c_str());
      if (IsFile(path)) return path;
    }
  }
  return {};
}

// A program on PATH (for "xdg-open" and bare program names); empty when none.
std::string FindOnPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::string directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string candidate = JoinPath(directories.substr(start, end - start), name);
    if (end > start && IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

// Splits a parameter string at spaces, keeping double-quoted parts together.
std::vector<std::string> SplitParameters(const char* parameters) {
  std::vector<std::string> words;
  if (!parameters) return words;
  std::string word;
  bool quoted = false, inWord = false;
  for (const char* c = parameters; *c; ++c) {
    if (*c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (*c == ' ' && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += *c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

INT_PTR ShellCodeFromErrno(int error) {
  switch (error) {
    case ENOENT: return kShellFileNotFound;
    case ENOTDIR: return kShellPathNotFound;
    case EACCES:
    case EPERM: return kShellAccessDenied;
    case ENOEXEC: return kShellBadFormat;
    default: return 0;
  }
}

INT_PTR Spawn(const std::vector<std::string>& arguments, const char* directory) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string workingDirectory = directory && *directory ? platform::ResolvePath(directory) : "";
  if (!workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  }
  pid_t child = 0;
  int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    platform::SetLastErrorFromErrno(error);
    return ShellCodeFromErrno(error);
  }
  std::lock_guard<std::mutex> guard(childrenLock);
  children.push_back(child);
  return kShellSuccess;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT) {
  ReapFinishedChildren();
  if (operation && *operation && strcasecmp(operation, "open") != 0) {
    return ShellResult(kShellNoAssociation);
  }
  if (!file || !*file) return ShellResult(kShellFileNotFound);
  std::string name = file;
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  while (name.starts_with("./")) name.erase(0, 2);
  std::string path = FindFile(name, directory);
  if (path.empty() && name.find('/') == std::string::npos) path = FindOnPath(name);
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return ShellResult(kShellFileNotFound);
  }

  std::vector<std::string> arguments;
  if (IsExecutable(path)) {
    arguments.push_back(path);
  } else {
    // A document opens in the program the desktop associates with it.
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
      SetLastError(ERROR_NO_ASSOCIATION);
      return ShellResult(kShellNoAssociation);
    }
    arguments = {opener, path};
  }
  for (std::string& word : SplitParameters(parameters)) arguments.push_back(std::move(word));
  return ShellResult(Spawn(arguments, directory));
}
