// The DirectSound device object: creation, cooperative level, capabilities read from OpenAL,
// speaker configuration, buffer creation and the listener state that the primary buffer and
// the 3-D buffers share.
#include "dsound/direct_sound.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "dsound/secondary_buffer.h"

namespace platform::sound {
namespace {

constexpr float kSpeedOfSoundMetresPerSecond = 343.3f;

// DSBUFFERDESC1 is the older, shorter description without the 3-D algorithm.
constexpr DWORD kShortDescriptionSize = offsetof(DSBUFFERDESC, guid3DAlgorithm);

bool DescriptionSizeValid(DWORD size) {
  return size == sizeof(DSBUFFERDESC) || size == kShortDescriptionSize;
}

}  // namespace

DirectSound8::DirectSound8(std::shared_ptr<AudioDevice> sharedDevice) : device(std::move(sharedDevice)) {
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  ApplyListener(listener);
  SetPrimaryVolume(DSBVOLUME_MAX);
}

HRESULT DirectSound8::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectSound || iid == IID_IDirectSound8) {
    AddRef();
    *object = static_cast<IDirectSound8*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG DirectSound8::AddRef() { return ++references; }

ULONG DirectSound8::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectSound8::SetCooperativeLevel(HWND window, DWORD level) {
  if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
  cooperativeLevel = level;
  return DS_OK;
}

HRESULT DirectSound8::VerifyCertification(LPDWORD certified) {
  if (!certified) return DSERR_INVALIDPARAM;
  // No driver here carries a certification: the mixer is OpenAL's.
  *certified = DS_UNCERTIFIED;
  return DS_OK;
}

HRESULT DirectSound8::GetSpeakerConfig(LPDWORD speakerConfig) {
  if (!speakerConfig) return DSERR_INVALIDPARAM;
  *speakerConfig = device->SpeakerConfig();
  return DS_OK;
}

// The mixer's voices are OpenAL sources: mono sources can be positioned in 3-D, stereo ones
// cannot. No memory lives on a card, and OpenAL resamples any rate continuously.
HRESULT DirectSound8::GetCaps(LPDSCAPS caps) {
  if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
  const DWORD size = caps->dwSize;
  *caps = DSCAPS{};
  caps->dwSize = size;
  caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                  DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                  DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
  if (device->GetKind() == AudioDevice::Kind::Silent) caps->dwFlags |= DSCAPS_EMULDRIVER;
  caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  caps->dwPrimaryBuffers = 1;

  const DWORD all = static_cast<DWORD>(device->MonoSources() + device->StereoSources());
  const DWORD threeD = static_cast<DWORD>(device->MonoSources());
  const DWORD used = static_cast<DWORD>(device->SourcesInUse());
  const DWORD freeAll = all > used ? all - used : 0;
  const DWORD free3D = std::min(threeD, freeAll);
  caps->dwMaxHwMixingAllBuffers = caps->dwMaxHwMixingStaticBuffers = caps->dwMaxHwMixingStreamingBuffers = all;
  caps->dwFreeHwMixingAllBuffers = caps->dwFreeHwMixingStaticBuffers = caps->dwFreeHwMixingStreamingBuffers = freeAll;
  caps->dwMaxHw3DAllBuffers = caps->dwMaxHw3DStaticBuffers = caps->dwMaxHw3DStreamingBuffers = threeD;
  caps->dwFreeHw3DAllBuffers = caps->dwFreeHw3DStaticBuffers = caps->dwFreeHw3DStreamingBuffers = free3D;
  return DS_OK;
}

HRESULT DirectSound8::CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                                        LPUNKNOWN outer) {
  if (!buffer) return DSERR_INVALIDPARAM;
  *buffer = nullptr;
  if (outer) return DSERR_NOAGGREGATION;
  if (!description || !DescriptionSizeValid(description->dwSize)) return DSERR_INVALIDPARAM;
  if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) return CreatePrimary(description, buffer);
  const HRESULT valid = ValidateSecondaryDescription(*description);
  if (FAILED(valid)) return valid;
  return CreateSecondaryBuffer(this, *description, buffer);
}

