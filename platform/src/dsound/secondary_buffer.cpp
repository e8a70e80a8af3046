// Static secondary buffers on an OpenAL buffer and source: Lock/Unlock over the kept bytes,
// play, stop and cursor positions with DirectSound's meaning (Stop keeps the position, Play on
// a playing buffer only changes looping), volume, and the 3-D settings with deferred changes.
#include "dsound/secondary_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::sound {
namespace {

DS3DBUFFER Default3DParameters() {
  DS3DBUFFER parameters{};
  parameters.dwSize = sizeof(DS3DBUFFER);
  parameters.dwInsideConeAngle = DS3D_DEFAULTCONEANGLE;
  parameters.dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE;
  parameters.vConeOrientation = {0.0f, 0.0f, 1.0f};
  parameters.lConeOutsideVolume = DS3D_DEFAULTCONEOUTSIDEVOLUME;
  parameters.flMinDistance = DS3D_DEFAULTMINDISTANCE;
  parameters.flMaxDistance = DS3D_DEFAULTMAXDISTANCE;
  parameters.dwMode = DS3DMODE_NORMAL;
  return parameters;
}

ALenum OpenALFormat(const WAVEFORMATEX& format) {
  if (format.nChannels == 1) return format.wBitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return format.wBitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

}  // namespace

HRESULT CreateSecondaryBuffer(DirectSound8* owner, const DSBUFFERDESC& description,
                              LPDIRECTSOUNDBUFFER* buffer) {
  const ALuint source = owner->Device().CreateSource();
  if (source == 0) return DSERR_ALLOCATED;
  alGetError();
  ALuint data = 0;
  alGenBuffers(1, &data);
  if (alGetError() != AL_NO_ERROR) {
    owner->Device().DeleteSource(source);
    return DSERR_OUTOFMEMORY;
  }
  auto* created = new SecondaryBuffer(owner, description, source, data);
  if (FAILED(created->Initialize())) {
    created->Release();
    return DSERR_OUTOFMEMORY;
  }
  *buffer = static_cast<IDirectSoundBuffer8*>(created);
  return DS_OK;
}

SecondaryBuffer::SecondaryBuffer(DirectSound8* ownerObject, const DSBUFFERDESC& description,
                                 ALuint sourceName, ALuint dataName)
    : owner(ownerObject),
      flags(description.dwFlags),
      format(*description.lpwfxFormat),
      openALFormat(OpenALFormat(format)),
      bytes(description.dwBufferBytes, format.wBitsPerSample == 8 ? BYTE{0x80} : BYTE{0}),
      source(sourceName),
      data(dataName),
      current(Default3DParameters()),
      pending(Default3DParameters()) {
  format.cbSize = 0;
  owner->AddRef();
  owner->Register(this);
}

HRESULT SecondaryBuffer::Initialize() {
  Apply3D();
  return Upload();
}

SecondaryBuffer::~SecondaryBuffer() {
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, 0);
  owner->Device().DeleteSource(source);
  alDeleteBuffers(1, &data);
  owner->Unregister(this);
  owner->Release();
}

