// Helpers shared by the Win32 implementation files: the thread's last-error value fed from
// errno, and the Windows error codes the platform sets that windows.h does not name.
#pragma once

#include <string>

#include "windows.h"

#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NOT_OWNER 288L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_WRITE_FAULT 29L
#define ERROR_DISK_FULL 112L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_BAD_FORMAT 11L
#define ERROR_NO_ASSOCIATION 1155L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CLIPBOARD_NOT_OPEN 1418L

namespace platform {

// The Windows error code closest to a POSIX errno value.
DWORD Win32ErrorFromErrno(int error);

// SetLastError(Win32ErrorFromErrno(error)).
void SetLastErrorFromErrno(int error);

// Copies text into a caller's buffer of `size` bytes the way the A functions do: at most
// size - 1 characters and always a terminating zero when size > 0. Returns the characters copied.
DWORD CopyToBuffer(const std::string& text, LPSTR buffer, DWORD size);

// Writes all of text to a file descriptor, going on after interruptions (files.cpp).
bool WriteAll(int fd, const std::string& text);

// The folder part of a path: "." when it has none.
std::string DirectoryOf(const std::string& path);

}  // namespace platform