HRESULT DirectSound8::CreatePrimary(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer) {
  constexpr DWORD allowed = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME |
                            DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_STICKYFOCUS |
                            DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  if ((description->dwFlags & ~allowed) || description->dwBufferBytes != 0 || description->lpwfxFormat)
    return DSERR_INVALIDPARAM;
  return CreatePrimaryBuffer(this, description->dwFlags, buffer);
}

void DirectSound8::ApplyListener(const ListenerParameters& parameters) {
  const bool rolloffChanged = parameters.rolloffFactor != listener.rolloffFactor;
  listener = parameters;
  ALfloat value[3];
  ToOpenAL(&listener.position.x, value);
  alListenerfv(AL_POSITION, value);
  ToOpenAL(&listener.velocity.x, value);
  alListenerfv(AL_VELOCITY, value);
  ALfloat orientation[6];
  ToOpenAL(&listener.front.x, orientation);
  ToOpenAL(&listener.top.x, orientation + 3);
  alListenerfv(AL_ORIENTATION, orientation);
  // The distance factor is metres per unit; OpenAL wants the speed of sound in units.
  alSpeedOfSound(kSpeedOfSoundMetresPerSecond / listener.distanceFactor);
  alDopplerFactor(listener.dopplerFactor);
  if (rolloffChanged)
    for (SecondaryBuffer* buffer : buffers) buffer->ApplyRolloff(listener.rolloffFactor);
}

void DirectSound8::SetPrimaryVolume(LONG volume) {
  primaryVolume = volume;
  alListenerf(AL_GAIN, VolumeToGain(volume));
}

void DirectSound8::Register(SecondaryBuffer* buffer) { buffers.push_back(buffer); }

void DirectSound8::Unregister(SecondaryBuffer* buffer) {
  buffers.erase(std::remove(buffers.begin(), buffers.end(), buffer), buffers.end());
}

void DirectSound8::CommitBuffers() {
  for (SecondaryBuffer* buffer : buffers) buffer->CommitDeferred();
}

HRESULT CopyFormat(const WAVEFORMATEX& format, LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten) {
  if (!out) {
    if (!sizeWritten) return DSERR_INVALIDPARAM;
    *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
  }
  const DWORD size = std::min<DWORD>(sizeAllocated, sizeof(WAVEFORMATEX));
  std::memcpy(out, &format, size);
  if (sizeWritten) *sizeWritten = size;
  return DS_OK;
}

HRESULT ValidateSecondaryDescription(const DSBUFFERDESC& description) {
  const WAVEFORMATEX* format = description.lpwfxFormat;
  if (!format || description.dwBufferBytes < DSBSIZE_MIN || description.dwBufferBytes > DSBSIZE_MAX)
    return DSERR_INVALIDPARAM;
  if (format->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
  if (format->nChannels < 1 || format->nChannels > 2) return DSERR_BADFORMAT;
  if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return DSERR_BADFORMAT;
  if (format->nSamplesPerSec < DSBFREQUENCY_MIN || format->nSamplesPerSec > DSBFREQUENCY_MAX)
    return DSERR_BADFORMAT;
  if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return DSERR_BADFORMAT;
  // 3-D sound is positioned from one channel only.
  if ((description.dwFlags & DSBCAPS_CTRL3D) && format->nChannels != 1) return DSERR_INVALIDPARAM;
  return DS_OK;
}

}  // namespace platform::sound

HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer) {
  if (!directSound) return DSERR_INVALIDPARAM;
  *directSound = nullptr;
  if (outer) return DSERR_NOAGGREGATION;
  if (device && *device != GUID_NULL) return DSERR_NODRIVER;
  std::shared_ptr<platform::sound::AudioDevice> shared = platform::sound::AudioDevice::Acquire();
  if (!shared) return DSERR_NODRIVER;
  *directSound = new platform::sound::DirectSound8(std::move(shared));
  return DS_OK;
}
