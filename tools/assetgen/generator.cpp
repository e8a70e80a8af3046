// Assembling and writing the game data, and the contact sheet of all pictures.
#include "generator.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "catalogue.h"
#include "icon.h"
#include "png_codec.h"
#include "synth.h"
#include "typeface.h"
#include "wave.h"

namespace assetgen {
namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

bool readFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

Generated generateAll() {
  Generated out;
  // The painters are independent; two threads halve the wall time on the build machine.
  std::vector<Picture> widgets, screens, effects, levels, skins;
  std::thread second([&] {
    screens = paintScreens();
    skins = paintSkins();
  });
  widgets = paintWidgets();
  effects = paintEffects();
  levels = paintLevels();
  second.join();
  for (auto* group : {&widgets, &screens, &effects, &levels, &skins}) {
    for (Picture& p : *group) out.pictures.push_back(std::move(p));
  }
  std::vector<std::vector<uint8_t>> encoded(out.pictures.size());
  std::thread encoder([&] {
    for (size_t i = 1; i < encoded.size(); i += 2) encoded[i] = encodePng(out.pictures[i].image);
  });
  for (size_t i = 0; i < encoded.size(); i += 2) encoded[i] = encodePng(out.pictures[i].image);
  encoder.join();
  for (size_t i = 0; i < encoded.size(); ++i) out.files.push_back({out.pictures[i].path, std::move(encoded[i])});

  for (const PaddleModel& model : paddleModels()) {
    const std::string name = std::filesystem::path(model.path).stem().string();
    out.files.push_back({model.path, bytesOf(writeX(model.mesh, name))});
  }
  for (const std::string& name : effectNames()) {
    out.files.push_back({"base/sfx/" + name + ".sfx", encodeWav(makeEffect(name))});
  }
  for (const std::string& name : musicNames()) {
    out.files.push_back({"base/sfx/" + name + ".sfx", encodeWav(makeMusic(name))});
  }
  out.files.push_back({"base/config.cfg", bytesOf(defaultConfig()), true});
  out.files.push_back({"base/default.pcf", bytesOf(levelCatalogue()), true});
  // The Windows build's program icon, beside base/ rather than in it: it is not game data.
  std::vector<Image> icons;
  for (int size : kIconSizes) icons.push_back(paintIcon(size));
  out.files.push_back({"rallix.ico", encodeIco(icons)});
  // The same picture for Linux desktops, in the hicolor theme's layout.
  for (int size : kDesktopIconSizes) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    out.files.push_back({"icons/hicolor/" + folder + "/apps/quillmark-rallix.png", encodePng(paintIcon(size))});
  }
  return out;
}

bool writeAll(const Generated& generated, const std::filesystem::path& runDir, WriteReport& report,
              std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(runDir / "base" / "shots", ec);
  if (ec) {
    error = "cannot create " + (runDir / "base" / "shots").string() + ": " + ec.message();
    return false;
  }
  for (const Output& file : generated.files) {
    const std::filesystem::path target = runDir / file.path;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) {
      error = "cannot create " + target.parent_path().string() + ": " + ec.message();
      return false;
    }
    std::vector<uint8_t> existing;
    if (readFile(target, existing)) {
      if (file.keepExisting) {
        ++report.kept;
        continue;
      }
      if (existing == file.bytes) {
        ++report.unchanged;
        continue;
      }
    }
    // Write beside the target and rename, so a reader never sees half a file.
    const std::filesystem::path temporary = target.string() + ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
      if (!out) {
        error = "cannot write " + temporary.string();
        return false;
      }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
      error = "cannot rename " + temporary.string() + ": " + ec.message();
      return false;
    }
    ++report.written;
  }
  return true;
}

Image contactSheet(const std::vector<Picture>& pictures) {
  constexpr int kCell = 170, kLabel = 22, kColumns = 10;
  const int rows = static_cast<int>((pictures.size() + kColumns - 1) / kColumns);
  Canvas sheet(kColumns * kCell, rows * (kCell + kLabel), kColumns * kCell, rows * (kCell + kLabel));
  sheet.fill([](float x, float y) {
    const bool light = (static_cast<int>(x / 10) + static_cast<int>(y / 10)) % 2 == 0;
    return light ? rgb(0x9A9A9A) : rgb(0x6E6E6E);
  });
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Image& image = pictures[i].image;
    const int column = static_cast<int>(i % kColumns), row = static_cast<int>(i / kColumns);
    const float left = column * kCell + 5.0f, top = row * (kCell + kLabel) + 5.0f, box = kCell - 10.0f;
    const float shownW = pictures[i].displayWidth > 0 ? pictures[i].displayWidth : image.width;
    const float shownH = pictures[i].displayHeight > 0 ? pictures[i].displayHeight : image.height;
    const float scale = box / std::max(shownW, shownH);
    Canvas picture(image.width, image.height, static_cast<float>(image.width), static_cast<float>(image.height));
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
        picture.at(x, y) = Colour{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
      }
    }
    sheet.blit(picture, left, top, shownW * scale, shownH * scale);
    std::string name = pictures[i].path.substr(pictures[i].path.find("tex/") == std::string::npos
                                                   ? 0
                                                   : pictures[i].path.find("tex/") + 4);
    const float size = Typeface::shared().fit(sheet, name, 11, kCell - 6, Weight::Regular);
    drawText(sheet, name, left + box / 2, top + kCell + 6, size, rgb(0x000000), Weight::Regular);
  }
  return sheet.toImage();
}

}  // namespace assetgen
