// Helpers for the sound tests: a loopback DirectSound device the test renders by hand, buffers
// filled with a tone, and channel levels of what was rendered.
#pragma once

#include <dsound.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace sound_test {

constexpr DWORD kRate = 44100;
// The mixer dithers its 16-bit output, so silence measures about one step, never zero; the test
// tones are thousands of steps loud.
constexpr double kSilence = 20.0;
inline const HWND kWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));

struct Levels {
  double left = 0.0;
  double right = 0.0;
  double Both() const { return left + right; }
};

// Renders frameCount stereo frames of the open loopback device.
inline std::vector<SHORT> Render(DWORD frameCount) {
  std::vector<SHORT> frames(static_cast<size_t>(frameCount) * 2);
  platform::RenderLoopbackSound(frames.data(), frameCount);
  return frames;
}

inline Levels RootMeanSquare(const std::vector<SHORT>& frames) {
  Levels levels;
  const size_t count = frames.size() / 2;
  if (count == 0) return levels;
  for (size_t i = 0; i < count; ++i) {
    levels.left += double(frames[2 * i]) * frames[2 * i];
    levels.right += double(frames[2 * i + 1]) * frames[2 * i + 1];
  }
  levels.left = std::sqrt(levels.left / count);
  levels.right = std::sqrt(levels.right / count);
  return levels;
}

inline Levels RenderLevels(DWORD frameCount) { return RootMeanSquare(Render(frameCount)); }

inline WAVEFORMATEX PcmFormat(WORD channels, WORD bits, DWORD rate) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = bits;
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  return format;
}

// 16-bit samples of a 441 Hz sine (a whole number of cycles per 100 samples at 44.1 kHz) for
// every channel; amplitude 0 gives silence.
inline std::vector<BYTE> Tone16(WORD channels, DWORD frames, double amplitude) {
  std::vector<BYTE> bytes(static_cast<size_t>(frames) * channels * 2);
  for (DWORD i = 0; i < frames; ++i) {
    const auto sample = static_cast<int16_t>(amplitude * std::sin(2.0 * M_PI * i / 100.0));
    for (WORD c = 0; c < channels; ++c) {
      const size_t at = (static_cast<size_t>(i) * channels + c) * 2;
      bytes[at] = static_cast<BYTE>(sample & 0xFF);
      bytes[at + 1] = static_cast<BYTE>((sample >> 8) & 0xFF);
    }
  }
  return bytes;
}

inline void WriteLittle(std::ostream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A canonical 44-byte-header WAV file; with extraChunk a LIST chunk sits before "data" (the
// header is then no longer canonical).
inline void WriteWave(const std::string& path, WORD channels, WORD bits, DWORD rate, const std::vector<BYTE>& data,
                      bool extraChunk = false, WORD formatTag = WAVE_FORMAT_PCM) {
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  WriteLittle(out, static_cast<uint32_t>(36 + data.size() + (extraChunk ? 12 : 0)), 4);
  out.write("WAVEfmt ", 8);
  WriteLittle(out, 16, 4);
  WriteLittle(out, formatTag, 2);
  WriteLittle(out, channels, 2);
  WriteLittle(out, rate, 4);
  WriteLittle(out, rate * channels * bits / 8, 4);
  WriteLittle(out, channels * bits / 8, 2);
  WriteLittle(out, bits, 2);
  if (extraChunk) {
    out.write("LIST", 4);
    WriteLittle(out, 3, 4);
    out.write("abc\0", 4);  // odd size, padded
  }
  out.write("data", 4);
  WriteLittle(out, static_cast<uint32_t>(data.size()), 4);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

}  // namespace sound_test
