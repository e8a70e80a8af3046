// The shared OpenAL device: opening the sound card, the loopback device for tests, the silent
// fallback with its clock thread, and the few numbers DirectSound reports about the device.
#include "dsound/audio_device.h"

#include "win32/notes.h"

#include <dsound.h>

#include <AL/alext.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace platform::sound {
namespace {

constexpr int kSilentRate = 44100;
constexpr int kSilentStepMilliseconds = 10;
// The output mixes every 256 frames (5.8 ms at 44.1 kHz) into a queue of three such periods: an
// effect started by Play reaches the output within about 17 ms instead of the 70 ms the
// library's 1024-frame default gives.
constexpr int kPeriodFrames = 256;
constexpr int kPeriods = 3;

// OpenAL Soft takes its period from configuration files only, the last of them being the one
// ALSOFT_CONF names, read once when the library is first called. Before that, ALSOFT_CONF is
// pointed at a copy of the file it named (if any) with the short period added, unless that file
// chooses a period itself. Returns the temporary file to remove once the device is open.
std::string RequestShortPeriod() {
  std::string named;
  if (const char* conf = std::getenv("ALSOFT_CONF")) named = conf;
  std::string text;
  if (!named.empty()) {
    std::ifstream in(named);
    std::ostringstream read;
    read << in.rdbuf();
    text = read.str();
  }
  if (text.find("period_size") != std::string::npos || text.find("periods") != std::string::npos) return {};
  char path[] = "/tmp/rallix-openal-XXXXXX";
  int file = mkstemp(path);
  if (file < 0) {
    Note("sound: no temporary file for the OpenAL period; the library's default period is used");
    return {};
  }
  std::ostringstream conf;
  conf << text << "\n[general]\nperiod_size=" << kPeriodFrames << "\nperiods=" << kPeriods << "\n";
  const std::string written = conf.str();
  bool complete = write(file, written.data(), written.size()) == static_cast<ssize_t>(written.size());
  close(file);
  if (!complete) {
    unlink(path);
    Note("sound: could not write the OpenAL period; the library's default period is used");
    return {};
  }
  setenv("ALSOFT_CONF", path, 1);
  return path;
}

// The short-period configuration file of the first device opened, removed once that device has
// made the library read it; called with deviceMutex held.
class ShortPeriodRequest {
 public:
  ShortPeriodRequest() {
    static bool asked = false;
    if (!asked) file_ = RequestShortPeriod();
    asked = true;
  }
  ~ShortPeriodRequest() {
    if (!file_.empty()) unlink(file_.c_str());
  }
  ShortPeriodRequest(const ShortPeriodRequest&) = delete;
  ShortPeriodRequest& operator=(const ShortPeriodRequest&) = delete;

 private:
  std::string file_;
};

// Guards the two values below; the device itself is thread-safe through OpenAL.
std::mutex deviceMutex;
std::weak_ptr<AudioDevice> currentDevice;
DWORD loopbackRate = 0;  // 0: open the sound card

struct LoopbackEntryPoints {
  LPALCLOOPBACKOPENDEVICESOFT open = nullptr;
  LPALCRENDERSAMPLESSOFT render = nullptr;
};

const LoopbackEntryPoints& Loopback() {
  static const LoopbackEntryPoints entries = [] {
    LoopbackEntryPoints found;
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
      found.open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
          alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
      found.render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
          alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    }
    return found;
  }();
  return entries;
}

}  // namespace

