// A static secondary sound buffer: the caller's bytes are kept in memory (what Lock hands out)
// and copied into an OpenAL buffer on Unlock; one OpenAL source plays it. With DSBCAPS_CTRL3D
// the same object is its IDirectSound3DBuffer8.
#pragma once

#include <dsound.h>

#include <atomic>
#include <vector>

#include "dsound/direct_sound.h"

namespace platform::sound {

class SecondaryBuffer final : public IDirectSoundBuffer8, public IDirectSound3DBuffer {
 public:
  SecondaryBuffer(DirectSound8* owner, const DSBUFFERDESC& description, ALuint source, ALuint data);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetCurrentPosition(LPDWORD currentPlayCursor, LPDWORD currentWriteCursor) override;
  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override;
  HRESULT GetVolume(LPLONG volume) override;
  HRESULT GetStatus(LPDWORD status) override;
  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
               LPDWORD audioBytes2, DWORD flags) override;
  HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override;
  HRESULT SetCurrentPosition(DWORD newPosition) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT Stop() override;
  HRESULT Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) override;

  HRESULT GetAllParameters(LPDS3DBUFFER parameters) override;
  HRESULT GetMaxDistance(D3DVALUE* maxDistance) override;
  HRESULT GetMinDistance(D3DVALUE* minDistance) override;
  HRESULT GetMode(LPDWORD mode) override;
  HRESULT GetPosition(LPD3DVECTOR position) override;
  HRESULT GetVelocity(LPD3DVECTOR velocity) override;
  HRESULT SetMaxDistance(D3DVALUE maxDistance, DWORD apply) override;
  HRESULT SetMinDistance(D3DVALUE minDistance, DWORD apply) override;
  HRESULT SetMode(DWORD mode, DWORD apply) override;
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;

  // Copies the initial (silent) contents into OpenAL; fails when OpenAL refuses them.
  HRESULT Initialize();

  // Called by the device object: the listener's roll-off and CommitDeferredSettings.
  void ApplyRolloff(float rolloffFactor);
  void CommitDeferred();

 private:
  ~SecondaryBuffer();
  bool Is3D() const { return (flags & DSBCAPS_CTRL3D) != 0; }
  bool IsPlaying() const;
  DWORD PlayCursor() const;
  HRESULT Upload();
  void Apply3D();
  HRESULT Change3D(DWORD apply);

  std::atomic<ULONG> references{1};
  DirectSound8* owner;
  DWORD flags;
  WAVEFORMATEX format;
  ALenum openALFormat;
  std::vector<BYTE> bytes;
  ALuint source;
  ALuint data;
  bool looping = false;
  DWORD stoppedPosition = 0;  // the play cursor while not playing
  LONG volume = DSBVOLUME_MAX;
  bool locked = false;
  DWORD lockOffset = 0;
  DWORD lockBytes = 0;
  DS3DBUFFER current;  // what OpenAL has
  DS3DBUFFER pending;  // with DS3D_DEFERRED changes, applied on commit
  bool hasPending = false;
};

}  // namespace platform::sound
