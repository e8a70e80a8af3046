// The game's command line: the information options --help and --version, answered before
// anything starts, and the optional level catalogue path with its check.
#pragma once

#include <string>

enum class StartRequest { Play, Help, Version };

// --help (or -h) and --version as the only argument ask for information; anything else is a
// catalogue path to play.
StartRequest ReadStartRequest(int argc, const char* const* argv);

// The usage text: the optional catalogue path and the environment variables the game reads.
std::string UsageText();
// "rallix-game <version>".
std::string VersionText();

// Windows hands a program its command line as one string; the arguments are joined back with
// single spaces so a catalogue path containing blanks arrives whole.
std::string JoinArguments(int argc, const char* const* argv);

// The path made absolute against the current folder (Windows-style names resolved first);
// "" stays "".
std::string AbsolutePath(const std::string& path);

// The line for standard error when a catalogue path names no file, or "" when it does.
std::string MissingCatalogueWarning(const char* path);