HRESULT SecondaryBuffer::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer || iid == IID_IDirectSoundBuffer8) {
    *object = static_cast<IDirectSoundBuffer8*>(this);
  } else if (iid == IID_IDirectSound3DBuffer && Is3D()) {
    *object = static_cast<IDirectSound3DBuffer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG SecondaryBuffer::AddRef() { return ++references; }

ULONG SecondaryBuffer::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

bool SecondaryBuffer::IsPlaying() const {
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

DWORD SecondaryBuffer::PlayCursor() const {
  if (!IsPlaying()) return stoppedPosition;
  ALint offset = 0;
  alGetSourcei(source, AL_BYTE_OFFSET, &offset);
  return static_cast<DWORD>(std::max(offset, 0));
}

HRESULT SecondaryBuffer::GetCurrentPosition(LPDWORD currentPlayCursor, LPDWORD currentWriteCursor) {
  const DWORD play = PlayCursor();
  if (currentPlayCursor) *currentPlayCursor = play;
  if (currentWriteCursor) {
    // While playing, the mixer has already taken about 10 ms past the play cursor.
    DWORD lead = 0;
    if (IsPlaying()) lead = format.nAvgBytesPerSec / 100 / format.nBlockAlign * format.nBlockAlign;
    *currentWriteCursor = (play + lead) % static_cast<DWORD>(bytes.size());
  }
  return DS_OK;
}

HRESULT SecondaryBuffer::GetFormat(LPWAVEFORMATEX formatOut, DWORD sizeAllocated, LPDWORD sizeWritten) {
  return CopyFormat(format, formatOut, sizeAllocated, sizeWritten);
}

HRESULT SecondaryBuffer::GetVolume(LPLONG volumeOut) {
  if (!volumeOut) return DSERR_INVALIDPARAM;
  if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  *volumeOut = volume;
  return DS_OK;
}

HRESULT SecondaryBuffer::SetVolume(LONG newVolume) {
  if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (newVolume < DSBVOLUME_MIN || newVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  volume = newVolume;
  alSourcef(source, AL_GAIN, VolumeToGain(volume));
  return DS_OK;
}

HRESULT SecondaryBuffer::GetStatus(LPDWORD status) {
  if (!status) return DSERR_INVALIDPARAM;
  *status = 0;
  if (IsPlaying()) *status = DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD byteCount, LPVOID* audioPtr1, LPDWORD audioBytes1,
                              LPVOID* audioPtr2, LPDWORD audioBytes2, DWORD lockFlags) {
  if (!audioPtr1 || !audioBytes1) return DSERR_INVALIDPARAM;
  if (locked) return DSERR_INVALIDCALL;
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (lockFlags & DSBLOCK_ENTIREBUFFER) {
    offset = 0;
    byteCount = size;
  } else if (lockFlags & DSBLOCK_FROMWRITECURSOR) {
    GetCurrentPosition(nullptr, &offset);
  }
  if (offset >= size || byteCount == 0 || byteCount > size) return DSERR_INVALIDPARAM;
  DWORD first = std::min(byteCount, size - offset);
  DWORD second = byteCount - first;
  if (!audioPtr2 || !audioBytes2) second = 0;
  *audioPtr1 = bytes.data() + offset;
  *audioBytes1 = first;
  if (audioPtr2) *audioPtr2 = second ? bytes.data() : nullptr;
  if (audioBytes2) *audioBytes2 = second;
  locked = true;
  lockOffset = offset;
  lockBytes = first + second;
  return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) {
  if (!locked) return DSERR_INVALIDCALL;
  const DWORD size = static_cast<DWORD>(bytes.size());
  const bool firstMatches = audioPtr1 == bytes.data() + lockOffset && audioBytes1 <= size - lockOffset;
  const bool secondMatches = audioBytes2 == 0 || (audioPtr2 == bytes.data() && audioBytes1 + audioBytes2 <= lockBytes);
  if (!firstMatches || !secondMatches) return DSERR_INVALIDPARAM;
  locked = false;
  return Upload();
}

// OpenAL cannot change the data of a buffer a source holds: detach, copy, re-attach, and carry
// on from the same place if it was playing.
HRESULT SecondaryBuffer::Upload() {
  const bool wasPlaying = IsPlaying();
  const DWORD position = PlayCursor();
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, 0);
  alGetError();
  const DWORD frameBytes = static_cast<DWORD>(bytes.size()) / format.nBlockAlign * format.nBlockAlign;
  alBufferData(data, openALFormat, bytes.data(), static_cast<ALsizei>(frameBytes),
               static_cast<ALsizei>(format.nSamplesPerSec));
  const bool uploaded = alGetError() == AL_NO_ERROR;
  alSourcei(source, AL_BUFFER, static_cast<ALint>(data));
  alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  stoppedPosition = position;
  if (wasPlaying) Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
  return uploaded ? DS_OK : DSERR_GENERIC;
}

HRESULT SecondaryBuffer::Play(DWORD reserved1, DWORD priority, DWORD playFlags) {
  if (reserved1 != 0 || priority != 0) return DSERR_INVALIDPARAM;
  looping = (playFlags & DSBPLAY_LOOPING) != 0;
  alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  if (IsPlaying()) return DS_OK;
  alSourceRewind(source);
  if (stoppedPosition != 0) alSourcei(source, AL_BYTE_OFFSET, static_cast<ALint>(stoppedPosition));
  alSourcePlay(source);
  stoppedPosition = 0;
  return DS_OK;
}

HRESULT SecondaryBuffer::Stop() {
  if (IsPlaying()) {
    stoppedPosition = PlayCursor();
    alSourceStop(source);
  }
  return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD newPosition) {
  if (newPosition >= bytes.size()) return DSERR_INVALIDPARAM;
  newPosition -= newPosition % format.nBlockAlign;
  if (IsPlaying())
    alSourcei(source, AL_BYTE_OFFSET, static_cast<ALint>(newPosition));
  else
    stoppedPosition = newPosition;
  return DS_OK;
}

// ---------------------------------------------------------------------------------------------
// 3-D

void SecondaryBuffer::Apply3D() {
  if (!Is3D()) {
    // A plain buffer sits on the listener: no panning, no attenuation.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    return;
  }
  const bool disabled = current.dwMode == DS3DMODE_DISABLE;
  alSourcei(source, AL_SOURCE_RELATIVE, current.dwMode == DS3DMODE_NORMAL ? AL_FALSE : AL_TRUE);
  ALfloat value[3] = {0.0f, 0.0f, 0.0f};
  if (!disabled) ToOpenAL(&current.vPosition.x, value);
  alSourcefv(source, AL_POSITION, value);
  ToOpenAL(&current.vVelocity.x, value);
  alSourcefv(source, AL_VELOCITY, value);
  alSourcef(source, AL_REFERENCE_DISTANCE, current.flMinDistance);
  alSourcef(source, AL_MAX_DISTANCE, current.flMaxDistance);
  alSourcef(source, AL_ROLLOFF_FACTOR, disabled ? 0.0f : owner->Listener().rolloffFactor);
}

void SecondaryBuffer::ApplyRolloff(float rolloffFactor) {
  if (Is3D() && current.dwMode != DS3DMODE_DISABLE) alSourcef(source, AL_ROLLOFF_FACTOR, rolloffFactor);
}

void SecondaryBuffer::CommitDeferred() {
  if (!hasPending) return;
  current = pending;
  hasPending = false;
  Apply3D();
}

HRESULT SecondaryBuffer::Change3D(DWORD apply) {
  if (apply == DS3D_DEFERRED) {
    hasPending = true;
    return DS_OK;
  }
  Apply3D();
  return DS_OK;
}

HRESULT SecondaryBuffer::GetAllParameters(LPDS3DBUFFER parameters) {
  if (!parameters || parameters->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
  *parameters = pending;
  return DS_OK;
}

HRESULT SecondaryBuffer::GetMaxDistance(D3DVALUE* maxDistance) {
  if (!maxDistance) return DSERR_INVALIDPARAM;
  *maxDistance = pending.flMaxDistance;
  return DS_OK;
}

HRESULT SecondaryBuffer::GetMinDistance(D3DVALUE* minDistance) {
  if (!minDistance) return DSERR_INVALIDPARAM;
  *minDistance = pending.flMinDistance;
  return DS_OK;
}

HRESULT SecondaryBuffer::GetMode(LPDWORD mode) {
  if (!mode) return DSERR_INVALIDPARAM;
  *mode = pending.dwMode;
  return DS_OK;
}

HRESULT SecondaryBuffer::GetPosition(LPD3DVECTOR position) {
  if (!position) return DSERR_INVALIDPARAM;
  *position = pending.vPosition;
  return DS_OK;
}

HRESULT SecondaryBuffer::GetVelocity(LPD3DVECTOR velocity) {
  if (!velocity) return DSERR_INVALIDPARAM;
  *velocity = pending.vVelocity;
  return DS_OK;
}

HRESULT SecondaryBuffer::SetMaxDistance(D3DVALUE maxDistance, DWORD apply) {
  if (!ValidApply(apply) || !(maxDistance > 0.0f) || !std::isfinite(maxDistance)) return DSERR_INVALIDPARAM;
  pending.flMaxDistance = maxDistance;
  if (apply == DS3D_IMMEDIATE) current.flMaxDistance = maxDistance;
  return Change3D(apply);
}

HRESULT SecondaryBuffer::SetMinDistance(D3DVALUE minDistance, DWORD apply) {
  if (!ValidApply(apply) || !(minDistance > 0.0f) || !std::isfinite(minDistance)) return DSERR_INVALIDPARAM;
  pending.flMinDistance = minDistance;
  if (apply == DS3D_IMMEDIATE) current.flMinDistance = minDistance;
  return Change3D(apply);
}

HRESULT SecondaryBuffer::SetMode(DWORD mode, DWORD apply) {
  if (!ValidApply(apply) || mode > DS3DMODE_DISABLE) return DSERR_INVALIDPARAM;
  pending.dwMode = mode;
  if (apply == DS3D_IMMEDIATE) current.dwMode = mode;
  return Change3D(apply);
}

HRESULT SecondaryBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  if (!ValidApply(apply) || !Finite(x, y, z)) return DSERR_INVALIDPARAM;
  pending.vPosition = {x, y, z};
  if (apply == DS3D_IMMEDIATE) current.vPosition = pending.vPosition;
  return Change3D(apply);
}

HRESULT SecondaryBuffer::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  if (!ValidApply(apply) || !Finite(x, y, z)) return DSERR_INVALIDPARAM;
  pending.vVelocity = {x, y, z};
  if (apply == DS3D_IMMEDIATE) current.vVelocity = pending.vVelocity;
  return Change3D(apply);
}

}  // namespace platform::sound
