// The engine's sound: the sound device aruAudio (DirectSound in exclusive mode, a 3-D primary
// buffer and its listener), the sound effect aruSound (one static buffer loaded from a ".sfx"
// wave file, optionally placed in 3-D) and the music player aruMP3 (a file played through a
// DirectShow graph and looped by the caller).
#pragma once

#include <windows.h>
#include <dshow.h>
#include <dsound.h>

#include <cstdint>

class ARU;

class aruAudio {
 public:
  // Creates the device, primary buffer and listener, logging each step; throws on failure.
  explicit aruAudio(ARU* engine);
  ~aruAudio();
  aruAudio(const aruAudio&) = delete;
  aruAudio& operator=(const aruAudio&) = delete;

  IDirectSound3DListener* GetListener() const { return listener; }
  IDirectSound8* GetDirectSound() const { return directSound; }
  IDirectSoundBuffer* GetPrimaryBuffer() const { return primary; }
  const DSCAPS& GetCaps() const { return caps; }
  uint32_t GetSpeakerConfig() const { return speakerConfig; }
  bool IsCertified() const { return certified; }

  // The console report of the device; nothing without an engine.
  void DumpStatistics(ARU* engine);
  // Stops the primary buffer and releases primary buffer, listener and device, in that order.
  void Release();

  // "(4) Stereo speakers." and the like; empty for values outside 0..7.
  static const char* SpeakerName(uint32_t config);

 private:
  IDirectSound8* directSound = nullptr;
  IDirectSound3DListener* listener = nullptr;
  DSCAPS caps{};
  uint32_t speakerConfig = 0;
  bool certified = false;
  IDirectSoundBuffer* primary = nullptr;
};

class aruSound {
 public:
  aruSound(ARU* engine, bool use3D);
  ~aruSound();
  aruSound(const aruSound&) = delete;
  aruSound& operator=(const aruSound&) = delete;

  // Loads a canonical 44-byte-header wave file; a null name only releases. 0 or E_FAIL.
  HRESULT Load(const char* fileName);
  // Starts the sound from its beginning, looping or once; E_FAIL when nothing is loaded.
  HRESULT Play(bool loop);
  IDirectSound3DBuffer8* Get3DBuffer() const { return use3D ? buffer3D : nullptr; }
  IDirectSoundBuffer8* GetBuffer() const { return buffer; }
  bool Is3D() const { return use3D; }

 private:
  void ReleaseBuffers();
  HRESULT CopyIntoBuffer(const BYTE* samples, DWORD byteCount);

  IDirectSoundBuffer8* buffer = nullptr;
  IDirectSound3DBuffer8* buffer3D = nullptr;
  ARU* engine;
  bool use3D;
};

class aruMP3 {
 public:
  aruMP3();
  ~aruMP3();
  aruMP3(const aruMP3&) = delete;
  aruMP3& operator=(const aruMP3&) = delete;

  // The file's absolute path from the current directory, rendered by the graph.
  HRESULT Load(const char* fileName);
  HRESULT Play();
  HRESULT Stop();
  // Called every frame while music plays: rewinds once the end is reached.
  void KeepLooping();
  void Release();
  bool HasGraph() const { return graph != nullptr; }

 private:
  IGraphBuilder* graph = nullptr;
  IMediaControl* control = nullptr;
  IMediaPosition* position = nullptr;
};
