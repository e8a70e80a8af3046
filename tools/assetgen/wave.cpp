// Writing and checking canonical WAV files.
#include "wave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace assetgen {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v));
  put16(out, static_cast<uint16_t>(v >> 16));
}

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) { return get16(p) | (uint32_t{get16(p + 2)} << 16); }

}  // namespace

double WavInfo::seconds() const {
  const double bytesPerSecond = double(sampleRate) * channels * bitsPerSample / 8.0;
  return bytesPerSecond > 0 ? dataBytes / bytesPerSecond : 0.0;
}

std::vector<uint8_t> encodeWav(const std::vector<float>& samples, int sampleRate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put32(out, 36 + dataBytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, 1);  // mono
  put32(out, static_cast<uint32_t>(sampleRate));
  put32(out, static_cast<uint32_t>(sampleRate) * 2);
  put16(out, 2);
  put16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put32(out, dataBytes);
  for (float s : samples) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    put16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
  }
  return out;
}

bool checkWav(const std::vector<uint8_t>& bytes, WavInfo& info, std::string& error) {
  if (bytes.size() < 44) {
    error = "shorter than the 44-byte header";
    return false;
  }
  const uint8_t* p = bytes.data();
  if (std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0 ||
      std::memcmp(p + 12, "fmt ", 4) != 0 || std::memcmp(p + 36, "data", 4) != 0) {
    error = "RIFF/WAVE/fmt/data identifiers are not at the canonical offsets";
    return false;
  }
  info.format = get16(p + 20);
  info.channels = get16(p + 22);
  info.sampleRate = get32(p + 24);
  info.bitsPerSample = get16(p + 34);
  info.dataBytes = get32(p + 40);
  const uint32_t blockAlign = info.channels * info.bitsPerSample / 8u;
  if (get32(p + 16) != 16 || info.format != 1) {
    error = "not a plain PCM format chunk";
  } else if (info.channels < 1 || info.channels > 2 || (info.bitsPerSample != 8 && info.bitsPerSample != 16)) {
    error = "unsupported channel count or sample size";
  } else if (info.sampleRate < 8000 || info.sampleRate > 96000) {
    error = "sample rate out of range";
  } else if (get16(p + 32) != blockAlign || get32(p + 28) != info.sampleRate * blockAlign) {
    error = "block align or byte rate disagree with the format";
  } else if (info.dataBytes != bytes.size() - 44 || get32(p + 4) != bytes.size() - 8) {
    error = "chunk sizes disagree with the file length";
  } else if (info.dataBytes == 0 || info.dataBytes % blockAlign != 0) {
    error = "empty or partial sample data";
  } else {
    return true;
  }
  return false;
}

std::vector<float> wavSamples(const std::vector<uint8_t>& bytes) {
  std::vector<float> out;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<int16_t>(get16(&bytes[i])) / 32768.0f);
  }
  return out;
}

}  // namespace assetgen
