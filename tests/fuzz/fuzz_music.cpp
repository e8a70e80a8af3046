// libFuzzer harness for the music decoder: every input is a whole music file (WAV or Ogg
// Vorbis, told apart by content). An opened stream is read to its end in blocks, rewound by
// seeking and read a little again, so the decoder's bounds are tested as the stream's worker
// uses them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "dshow/music_decoder.h"
#include "fuzz_file.h"

namespace {

constexpr long kBlockFrames = 1024;
// A short input can claim hours of sound; reading stops here.
constexpr long kMaxFramesRead = 1 << 20;

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_music: %s\n", what);
  std::abort();
}

long ReadToEnd(platform::music::MusicDecoder& decoder, std::vector<int16_t>& block) {
  long total = 0;
  while (total < kMaxFramesRead) {
    const long got = decoder.Read(block.data(), kBlockFrames);
    if (got < 0 || got > kBlockFrames) Fail("a read returned more than was asked");
    if (got == 0) break;
    total += got;
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInput("music.sfx", data, size);
  HRESULT error = S_OK;
  std::unique_ptr<platform::music::MusicDecoder> decoder = platform::music::OpenMusicFile(path, &error);
  if (decoder == nullptr) {
    if (SUCCEEDED(error)) Fail("a refused file reported success");
    return 0;
  }
  if (decoder->Channels() < 1 || decoder->Channels() > 2 || decoder->Rate() <= 0 || !(decoder->Duration() >= 0.0))
    Fail("an opened stream has an impossible layout");
  // The exact size the worker's buffer has: frames times channels.
  std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * decoder->Channels());
  ReadToEnd(*decoder, block);
  decoder->Seek(decoder->Duration() / 2);
  decoder->Read(block.data(), kBlockFrames);
  decoder->Seek(-1.0);
  decoder->Read(block.data(), kBlockFrames);
  return 0;
}
