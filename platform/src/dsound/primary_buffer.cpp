// The primary buffer: the device's mix. Its volume is OpenAL's listener gain, and with
// DSBCAPS_CTRL3D it is also the 3-D listener, whose deferred settings wait for
// CommitDeferredSettings (which commits the deferred 3-D buffer settings too).
#include <cmath>
#include <cstring>

#include "dsound/direct_sound.h"

namespace platform::sound {
namespace {

class PrimaryBuffer final : public IDirectSoundBuffer, public IDirectSound3DListener {
 public:
  PrimaryBuffer(DirectSound8* ownerObject, DWORD bufferFlags)
      : owner(ownerObject), flags(bufferFlags), pending(ownerObject->Listener()) {
    owner->AddRef();
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer) {
      *object = static_cast<IDirectSoundBuffer*>(this);
    } else if (iid == IID_IDirectSound3DListener && (flags & DSBCAPS_CTRL3D)) {
      *object = static_cast<IDirectSound3DListener*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  // The mix itself has no cursor, data or lock the application may touch at this level.
  HRESULT GetCurrentPosition(LPDWORD, LPDWORD) override { return DSERR_UNSUPPORTED; }
  HRESULT Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) override { return DSERR_PRIOLEVELNEEDED; }
  HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }

  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override {
    WAVEFORMATEX mix{};
    mix.wFormatTag = WAVE_FORMAT_PCM;
    mix.nChannels = 2;
    mix.nSamplesPerSec = static_cast<DWORD>(owner->Device().Frequency());
    mix.wBitsPerSample = 16;
    mix.nBlockAlign = 4;
    mix.nAvgBytesPerSec = mix.nSamplesPerSec * mix.nBlockAlign;
    return CopyFormat(mix, format, sizeAllocated, sizeWritten);
  }

  HRESULT GetVolume(LPLONG volume) override {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = owner->PrimaryVolume();
    return DS_OK;
  }
  HRESULT SetVolume(LONG volume) override {
    if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    owner->SetPrimaryVolume(volume);
    return DS_OK;
  }

  HRESULT GetStatus(LPDWORD status) override {
    if (!status) return DSERR_INVALIDPARAM;
    *status = playing ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
    return DS_OK;
  }
  // The mixer runs whether or not the primary buffer is "playing"; these only keep the state
  // the application asked for, as a primary buffer must always loop.
  HRESULT Play(DWORD reserved1, DWORD priority, DWORD playFlags) override {
    if (reserved1 != 0 || priority != 0 || !(playFlags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
    playing = true;
    return DS_OK;
  }
  HRESULT Stop() override {
    playing = false;
    return DS_OK;
  }

  // --- listener ---
  HRESULT GetAllParameters(LPDS3DLISTENER parameters) override {
    if (!parameters || parameters->dwSize != sizeof(DS3DLISTENER)) return DSERR_INVALIDPARAM;
    parameters->vPosition = pending.position;
    parameters->vVelocity = pending.velocity;
    parameters->vOrientFront = pending.front;
    parameters->vOrientTop = pending.top;
    parameters->flDistanceFactor = pending.distanceFactor;
    parameters->flRolloffFactor = pending.rolloffFactor;
    parameters->flDopplerFactor = pending.dopplerFactor;
    return DS_OK;
  }
  HRESULT GetDistanceFactor(D3DVALUE* value) override { return Read(value, pending.distanceFactor); }
  HRESULT GetDopplerFactor(D3DVALUE* value) override { return Read(value, pending.dopplerFactor); }
  HRESULT GetRolloffFactor(D3DVALUE* value) override { return Read(value, pending.rolloffFactor); }
  HRESULT GetOrientation(LPD3DVECTOR front, LPD3DVECTOR top) override {
    if (!front || !top) return DSERR_INVALIDPARAM;
    *front = pending.front;
    *top = pending.top;
    return DS_OK;
  }
  HRESULT GetPosition(LPD3DVECTOR position) override { return Read(position, pending.position); }
  HRESULT GetVelocity(LPD3DVECTOR velocity) override { return Read(velocity, pending.velocity); }

  HRESULT SetDistanceFactor(D3DVALUE value, DWORD apply) override {
    if (!(value >= DS3D_MINDISTANCEFACTOR && value <= DS3D_MAXDISTANCEFACTOR)) return DSERR_INVALIDPARAM;
    return Change(apply, [value](ListenerParameters& p) { p.distanceFactor = value; });
  }
  HRESULT SetDopplerFactor(D3DVALUE value, DWORD apply) override {
    if (!(value >= DS3D_MINDOPPLERFACTOR && value <= DS3D_MAXDOPPLERFACTOR)) return DSERR_INVALIDPARAM;
    return Change(apply, [value](ListenerParameters& p) { p.dopplerFactor = value; });
  }
  HRESULT SetRolloffFactor(D3DVALUE value, DWORD apply) override {
    if (!(value >= DS3D_MINROLLOFFFACTOR && value <= DS3D_MAXROLLOFFFACTOR)) return DSERR_INVALIDPARAM;
    return Change(apply, [value](ListenerParameters& p) { p.rolloffFactor = value; });
  }
  HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                         D3DVALUE zTop, DWORD apply) override {
    if (!Finite(xFront, yFront, zFront) || !Finite(xTop, yTop, zTop)) return DSERR_INVALIDPARAM;
    if (xFront == 0.0f && yFront == 0.0f && zFront == 0.0f) return DSERR_INVALIDPARAM;
    if (xTop == 0.0f && yTop == 0.0f && zTop == 0.0f) return DSERR_INVALIDPARAM;
    return Change(apply, [=](ListenerParameters& p) {
      p.front = {xFront, yFront, zFront};
      p.top = {xTop, yTop, zTop};
    });
  }
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Change(apply, [=](ListenerParameters& p) { p.position = {x, y, z}; });
  }
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Change(apply, [=](ListenerParameters& p) { p.velocity = {x, y, z}; });
  }
  HRESULT CommitDeferredSettings() override {
    owner->ApplyListener(pending);
    owner->CommitBuffers();
    return DS_OK;
  }

 private:
  ~PrimaryBuffer() { owner->Release(); }

  template <typename T>
  static HRESULT Read(T* out, const T& value) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = value;
    return DS_OK;
  }

  // An immediate change reaches OpenAL now, leaving other deferred changes waiting; a deferred
  // one waits for CommitDeferredSettings.
  template <typename Edit>
  HRESULT Change(DWORD apply, Edit edit) {
    if (!ValidApply(apply)) return DSERR_INVALIDPARAM;
    edit(pending);
    if (apply == DS3D_IMMEDIATE) {
      ListenerParameters now = owner->Listener();
      edit(now);
      owner->ApplyListener(now);
    }
    return DS_OK;
  }

  std::atomic<ULONG> references{1};
  DirectSound8* owner;
  DWORD flags;
  bool playing = false;
  ListenerParameters pending;
};

}  // namespace

HRESULT CreatePrimaryBuffer(DirectSound8* owner, DWORD flags, LPDIRECTSOUNDBUFFER* buffer) {
  *buffer = new PrimaryBuffer(owner, flags);
  return DS_OK;
}

}  // namespace platform::sound
