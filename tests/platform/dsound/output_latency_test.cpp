// How soon a played effect reaches the sound output: a tone is played on the real output device
// (OpenAL's wave writer), in a process of its own so that the library reads its configuration
// afresh, and the time from Play to the tone's first samples at the output is bounded by the
// device's queue and mixing period as the library reports them and by where the tone landed.
#include <dsound.h>
#include <gtest/gtest.h>

#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/dsound/sound_test_support.h"

namespace {

using namespace sound_test;

constexpr double kGoalSeconds = 0.030;

struct WaveSamples {
  DWORD rate = 0;
  WORD channels = 0;
  std::vector<float> samples;  // interleaved, -1..1
};

// Reads the PCM (16-bit) or float (32-bit) samples of the wave writer's output.
WaveSamples ReadWave(const std::string& path) {
  WaveSamples wave;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WORD bits = 0;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    uint32_t size;
    std::memcpy(&size, &bytes[at + 4], 4);
    size_t body = at + 8, length = std::min<size_t>(size, bytes.size() - body);
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && length >= 16) {
      std::memcpy(&wave.channels, &bytes[body + 2], 2);
      std::memcpy(&wave.rate, &bytes[body + 4], 4);
      std::memcpy(&bits, &bytes[body + 14], 2);
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      for (size_t i = body; i + bits / 8 <= body + length && bits != 0; i += bits / 8) {
        if (bits == 16) {
          int16_t value;
          std::memcpy(&value, &bytes[i], 2);
          wave.samples.push_back(value / 32768.0f);
        } else if (bits == 32) {
          float value;
          std::memcpy(&value, &bytes[i], 4);
          wave.samples.push_back(value);
        }
      }
    }
    at = body + size + (size & 1);
  }
  return wave;
}

// Child process: plays the tone and exits 0 when the delay is within the goal, 1 otherwise.
[[noreturn]] void PlayAndMeasure(const std::string& conf, const std::string& wavPath) {
  unsetenv("ALSOFT_DRIVERS");  // the configuration file names the wave writer
  setenv("ALSOFT_CONF", conf.c_str(), 1);
  platform::UseDeviceSound();
  IDirectSound8* sound = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &sound, nullptr))) std::exit(2);
  sound->SetCooperativeLevel(kWindow, DSSCL_PRIORITY);
  WAVEFORMATEX format = PcmFormat(1, 16, kRate);
  std::vector<BYTE> tone = Tone16(1, kRate / 10, 20000);
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwBufferBytes = static_cast<DWORD>(tone.size());
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(sound->CreateSoundBuffer(&desc, &buffer, nullptr))) std::exit(2);
  void* data = nullptr;
  DWORD bytes = 0;
  buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
  std::memcpy(data, tone.data(), bytes);
  buffer->Unlock(data, bytes, nullptr, 0);

  ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
  auto clockAndLatency =
      reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(device, "alcGetInteger64vSOFT"));
  if (!clockAndLatency) std::exit(2);
  ALCint rate = 0, refresh = 0;
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
  alcGetIntegerv(device, ALC_REFRESH, 1, &refresh);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the writer run steadily
  ALCint64SOFT atPlay[2] = {0, 0};  // frames mixed so far (ns), queued after the mixer (ns)
  clockAndLatency(device, ALC_DEVICE_CLOCK_LATENCY_SOFT, 2, atPlay);
  buffer->Play(0, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  buffer->Release();
  sound->Release();  // closes the device, which completes the file

  WaveSamples wave = ReadWave(wavPath);
  size_t first = 0;
  while (first < wave.samples.size() && std::fabs(wave.samples[first]) < 0.1f) ++first;
  if (wave.channels == 0 || wave.rate == 0 || first == wave.samples.size()) {
    std::fprintf(stderr, "the tone never reached the output\n");
    std::exit(1);
  }
  // The tone starts in the first period mixed after Play; that period waits at most one period
  // to be mixed, then the queue's latency to be heard.
  const double period = refresh > 0 ? 1.0 / refresh : 1.0;
  const double landed = static_cast<double>(first / wave.channels) / wave.rate - atPlay[0] * 1e-9;
  const double delay = std::max(landed, 0.0) + period + atPlay[1] * 1e-9;
  char figures[160];
  std::snprintf(figures, sizeof figures, "period %.1f ms, queue %.1f ms, tone %.1f ms after the clock: delay %.1f ms",
                period * 1e3, atPlay[1] * 1e-6, landed * 1e3, delay * 1e3);
  std::fprintf(stderr, "%s\n", figures);
  std::ofstream(wavPath + ".txt") << figures;
  std::exit(delay <= kGoalSeconds && landed <= period + 1e-3 ? 0 : 1);
}

TEST(SoundOutputLatency, PlayedEffectReachesTheOutputWithinThirtyMilliseconds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: OpenAL reads its configuration once
  const std::string dir = ::testing::TempDir();
  const std::string conf = dir + "latency_alsoft.conf", wav = dir + "latency_output.wav";
  std::ofstream(conf) << "[general]\ndrivers=wave\n[wave]\nfile=" << wav << "\n";
  EXPECT_EXIT(PlayAndMeasure(conf, wav), ::testing::ExitedWithCode(0), "delay");
  std::string figures;
  std::getline(std::ifstream(wav + ".txt"), figures);
  std::printf("%s\n", figures.c_str());
  for (const std::string& file : {conf, wav, wav + ".txt"}) std::remove(file.c_str());
}

}  // namespace
