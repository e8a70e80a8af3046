// The program icon: painted with the same palette and shapes as the menu art, then packed into
// the icon file format (directory of entries, each a BITMAPINFOHEADER image of twice the height
// whose second half is the AND mask).
#include "icon.h"

#include <stdexcept>

#include "art.h"

namespace assetgen {
namespace {

using namespace palette;

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Rows of the AND mask are padded to whole 32-bit words.
size_t maskStride(int width) { return static_cast<size_t>((width + 31) / 32) * 4; }

size_t imageBytes(const Image& image) {
  const size_t pixels = static_cast<size_t>(image.width) * image.height * 4;
  return 40 + pixels + maskStride(image.width) * image.height;
}

// BITMAPINFOHEADER, bottom-up BGRA rows, then the mask: a set bit marks a fully clear pixel.
void appendImage(std::vector<uint8_t>& out, const Image& image) {
  put32(out, 40);
  put32(out, static_cast<uint32_t>(image.width));
  put32(out, static_cast<uint32_t>(image.height * 2));
  put16(out, 1);   // planes
  put16(out, 32);  // bits per pixel
  for (int i = 0; i < 6; ++i) put32(out, 0);  // BI_RGB, size and resolution unused
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* row = &image.rgba[static_cast<size_t>(y) * image.width * 4];
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = row + x * 4;
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  const size_t stride = maskStride(image.width);
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<uint8_t> bits(stride, 0);
    for (int x = 0; x < image.width; ++x) {
      if (image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + 3] == 0) bits[x / 8] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), bits.begin(), bits.end());
  }
}

}  // namespace

Image paintIcon(int size) {
  const float s = static_cast<float>(size);
  Canvas c(size, size, s, s);
  const Distance plate = roundRect(s * 0.03f, s * 0.03f, s * 0.94f, s * 0.94f, s * 0.2f);
  c.composite(c.shape(plate), [&](float, float y) { return mix(rgb(kSteel), rgb(kNight), y / s); });
  c.composite(c.outline(plate, std::max(1.0f, s * 0.04f)), rgb(kCyan));
  const Distance paddle = roundRect(s * 0.2f, s * 0.68f, s * 0.6f, s * 0.12f, s * 0.05f);
  c.composite(c.shape(paddle), rgb(kAmber));
  const Distance ball = circle(s * 0.5f, s * 0.38f, s * 0.17f);
  c.glow(c.shape(ball), rgb(kCyan, 0.6f), s * 0.08f);
  c.composite(c.shape(ball), [&](float x, float y) {
    return mix(rgb(kWhite), rgb(kCyan), std::min(1.0f, length(x - s * 0.45f, y - s * 0.33f) / (s * 0.2f)));
  });
  return c.toImage();
}

std::vector<uint8_t> encodeIco(const std::vector<Image>& images) {
  std::vector<uint8_t> out;
  put16(out, 0);  // reserved
  put16(out, 1);  // type: icon
  put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (const Image& image : images) {
    if (image.width != image.height || image.width < 1 || image.width > 256 ||
        image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) {
      throw std::invalid_argument("an icon image must be square, 1 to 256 pixels, with RGBA pixels");
    }
    out.push_back(static_cast<uint8_t>(image.width & 0xFF));  // 256 is written as 0
    out.push_back(static_cast<uint8_t>(image.height & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, static_cast<uint32_t>(imageBytes(image)));
    put32(out, offset);
    offset += static_cast<uint32_t>(imageBytes(image));
  }
  for (const Image& image : images) appendImage(out, image);
  return out;
}

}  // namespace assetgen
