// Canonical PCM WAV files (the 44-byte header the engine's sound loader reads at fixed offsets)
// and a checker for that layout, used by the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 22050;

// Mono 16-bit; samples in -1..1 are clipped.
std::vector<uint8_t> encodeWav(const std::vector<float>& samples, int sampleRate = kSampleRate);

struct WavInfo {
  uint16_t format = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  uint32_t dataBytes = 0;
  double seconds() const;
};

// Checks that the file is a canonical 44-byte-header PCM WAV whose fields agree with each other
// and with the file's length; fills `info` and returns true, or says what is wrong in `error`.
bool checkWav(const std::vector<uint8_t>& bytes, WavInfo& info, std::string& error);

// The 16-bit samples of a file that passed checkWav, as floats in -1..1.
std::vector<float> wavSamples(const std::vector<uint8_t>& bytes);

}  // namespace assetgen
