// Writers of small image files for the texture-loading tests: PNG (stored deflate blocks),
// 24-bit BMP and 32-bit TGA from 0xAARRGGBB pixels, row by row from the top.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace image_files {

inline void Put32BigEndian(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(char((v >> shift) & 0xFF));
}
inline void Put16(std::string* out, uint32_t v) {
  out->push_back(char(v & 0xFF));
  out->push_back(char((v >> 8) & 0xFF));
}
inline void Put32(std::string* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void PngChunk(std::string* out, const std::string& type, const std::string& data) {
  Put32BigEndian(out, uint32_t(data.size()));
  out->append(type + data);
  Put32BigEndian(out, Crc32(type + data));
}

inline std::string Png(int width, int height, const std::vector<uint32_t>& argb) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      uint32_t p = argb[size_t(y) * width + x];
      raw += {char(p >> 16), char(p >> 8), char(p), char(p >> 24)};
    }
  }
  std::string zlib = "\x78\x01";
  for (size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
    size_t length = std::min<size_t>(65535, raw.size() - at);
    zlib.push_back(at + length >= raw.size() ? 1 : 0);
    Put16(&zlib, uint32_t(length));
    Put16(&zlib, uint32_t(~length & 0xFFFF));
    zlib += raw.substr(at, length);
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Put32BigEndian(&zlib, (b << 16) | a);
  std::string header;
  Put32BigEndian(&header, uint32_t(width));
  Put32BigEndian(&header, uint32_t(height));
  header += {8, 6, 0, 0, 0};
  std::string png = "\x89PNG\r\n\x1a\n";
  PngChunk(&png, "IHDR", header);
  PngChunk(&png, "IDAT", zlib);
  PngChunk(&png, "IEND", "");
  return png;
}

inline std::string Bmp24(int width, int height, const std::vector<uint32_t>& argb) {
  int rowBytes = (width * 3 + 3) & ~3;
  std::string bmp = "BM";
  Put32(&bmp, uint32_t(54 + rowBytes * height));
  Put32(&bmp, 0);
  Put32(&bmp, 54);
  Put32(&bmp, 40);
  Put32(&bmp, uint32_t(width));
  Put32(&bmp, uint32_t(height));
  Put16(&bmp, 1);
  Put16(&bmp, 24);
  for (int i = 0; i < 6; ++i) Put32(&bmp, 0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      uint32_t p = argb[size_t(y) * width + x];
      row += {char(p), char(p >> 8), char(p >> 16)};
    }
    row.resize(size_t(rowBytes), 0);
    bmp += row;
  }
  return bmp;
}

inline std::string Tga32(int width, int height, const std::vector<uint32_t>& argb) {
  std::string tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(&tga, uint32_t(width));
  Put16(&tga, uint32_t(height));
  tga += {32, 0x28};  // 32 bits, 8 alpha bits, rows from the top
  for (uint32_t p : argb) Put32(&tga, p);
  return tga;
}

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace image_files
