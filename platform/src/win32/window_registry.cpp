// Lets FindWindowA see the windows of other running instances: each window writes a small file
// (class, title, process id) into a per-user folder under $XDG_RUNTIME_DIR (or /tmp) and holds
// an exclusive lock on it for the window's life. Only a live process holds a lock, so a file
// whose lock can be taken belongs to a process that has ended (killed, crashed, or an exited
// copy not reaped yet) and is removed by the next search. Files still registered when the
// process exits normally are removed then.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "win32/window_state.h"

namespace platform {
namespace {

std::atomic<unsigned> registrationCounter{0};

// The registration files of this process and the descriptors holding their locks. At exit the
// files are removed, whether or not their windows were destroyed.
class Registrations {
 public:
  ~Registrations() {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [file, fd] : held_) {
      unlink(file.c_str());
      close(fd);
    }
  }
  void Add(const std::string& file, int fd) {
    std::lock_guard<std::mutex> guard(lock_);
    held_[file] = fd;
  }
  void Remove(const std::string& file) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = held_.find(file);
    if (found == held_.end()) return;
    // Removed before the lock is let go, so no search sees it unlocked while it is ours.
    unlink(file.c_str());
    close(found->second);
    held_.erase(found);
  }

 private:
  std::mutex lock_;
  std::map<std::string, int> held_;
};

Registrations& Held() {
  static Registrations registrations;
  return registrations;
}

// The folder must be a directory of this user that nobody else can write into: in the shared
// temporary folder another user could have made it first.
bool FolderIsPrivate(const std::string& folder) {
  struct stat info{};
  return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & 077) == 0;
}

std::string RegistryFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime ? std::string(runtime) + "/rallix-windows"
                                           : "/tmp/rallix-windows-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  if (FolderIsPrivate(folder)) return folder;
  std::fprintf(stderr, "rallix: %s is not a private folder of this user; other running copies cannot be found\n",
               folder.c_str());
  return {};
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// True when some process holds the file's lock: its window is alive.
bool HeldByLiveProcess(int fd) {
  if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
    return false;
  }
  return errno == EWOULDBLOCK;
}

bool ReadRegistration(int fd, std::string& className, std::string& title, int& pid) {
  char text[4096];
  ssize_t got = pread(fd, text, sizeof text - 1, 0);
  if (got <= 0) return false;
  text[got] = '\0';
  std::string all(text);
  size_t first = all.find('\n');
  size_t second = first == std::string::npos ? first : all.find('\n', first + 1);
  if (second == std::string::npos) return false;
  className = all.substr(0, first);
  title = all.substr(first + 1, second - first - 1);
  pid = std::atoi(all.c_str() + second + 1);
  return true;
}

}  // namespace

std::string RegisterWindowForOtherProcesses(const std::string& className, const std::string& title) {
  std::string folder = RegistryFolder();
  if (folder.empty()) return {};
  std::string name = std::to_string(getpid()) + "-" + std::to_string(registrationCounter++);
  std::string file = folder + "/" + name;
  std::string temporary = folder + "/." + name;
  // Locked before it gets its visible name, so a search never finds it unlocked while we live.
  int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return {};
  std::string text = OneLine(className) + '\n' + OneLine(title) + '\n' + std::to_string(getpid()) + '\n';
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !WriteAll(fd, text) || rename(temporary.c_str(), file.c_str()) != 0) {
    unlink(temporary.c_str());
    close(fd);
    return {};
  }
  Held().Add(file, fd);
  return file;
}

void UnregisterWindowForOtherProcesses(const std::string& file) {
  if (!file.empty()) Held().Remove(file);
}

int FindWindowOfOtherProcess(const char* className, const char* title) {
  std::string folder = RegistryFolder();
  DIR* listing = folder.empty() ? nullptr : opendir(folder.c_str());
  if (!listing) return 0;
  int found = 0;
  while (dirent* entry = readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    std::string path = folder + "/" + entry->d_name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    std::string fileClass, fileTitle;
    int pid = 0;
    bool live = HeldByLiveProcess(fd);
    if (!live) unlink(path.c_str());
    bool matches = live && ReadRegistration(fd, fileClass, fileTitle, pid) && pid != getpid() &&
                   (!className || strcasecmp(className, fileClass.c_str()) == 0) &&
                   (!title || strcasecmp(title, fileTitle.c_str()) == 0);
    close(fd);
    if (matches) {
      found = pid;
      break;
    }
  }
  closedir(listing);
  return found;
}

}  // namespace platform
