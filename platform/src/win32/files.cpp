// MoveFileExA and DeleteFileA. With MOVEFILE_WRITE_THROUGH the moved file's contents are flushed
// to disk before the rename and the rename itself afterwards, so a file written beside its
// final name and moved over it is, after a crash at any moment, either the old file or the new.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "aru_platform.h"
#include "win32/win32_internal.h"

namespace {

bool SyncPath(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

BOOL FailWith(int error) {
  platform::SetLastErrorFromErrno(error);
  return FALSE;
}

}  // namespace

namespace platform {

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += size_t(wrote);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace platform

BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  // Moves that wait for a reboot and copies across devices are not offered.
  if (!existingName || !newName || (flags & (MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string from = platform::ResolvePath(existingName);
  const std::string to = platform::ResolvePath(newName);
  struct stat info{};
  if (lstat(from.c_str(), &info) != 0) return FailWith(errno);
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(to.c_str(), &info) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  const bool writeThrough = (flags & MOVEFILE_WRITE_THROUGH) != 0;
  if (writeThrough && S_ISREG(info.st_mode) && !SyncPath(from, O_RDONLY)) return FailWith(errno);
  if (rename(from.c_str(), to.c_str()) != 0) return FailWith(errno);
  if (writeThrough) SyncPath(platform::DirectoryOf(to), O_RDONLY | O_DIRECTORY);
  return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (!fileName) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (unlink(platform::ResolvePath(fileName).c_str()) != 0) return FailWith(errno);
  return TRUE;
}
