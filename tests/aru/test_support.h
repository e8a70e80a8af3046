// Helpers shared by the engine's tests: a private temporary folder and whole-file reads.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rallix-test-XXXXXX").string();
    path_ = std::filesystem::path(MakeUnique(pattern));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  static std::string MakeUnique(std::string pattern) {
    static int counter = 0;
    return pattern.replace(pattern.size() - 6, 6,
                           std::to_string(reinterpret_cast<uintptr_t>(&counter) % 100000) + "-" +
                               std::to_string(++counter) + "-" + std::to_string(std::rand()));
  }
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace testing_support
