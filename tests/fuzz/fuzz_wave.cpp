// libFuzzer harness for the engine's wave reader: every input is a whole effect file, loaded
// as a plain and as a 3-D effect on an engine with a loopback sound device, and played once
// when it loads, with a few frames mixed so the copied samples are read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <aru_platform.h>

#include "core/aru.h"
#include "core/sound.h"
#include "fuzz_file.h"

namespace {

constexpr DWORD kMixRate = 22050;

class WaveEngine final : public ARU {
 public:
  HRESULT GameInitialize() override { return 0; }
  void AttachAudio(aruAudio* device) { audio = device; }
};

ARU* Engine() {
  static std::unique_ptr<WaveEngine> engine = [] {
    setenv("ARU_VIDEO", "null", 1);
    platform::UseLoopbackSound(kMixRate);
    static const std::string logPath = fuzz_support::PrivateFolder() + "/errlog.html";
    auto created = std::make_unique<WaveEngine>();
    created->SetPath(logPath.c_str());
    created->Open("Wave Fuzz", false);
    created->AttachAudio(new aruAudio(created.get()));
    return created;
  }();
  return engine.get();
}

void LoadAndPlay(const char* path, bool use3D) {
  aruSound sound(Engine(), use3D);
  if (sound.Load(path) != 0) {
    if (sound.GetBuffer() != nullptr) {
      std::fprintf(stderr, "fuzz_wave: a failed load kept a buffer\n");
      std::abort();
    }
    return;
  }
  sound.Play(false);
  SHORT frames[2 * 64];
  platform::RenderLoopbackSound(frames, 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("effect.sfx", data, size);
  LoadAndPlay(path.c_str(), false);
  LoadAndPlay(path.c_str(), true);
  return 0;
}
