// The game's command line: the information texts and the catalogue path check.
#include "command_line.h"

#include <aru_platform.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef RALLIX_VERSION
#define RALLIX_VERSION "unknown"
#endif

StartRequest ReadStartRequest(int argc, const char* const* argv) {
  if (argc != 2) return StartRequest::Play;
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) return StartRequest::Help;
  if (std::strcmp(argv[1], "--version") == 0) return StartRequest::Version;
  return StartRequest::Play;
}

std::string UsageText() {
  return "Usage: rallix-game [LEVEL-CATALOGUE]\n"
         "A three-dimensional pong game. Without an argument the levels come from base/Default.pcf;\n"
         "LEVEL-CATALOGUE names another catalogue file.\n"
         "\n"
         "Options:\n"
         "  -h, --help     print this text and exit\n"
         "  --version      print the version and exit\n"
         "\n"
         "Environment:\n"
         "  ARU_VIDEO=gl|null          video back end (null: no window at all)\n"
         "  ARU_DEMO=N                 play N computer-against-computer matches, then end\n"
         "  ARU_DEMO_SHOTS=FOLDER      save pictures of the menu, each match and its results there\n"
         "  ARU_MESSAGEBOX=yes|no|ok   answer the game's message boxes without showing them\n"
         "  ARU_DEBUG=1                print the platform's debug notes on standard error\n"
         "  ARU_CONSOLE_ECHO=1         also write every console line to standard output\n"
         "  SDL_VIDEODRIVER=offscreen  draw off screen without an X server\n"
         "  ALSOFT_DRIVERS=null        play sound silently\n"
         "  XDG_DATA_HOME              an installed game keeps its settings, log and progress in\n"
         "                             $XDG_DATA_HOME/quillmark-rallix (default ~/.local/share)\n";
}

std::string VersionText() { return std::string("rallix-game ") + RALLIX_VERSION + "\n"; }

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(platform::ResolvePath(path.c_str()), error);
  return error ? path : absolute.string();
}

std::string MissingCatalogueWarning(const char* path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(platform::ResolvePath(path), error)) return {};
  return std::string("rallix-game: the level catalogue \"") + path + "\" does not exist or is not a file\n";
}