float VolumeToGain(LONG volume) {
  if (volume <= DSBVOLUME_MIN) return 0.0f;
  if (volume >= DSBVOLUME_MAX) return 1.0f;
  return std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

std::shared_ptr<AudioDevice> AudioDevice::Current() {
  std::lock_guard<std::mutex> lock(deviceMutex);
  return currentDevice.lock();
}

std::shared_ptr<AudioDevice> AudioDevice::Acquire() {
  std::lock_guard<std::mutex> lock(deviceMutex);
  if (auto existing = currentDevice.lock()) return existing;

  ShortPeriodRequest request;
  std::shared_ptr<AudioDevice> opened(new AudioDevice());
  if (loopbackRate != 0) {
    if (!opened->OpenLoopback(static_cast<int>(loopbackRate))) return nullptr;
    opened->kind = Kind::Loopback;
  } else if (!opened->OpenOutput()) {
    std::fprintf(stderr, "sound: no audio output device could be opened; sound plays silently\n");
    if (!opened->OpenLoopback(kSilentRate)) return nullptr;
    opened->kind = Kind::Silent;
    opened->silentClock = std::thread(&AudioDevice::RunSilentClock, opened.get());
  }
  opened->ReadProperties();
  currentDevice = opened;
  return opened;
}

bool AudioDevice::OpenOutput() {
  device = alcOpenDevice(nullptr);
  if (!device || !MakeContext(nullptr)) return false;
  // A backend that cannot run the short period chooses its own; the sound is only later.
  ALCint rate = 0, refresh = 0;
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
  alcGetIntegerv(device, ALC_REFRESH, 1, &refresh);
  const int period = refresh > 0 ? rate / refresh : 0;
  if (period > kPeriodFrames + kPeriodFrames / 2) {
    Note("sound: the output device refused a " + std::to_string(kPeriodFrames) + "-frame period and mixes every " +
         std::to_string(period) + " frames");
  }
  return true;
}

bool AudioDevice::MakeContext(const ALCint* attributes) {
  context = alcCreateContext(device, attributes);
  if (context && alcMakeContextCurrent(context)) return true;
  if (context) alcDestroyContext(context);
  alcCloseDevice(device);
  context = nullptr;
  device = nullptr;
  return false;
}

bool AudioDevice::OpenLoopback(int rate) {
  const LoopbackEntryPoints& entries = Loopback();
  if (!entries.open || !entries.render) return false;
  device = entries.open(nullptr);
  if (!device) return false;
  // Plain stereo panning without head-related filtering, so a test can compare channels.
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                               ALC_FORMAT_TYPE_SOFT,     ALC_SHORT_SOFT,
                               ALC_FREQUENCY,            rate,
                               ALC_HRTF_SOFT,            ALC_FALSE,
                               0};
  return MakeContext(attributes);
}

void AudioDevice::ReadProperties() {
  ALCint value = 0;
  alcGetIntegerv(device, ALC_MONO_SOURCES, 1, &value);
  monoSources = value;
  value = 0;
  alcGetIntegerv(device, ALC_STEREO_SOURCES, 1, &value);
  stereoSources = value;
  value = 0;
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &value);
  frequency = value;

  if (kind == Kind::Silent) {
    speakerConfig = DSSPEAKER_DIRECTOUT;
    return;
  }
  ALCint hrtf = ALC_FALSE;
  if (alcIsExtensionPresent(device, "ALC_SOFT_HRTF")) alcGetIntegerv(device, ALC_HRTF_SOFT, 1, &hrtf);
  speakerConfig = hrtf == ALC_TRUE ? DSSPEAKER_HEADPHONE : DSSPEAKER_STEREO;
}

void AudioDevice::RunSilentClock() {
  const int framesPerStep = kSilentRate * kSilentStepMilliseconds / 1000;
  std::vector<SHORT> scratch(static_cast<size_t>(framesPerStep) * 2);
  auto next = std::chrono::steady_clock::now();
  while (!stopClock.load()) {
    Loopback().render(device, scratch.data(), framesPerStep);
    next += std::chrono::milliseconds(kSilentStepMilliseconds);
    std::this_thread::sleep_until(next);
  }
}

AudioDevice::~AudioDevice() {
  stopClock.store(true);
  if (silentClock.joinable()) silentClock.join();
  if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
  if (context) alcDestroyContext(context);
  if (device) alcCloseDevice(device);
}

ALuint AudioDevice::CreateSource() {
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) return 0;
  sourcesInUse.fetch_add(1);
  return source;
}

void AudioDevice::DeleteSource(ALuint source) {
  if (source == 0) return;
  alDeleteSources(1, &source);
  sourcesInUse.fetch_sub(1);
}

bool AudioDevice::Render(SHORT* stereoFrames, DWORD frameCount) {
  if (kind != Kind::Loopback || !stereoFrames) return false;
  Loopback().render(device, stereoFrames, static_cast<ALCsizei>(frameCount));
  return true;
}

}  // namespace platform::sound

namespace platform {

void UseLoopbackSound(DWORD sampleRate) {
  std::lock_guard<std::mutex> lock(sound::deviceMutex);
  sound::loopbackRate = sampleRate;
}

void UseDeviceSound() {
  std::lock_guard<std::mutex> lock(sound::deviceMutex);
  sound::loopbackRate = 0;
}

bool RenderLoopbackSound(SHORT* stereoFrames, DWORD frameCount) {
  std::shared_ptr<sound::AudioDevice> device = sound::AudioDevice::Current();
  return device && device->Render(stereoFrames, frameCount);
}

}  // namespace platform
