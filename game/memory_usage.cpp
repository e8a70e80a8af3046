// The "Memory Usage" list. Classes that are still being built are measured through stand-ins of
// their own name in the namespace below until their headers exist.
#include "memory_usage.h"

#include <cstdint>
#include <cstdio>

#include "multiplayer/dp_client.h"
#include "multiplayer/dp_server.h"
#include "rallix_game.h"
#include "scenes/scene0.h"
#include "services/font.h"
#include "services/vb.h"

namespace pending {
struct scene1 {};
struct scene2 {};
struct scene3 {};
struct scene4 {};
struct scene5 {};
struct scene6 {};
struct scene7 {};
struct scene8 {};
struct scene9 {};
struct aruCMesh {};
struct aruSound {};
struct aruMP3 {};
}  // namespace pending

template <typename T>
static uint32_t SizeOf() {
  return static_cast<uint32_t>(sizeof(T));
}

void LogMemoryUsage(RallixGame& game) {
  using namespace pending;
  const uint32_t base = SizeOf<ARU>();
  const uint32_t derived = SizeOf<RallixGame>();
  const uint32_t sceneSizes[] = {SizeOf<scene1>(), SizeOf<scene2>(), SizeOf<scene3>(), SizeOf<scene4>(),
                                 SizeOf<scene5>(), SizeOf<scene6>(), SizeOf<scene7>(), SizeOf<scene8>(),
                                 SizeOf<scene9>()};
  game.BeginList("Memory Usage");
  game.MemorySize("Base ARU: ", base);
  game.MemorySize("Derived ARU: ", derived);
  game.MemorySize("Added Game Data: ", derived - base);
  game.MemorySize("PlayBall: ", SizeOf<PlayBall>());
  game.MemorySize("GoalSplat: ", SizeOf<GoalSplat>());
  uint32_t total = derived + SizeOf<PlayBall>() + SizeOf<GoalSplat>() + SizeOf<::scene0>();
  char label[32];
  for (int i = 0; i < 9; ++i) {
    snprintf(label, sizeof label, "Scene%d: ", i + 1);
    game.MemorySize(label, sceneSizes[i]);
    total += sceneSizes[i];
  }
  game.MemorySize("Scene0: ", SizeOf<::scene0>());
  game.MemorySize("Total Game Specific Class Size: ", total);
  game.MemorySize("aruVB: ", SizeOf<aruVB>());
  game.MemorySize("aruCMesh: ", SizeOf<aruCMesh>());
  game.MemorySize("aruFont: ", SizeOf<aruFont>());
  game.MemorySize("aruDPServer: ", SizeOf<aruDPServer>());
  game.MemorySize("aruDPClient: ", SizeOf<aruDPClient>());
  game.MemorySize("aruSound: ", SizeOf<pending::aruSound>());
  game.MemorySize("aruMP3: ", SizeOf<aruMP3>());
  game.MemorySize("aruPlane: ", SizeOf<aruPlane>());
  game.MemorySize("aruVector3: ", SizeOf<aruVector3>());
  game.MemorySize("aruNVertex: ", SizeOf<aruNVertex>());
  game.EndList();
}
