// The rules name their sounds; the game object owns the sound objects behind the names.
#include "match_sounds.h"

#include "rallix_game.h"

#if __has_include("core/sound.h")
#include "core/sound.h"
#define RALLIX_HAS_SOUND 1
#endif

aruSound* RallixGame::GetMatchSound(MatchSound sound) const {
  switch (sound) {
    case MatchSound::ping: return pingSound;
    case MatchSound::pong: return pongSound;
    case MatchSound::score: return scoreSound;
    case MatchSound::wall: return wallSound;
    case MatchSound::power: return powerSound;
    case MatchSound::screenshot: return screenshotSound;
  }
  return nullptr;
}

void PlayMatchSound(void* context, MatchSound which, const aruVector3& position,
                    const aruVector3* velocity) {
  aruSound* sound = static_cast<RallixGame*>(context)->GetMatchSound(which);
  if (sound == nullptr) return;
#ifdef RALLIX_HAS_SOUND
  if (IDirectSound3DBuffer8* buffer = sound->Get3DBuffer()) {
    buffer->SetPosition(position.x, position.y, position.z, DS3D_IMMEDIATE);
    if (velocity != nullptr) {
      buffer->SetVelocity(velocity->x, velocity->y, velocity->z, DS3D_IMMEDIATE);
    }
  }
  sound->Play(false);
#else
  (void)position;
  (void)velocity;
#endif
}
