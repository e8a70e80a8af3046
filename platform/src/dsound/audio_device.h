// The one OpenAL device and context of the process, shared by every DirectSound object and every
// music stream. It opens on first use and closes when the last user lets go. Besides the sound
// card it can be a loopback device that tests render by hand, or a silent device that keeps
// real time when no output can be opened.
#pragma once

#include <windows.h>

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <memory>
#include <thread>

namespace platform::sound {

class AudioDevice {
 public:
  enum class Kind { Output, Loopback, Silent };

  // The shared device, opened now if nobody holds it; null when not even a silent one opens.
  static std::shared_ptr<AudioDevice> Acquire();
  // The device if one is open, without opening one.
  static std::shared_ptr<AudioDevice> Current();

  ~AudioDevice();
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  Kind GetKind() const { return kind; }
  int MonoSources() const { return monoSources; }
  int StereoSources() const { return stereoSources; }
  int Frequency() const { return frequency; }
  DWORD SpeakerConfig() const { return speakerConfig; }

  // Voices in use, counted by whoever generates or deletes an OpenAL source.
  ALuint CreateSource();
  void DeleteSource(ALuint source);
  int SourcesInUse() const { return sourcesInUse.load(); }

  // Mixes frameCount stereo 16-bit frames; only for a Loopback device.
  bool Render(SHORT* stereoFrames, DWORD frameCount);

 private:
  AudioDevice() = default;
  bool OpenOutput();
  bool OpenLoopback(int rate);
  bool MakeContext(const ALCint* attributes);
  void ReadProperties();
  void RunSilentClock();

  Kind kind = Kind::Output;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  int monoSources = 0;
  int stereoSources = 0;
  int frequency = 0;
  DWORD speakerConfig = 0;
  std::atomic<int> sourcesInUse{0};
  std::atomic<bool> stopClock{false};
  std::thread silentClock;
};

// Direct3D's left-handed coordinates to OpenAL's right-handed ones: z points the other way.
inline void ToOpenAL(const float in[3], ALfloat out[3]) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = -in[2];
}

// Hundredths of a decibel (DSBVOLUME_MIN..DSBVOLUME_MAX) to a linear gain.
float VolumeToGain(LONG volume);

}  // namespace platform::sound
