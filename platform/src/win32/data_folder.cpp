// The per-user data folder of an installed program: finds the shared data beside the program,
// prepares $XDG_DATA_HOME/<package>/base with the user's own files and links to the rest, and
// makes that folder current. Each file the user owns is written to a temporary name and renamed,
// so a full or read-only disk leaves nothing half-written.
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "aru_platform.h"

namespace fs = std::filesystem;

namespace {

// A failure while preparing the user's folder: which path, and the system's words.
struct SetupError {
  fs::path path;
  std::error_code code;
};

fs::path ProgramFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

// $XDG_DATA_HOME/<package> when that is an absolute path (the rule for the variable: a relative
// one is ignored), else ~/.local/share/<package>; empty when no home is known.
fs::path UserFolder(const char* package) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return fs::path(dataHome) / package;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] == '\0') return {};
  return fs::path(home) / ".local" / "share" / package;
}

// Names match ignoring letter case, as the game opens its files.
bool IsOwnFile(const fs::path& relative, std::initializer_list<const char*> ownFiles) {
  const std::string first = relative.begin()->string();
  for (const char* own : ownFiles) {
    if (strcasecmp(first.c_str(), own) == 0) return true;
  }
  return false;
}

// Copies `from` to `to` through a temporary name; `to` is writable by its owner afterwards.
bool CopyWhole(const fs::path& from, const fs::path& to, SetupError& failure) {
  fs::path partial = to;
  partial += ".partial";
  std::error_code error;
  if (fs::copy_file(from, partial, fs::copy_options::overwrite_existing, error)) {
    fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
    if (!error) fs::rename(partial, to, error);
  } else if (!error) {
    error = std::make_error_code(std::errc::io_error);
  }
  if (!error) return true;
  fs::remove(partial, error);
  failure = {to, error ? error : std::make_error_code(std::errc::io_error)};
  return false;
}

// Makes `link` point at `target` unless it already does; a real file the user put there is
// left alone (it is theirs).
bool LinkTo(const fs::path& target, const fs::path& link, SetupError& failure) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(link, error);
  if (fs::is_symlink(status)) {
    if (fs::read_symlink(link, error) == target) return true;
    fs::remove(link, error);
  } else if (fs::exists(status)) {
    return true;
  }
  fs::create_symlink(target, link, error);
  if (error) failure = {link, error};
  return !error;
}

// Links whose shared file is gone are removed, so a file dropped from the installation is seen
// as missing rather than as a broken link.
void DropStaleLinks(const fs::path& userBase, const fs::path& sharedBase) {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(userBase, error); !error && it != fs::end(it); it.increment(error)) {
    if (!it->is_symlink(error)) continue;
    const fs::path target = fs::read_symlink(it->path(), error);
    const std::string targetText = target.string();
    if (targetText.rfind(sharedBase.string(), 0) == 0 && !fs::exists(target, error)) fs::remove(it->path(), error);
  }
}

bool Refresh(const fs::path& sharedBase, const fs::path& userBase, std::initializer_list<const char*> ownFiles,
             SetupError& failure) {
  std::error_code error;
  fs::create_directories(userBase, error);
  if (error || !fs::is_directory(userBase)) {
    failure = {userBase, error ? error : std::make_error_code(std::errc::not_a_directory)};
    return false;
  }
  for (auto it = fs::recursive_directory_iterator(sharedBase, error); !error && it != fs::end(it); it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(sharedBase);
    const fs::path mine = userBase / relative;
    if (it->is_directory(error)) {
      fs::create_directories(mine, error);
      if (error) {
        failure = {mine, error};
        return false;
      }
    } else if (IsOwnFile(relative, ownFiles)) {
      // The user's copy is made once; a link left by an older layout is replaced by a copy.
      std::error_code absent;
      const fs::file_status status = fs::symlink_status(mine, absent);
      const bool needed = !fs::exists(status) || fs::is_symlink(status);
      if (needed && !CopyWhole(it->path(), mine, failure)) return false;
    } else if (!LinkTo(it->path(), mine, failure)) {
      return false;
    }
  }
  if (error) {
    failure = {sharedBase, error};
    return false;
  }
  DropStaleLinks(userBase, sharedBase);
  return true;
}

// A fresh folder under the temporary directory, for a run whose user folder cannot be written;
// empty when none can be made.
fs::path MakeTemporaryFolder(const char* package) {
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / (std::string(package) + "-XXXXXX")).string();
  return mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
}

}  // namespace

namespace platform {

DataFolder EnterDataFolder(const char* package, std::initializer_list<const char*> ownFiles) {
  DataFolder result;
  const fs::path programFolder = ProgramFolder();
  std::error_code error;
  if (programFolder.empty() || fs::exists(programFolder / "base", error)) return result;
  const fs::path shared = (programFolder.parent_path() / "share" / package).lexically_normal();
  if (!fs::is_directory(shared / "base", error)) return result;

  result.installed = true;
  const fs::path user = UserFolder(package);
  SetupError failure{user, std::make_error_code(std::errc::no_such_file_or_directory)};
  if (!user.empty() && Refresh(shared / "base", user / "base", ownFiles, failure)) {
    result.folder = user.string();
  } else {
    // This run plays from a throw-away copy, so the game still writes where it expects to and
    // nothing lands in the shared data; the shared folder itself is the last resort.
    result.problem = "could not write " + failure.path.string() + ": " + failure.code.message();
    const fs::path temporary = MakeTemporaryFolder(package);
    SetupError ignored;
    const bool usable = !temporary.empty() && Refresh(shared / "base", temporary / "base", ownFiles, ignored);
    result.folder = usable ? temporary.string() : shared.string();
  }
  fs::current_path(result.folder, error);
  if (error) result.problem = "could not enter " + result.folder + ": " + error.message();
  return result;
}

}  // namespace platform
