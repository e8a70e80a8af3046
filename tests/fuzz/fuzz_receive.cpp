// libFuzzer harness for the network receivers: every input is one received buffer handed to
// the host's receiver (FUZZ_CLIENT_SIDE 0) or the joining side's (1), in debug mode so that the
// garbage lines are built too. The buffer is an exact-size copy, so any read past its end is
// caught by the address sanitizer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "multiplayer/net_protocol.h"
#include "rallix_game.h"

namespace {

RallixGame& FuzzGame() {
  static std::unique_ptr<RallixGame> game = [] {
    auto created = std::make_unique<RallixGame>();
    g_engine = created.get();
    debugMode = 1;
    return created;
  }();
  return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzGame();
  std::vector<BYTE> buffer(data, data + size);
  DPNMSG_RECEIVE message{};
  message.dwSize = sizeof message;
  message.pReceiveData = buffer.empty() ? nullptr : buffer.data();
  message.dwReceiveDataSize = static_cast<DWORD>(buffer.size());
#if FUZZ_CLIENT_SIDE
  ClientReceive(&message);
#else
  ServerReceive(&message);
#endif
  return 0;
}
