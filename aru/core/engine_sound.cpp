// The engine's sound device at start-up and shutdown: the primary buffer's volume found at start
// is restored before the device is released.
#include "core/aru.h"

#include <dsound.h>

#include "core/sound.h"

void ARU::CreateSound() {
  // aruAudio's constructor throws when the device cannot be made; Initialize's block catches it.
  audio = new aruAudio(this);
  IDirectSoundBuffer* primary = audio->GetPrimaryBuffer();
  LONG volume = 0;
  if (primary != nullptr) primary->GetVolume(&volume);
  oldVolume = volume;
  BeginList("Created DirectSound");
  Value("Old Volume: ", oldVolume);
  EndList();
}

void ARU::ReleaseSound() {
  if (audio == nullptr) return;
  IDirectSoundBuffer* primary = audio->GetPrimaryBuffer();
  if (primary != nullptr) primary->SetVolume(oldVolume);
  audio->Release();
  delete audio;
  audio = nullptr;
  Line("Deleted DirectSound and DirectMusic Interfaces.");
}
