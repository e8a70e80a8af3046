// Lets FindWindowA see the windows of other running instances: each window writes a small
// file (class, title, process id) into a per-user folder under $XDG_RUNTIME_DIR (or /tmp),
// removed when the window is destroyed. Files left by processes that died are ignored and
// removed by the next search.
#include <dirent.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/window_state.h"

namespace platform {
namespace {

std::atomic<unsigned> registrationCounter{0};

std::string RegistryFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime ? std::string(runtime) + "/rallix-windows"
                                           : "/tmp/rallix-windows-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

bool ProcessAlive(int pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace

std::string RegisterWindowForOtherProcesses(const std::string& className, const std::string& title) {
  std::string folder = RegistryFolder();
  std::string name = std::to_string(getpid()) + "-" + std::to_string(registrationCounter++);
  std::string file = folder + "/" + name;
  std::string temporary = folder + "/." + name;
  {
    std::ofstream out(temporary);
    out << OneLine(className) << '\n' << OneLine(title) << '\n' << getpid() << '\n';
    if (!out) return {};
  }
  // Renamed into place so a reader never sees half a file.
  if (rename(temporary.c_str(), file.c_str()) != 0) {
    unlink(temporary.c_str());
    return {};
  }
  return file;
}

void UnregisterWindowForOtherProcesses(const std::string& file) {
  if (!file.empty()) unlink(file.c_str());
}

int FindWindowOfOtherProcess(const char* className, const char* title) {
  std::string folder = RegistryFolder();
  DIR* listing = opendir(folder.c_str());
  if (!listing) return 0;
  int found = 0;
  while (dirent* entry = readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    std::string path = folder + "/" + entry->d_name;
    std::ifstream in(path);
    std::string fileClass, fileTitle;
    int pid = 0;
    if (!std::getline(in, fileClass) || !std::getline(in, fileTitle) || !(in >> pid)) continue;
    if (pid == getpid()) continue;
    if (!ProcessAlive(pid)) {
      unlink(path.c_str());
      continue;
    }
    if (className && strcasecmp(className, fileClass.c_str()) != 0) continue;
    if (title && strcasecmp(title, fileTitle.c_str()) != 0) continue;
    found = pid;
    break;
  }
  closedir(listing);
  return found;
}

}  // namespace platform
