// The platform services the engine and the game call (path rule, termination hook, notes, data
// folder). The declarations live with the platform layer; this header makes them reachable from
// the engine's include folder, so engine and game sources need no platform folder on their path.
#pragma once

#include "../platform/services/aru_platform.h"
