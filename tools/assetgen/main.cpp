// The asset generator's command line: `assetgen <run directory> [contact sheet path]` writes
// base/ into the run directory and, when asked, the contact sheet of all textures.
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>

#include "generator.h"
#include "png_codec.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <run directory> [contact-sheet.png]\n", argv[0]);
    return 2;
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    const assetgen::Generated generated = assetgen::generateAll();
    assetgen::WriteReport report;
    std::string error;
    if (!assetgen::writeAll(generated, argv[1], report, error)) {
      std::fprintf(stderr, "assetgen: %s\n", error.c_str());
      return 1;
    }
    if (argc == 3) {
      const std::vector<uint8_t> sheet = assetgen::encodePng(assetgen::contactSheet(generated.pictures));
      std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(sheet.data()), static_cast<std::streamsize>(sheet.size()));
      if (!out) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", argv[2]);
        return 1;
      }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("assetgen: %zu files (%d written, %d unchanged, %d kept) in %.2f s\n", generated.files.size(),
                report.written, report.unchanged, report.kept, seconds);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
}
