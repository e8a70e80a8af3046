// Shared by the file readers' harnesses: each input is written to one private file, kept in
// memory-backed storage when there is some, which the reader under test then opens by name.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz_support {

inline void RemovePrivateFolder();

// A folder of this process's own, made once and removed with its files when the process exits
// (the name is never destroyed, so the exit handler can still use it).
inline const std::string& PrivateFolder() {
  static const std::string* const folder = [] {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    pattern += "/rallix-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("fuzz: cannot make a private folder");
      std::abort();
    }
    auto* const made = new std::string(pattern);
    std::atexit(RemovePrivateFolder);
    return made;
  }();
  return *folder;
}

inline void RemovePrivateFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(PrivateFolder(), ignored);
}

// Replaces the named file in the private folder with the input; returns its path.
inline std::string WriteInput(const char* name, const uint8_t* data, size_t size) {
  const std::string path = PrivateFolder() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::perror("fuzz: cannot write the input file");
    std::abort();
  }
  return path;
}

}  // namespace fuzz_support
