// PNG encoding and decoding on top of zlib's deflate, inflate and CRC-32.
#include "png.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace assetgen {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kMaxSide = 16384;

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t get32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

uint8_t predict(int filter, int left, int up, int upLeft) {
  switch (filter) {
    case 1: return static_cast<uint8_t>(left);
    case 2: return static_cast<uint8_t>(up);
    case 3: return static_cast<uint8_t>((left + up) / 2);
    case 4: return paeth(left, up, upLeft);
    default: return 0;
  }
}

// Picks, per row, the filter whose output has the smallest sum of absolute values.
std::vector<uint8_t> filterRows(const std::vector<uint8_t>& raw, size_t stride, int rows, int bpp) {
  std::vector<uint8_t> out, candidate(stride);
  out.reserve((stride + 1) * rows);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* row = raw.data() + y * stride;
    const uint8_t* prev = y > 0 ? row - stride : nullptr;
    int bestFilter = 0;
    uint64_t bestScore = UINT64_MAX;
    std::vector<uint8_t> best;
    for (int filter = 0; filter < 5; ++filter) {
      uint64_t score = 0;
      for (size_t i = 0; i < stride; ++i) {
        const int left = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
        const int up = prev ? prev[i] : 0;
        const int upLeft = prev && i >= static_cast<size_t>(bpp) ? prev[i - bpp] : 0;
        candidate[i] = static_cast<uint8_t>(row[i] - predict(filter, left, up, upLeft));
        score += static_cast<int8_t>(candidate[i]) < 0 ? -static_cast<int8_t>(candidate[i]) : candidate[i];
      }
      if (score < bestScore) {
        bestScore = score;
        bestFilter = filter;
        best = candidate;
      }
    }
    out.push_back(static_cast<uint8_t>(bestFilter));
    out.insert(out.end(), best.begin(), best.end());
  }
  return out;
}

}  // namespace

std::vector<uint8_t> encodePng(const Image& image) {
  const bool opaque = image.opaque();
  const int bpp = opaque ? 3 : 4;
  const size_t stride = static_cast<size_t>(image.width) * bpp;
  std::vector<uint8_t> raw(stride * image.height);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    std::memcpy(&raw[i * bpp], &image.rgba[i * 4], bpp);
  }
  const std::vector<uint8_t> filtered = filterRows(raw, stride, image.height, bpp);
  uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()), 4);
  packed.resize(packedSize);

  std::vector<uint8_t> out(kSignature.begin(), kSignature.end());
  std::vector<uint8_t> header;
  put32(header, static_cast<uint32_t>(image.width));
  put32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, static_cast<uint8_t>(opaque ? 2 : 6), 0, 0, 0});
  putChunk(out, "IHDR", header);
  putChunk(out, "IDAT", packed);
  putChunk(out, "IEND", {});
  return out;
}

bool decodePng(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature.data(), 8) != 0) {
    error = "no PNG signature";
    return false;
  }
  uint32_t width = 0, height = 0;
  int colourType = -1;
  std::vector<uint8_t> packed;
  bool ended = false;
  for (size_t pos = 8; !ended;) {
    if (pos + 12 > bytes.size()) {
      error = "truncated chunk at byte " + std::to_string(pos);
      return false;
    }
    const uint32_t length = get32(&bytes[pos]);
    if (length > bytes.size() - pos - 12) {
      error = "chunk longer than the file at byte " + std::to_string(pos);
      return false;
    }
    const uint8_t* type = &bytes[pos + 4];
    const uint8_t* data = type + 4;
    if (crc32(0, type, length + 4) != get32(data + length)) {
      error = "bad CRC in chunk " + std::string(reinterpret_cast<const char*>(type), 4);
      return false;
    }
    if (pos == 8 && std::memcmp(type, "IHDR", 4) != 0) {
      error = "first chunk is not IHDR";
      return false;
    }
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (length != 13) {
        error = "IHDR has the wrong length";
        return false;
      }
      width = get32(data);
      height = get32(data + 4);
      colourType = data[9];
      if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        error = "image size out of range";
        return false;
      }
      if (data[8] != 8 || (colourType != 0 && colourType != 2 && colourType != 4 && colourType != 6) ||
          data[10] != 0 || data[11] != 0 || data[12] != 0) {
        error = "unsupported PNG layout (depth, colour type, compression, filter or interlace)";
        return false;
      }
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      packed.insert(packed.end(), data, data + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    pos += 12 + length;
  }
  if (colourType < 0 || packed.empty()) {
    error = "missing IHDR or IDAT";
    return false;
  }
  const int channels = colourType == 0 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4;
  const size_t stride = static_cast<size_t>(width) * channels;
  std::vector<uint8_t> filtered((stride + 1) * height);
  uLongf size = static_cast<uLongf>(filtered.size());
  if (uncompress(filtered.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
      size != filtered.size()) {
    error = "image data does not inflate to the size IHDR gives";
    return false;
  }
  std::vector<uint8_t> raw(stride * height);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t filter = filtered[y * (stride + 1)];
    if (filter > 4) {
      error = "bad row filter " + std::to_string(filter);
      return false;
    }
    const uint8_t* in = &filtered[y * (stride + 1) + 1];
    uint8_t* row = &raw[y * stride];
    const uint8_t* prev = y > 0 ? row - stride : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int left = i >= static_cast<size_t>(channels) ? row[i - channels] : 0;
      const int up = prev ? prev[i] : 0;
      const int upLeft = prev && i >= static_cast<size_t>(channels) ? prev[i - channels] : 0;
      row[i] = static_cast<uint8_t>(in[i] + predict(filter, left, up, upLeft));
    }
  }
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgba.assign(static_cast<size_t>(width) * height * 4, 255);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    const uint8_t* p = &raw[i * channels];
    uint8_t* q = &image.rgba[i * 4];
    if (channels <= 2) {
      q[0] = q[1] = q[2] = p[0];
      if (channels == 2) q[3] = p[1];
    } else {
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
      if (channels == 4) q[3] = p[3];
    }
  }
  return true;
}

}  // namespace assetgen
