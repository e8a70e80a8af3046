// The rules name their sounds; the game object owns the sound objects behind the names.
#include "match_sounds.h"

#include "rallix_game.h"

#include "core/sound.h"

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
  if (IDirectSound3DBuffer8* buffer = sound->Get3DBuffer()) {
    buffer->SetPosition(position.x, position.y, position.z, DS3D_IMMEDIATE);
    if (velocity != nullptr) {
      buffer->SetVelocity(velocity->x, velocity->y, velocity->z, DS3D_IMMEDIATE);
    }
  }
  sound->Play(false);
}
