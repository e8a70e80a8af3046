// Playing the rules' sounds through the game object's six aruSound objects: placed in 3-D at
// the ball when the sound has a 3-D buffer, then played once from the start.
#pragma once

#include "match.h"

// The MatchOutput play hook; the context is the RallixGame.
void PlayMatchSound(void* context, MatchSound sound, const aruVector3& position,
                    const aruVector3* velocity);
