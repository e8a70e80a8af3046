// The DirectSound objects behind the dsound.h interfaces: the device object, the primary buffer
// with its 3-D listener, and static secondary buffers with their 3-D interface. Each secondary
// buffer is one OpenAL buffer played by one OpenAL source; the listener is OpenAL's listener.
// All of them are used from the main thread.
#pragma once

#include <dsound.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "dsound/audio_device.h"

namespace platform::sound {

class SecondaryBuffer;

// The listener's state as DirectSound describes it (left-handed, caller's units).
struct ListenerParameters {
  D3DVECTOR position{0.0f, 0.0f, 0.0f};
  D3DVECTOR velocity{0.0f, 0.0f, 0.0f};
  D3DVECTOR front{0.0f, 0.0f, 1.0f};
  D3DVECTOR top{0.0f, 1.0f, 0.0f};
  float distanceFactor = DS3D_DEFAULTDISTANCEFACTOR;
  float rolloffFactor = DS3D_DEFAULTROLLOFFFACTOR;
  float dopplerFactor = DS3D_DEFAULTDOPPLERFACTOR;
};

class DirectSound8 final : public IDirectSound8 {
 public:
  explicit DirectSound8(std::shared_ptr<AudioDevice> device);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                            LPUNKNOWN outer) override;
  HRESULT GetCaps(LPDSCAPS caps) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
  HRESULT GetSpeakerConfig(LPDWORD speakerConfig) override;
  HRESULT VerifyCertification(LPDWORD certified) override;

  AudioDevice& Device() { return *device; }
  const std::shared_ptr<AudioDevice>& SharedDevice() const { return device; }

  // Listener state shared by the primary buffer and the 3-D buffers (roll-off is per source in
  // OpenAL, a listener property in DirectSound).
  const ListenerParameters& Listener() const { return listener; }
  void ApplyListener(const ListenerParameters& parameters);
  LONG PrimaryVolume() const { return primaryVolume; }
  void SetPrimaryVolume(LONG volume);

  // Secondary buffers register so deferred settings and the roll-off factor reach them.
  void Register(SecondaryBuffer* buffer);
  void Unregister(SecondaryBuffer* buffer);
  void CommitBuffers();

 private:
  ~DirectSound8() = default;
  HRESULT CreatePrimary(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer);

  std::atomic<ULONG> references{1};
  std::shared_ptr<AudioDevice> device;
  DWORD cooperativeLevel = 0;
  ListenerParameters listener;
  LONG primaryVolume = DSBVOLUME_MAX;
  std::vector<SecondaryBuffer*> buffers;
};

inline bool ValidApply(DWORD apply) { return apply == DS3D_IMMEDIATE || apply == DS3D_DEFERRED; }
inline bool Finite(float a, float b, float c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

// Copies a WAVEFORMATEX as GetFormat does: the size alone when no structure is given.
HRESULT CopyFormat(const WAVEFORMATEX& format, LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten);

// Checks a buffer description's size field and format for a secondary buffer.
HRESULT ValidateSecondaryDescription(const DSBUFFERDESC& description);

HRESULT CreatePrimaryBuffer(DirectSound8* owner, DWORD flags, LPDIRECTSOUNDBUFFER* buffer);
HRESULT CreateSecondaryBuffer(DirectSound8* owner, const DSBUFFERDESC& description,
                              LPDIRECTSOUNDBUFFER* buffer);

}  // namespace platform::sound
