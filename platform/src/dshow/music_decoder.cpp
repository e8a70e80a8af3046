// WAV and Ogg Vorbis decoding for music streams. The WAV reader walks the RIFF chunks and never
// trusts a size beyond the end of the file; Vorbis goes through libvorbisfile.
#include "dshow/music_decoder.h"

#include <dshow.h>

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::music {
namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr long kMaxReadFrames = 8192;
constexpr WORD kFormatExtensible = 0xFFFE;

uint32_t Little32(const uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
uint16_t Little16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

class WaveDecoder final : public MusicDecoder {
 public:
  ~WaveDecoder() override {
    if (file) std::fclose(file);
  }

  // Reads the chunk list; returns S_OK or the RenderFile error for this file.
  HRESULT Open(std::FILE* opened) {
    file = opened;
    uint8_t header[12];
    if (std::fread(header, 1, 12, file) != 12 || std::memcmp(header, "RIFF", 4) || std::memcmp(header + 8, "WAVE", 4))
      return VFW_E_INVALID_FILE_FORMAT;
    std::fseek(file, 0, SEEK_END);
    const long fileSize = std::ftell(file);
    long at = 12;
    bool haveFormat = false;
    while (at + 8 <= fileSize) {
      uint8_t chunk[8];
      std::fseek(file, at, SEEK_SET);
      if (std::fread(chunk, 1, 8, file) != 8) break;
      const uint32_t size = Little32(chunk + 4);
      const long body = at + 8;
      if (!std::memcmp(chunk, "fmt ", 4)) {
        const HRESULT format = ReadFormat(size);
        if (FAILED(format)) return format;
        haveFormat = true;
      } else if (!std::memcmp(chunk, "data", 4)) {
        if (!haveFormat) return VFW_E_INVALID_FILE_FORMAT;
        dataOffset = body;
        const long present = std::min<long>(size, fileSize - body);
        totalFrames = present / blockAlign;
        duration = static_cast<double>(totalFrames) / rate;
        std::fseek(file, dataOffset, SEEK_SET);
        scratch.resize(static_cast<size_t>(kMaxReadFrames) * blockAlign);
        return S_OK;
      }
      at = body + static_cast<long>(size) + (size & 1);
    }
    return VFW_E_INVALID_FILE_FORMAT;
  }

  long Read(int16_t* frames, long maxFrames) override {
    const long wanted = std::min({maxFrames, kMaxReadFrames, totalFrames - nextFrame});
    if (wanted <= 0) return 0;
    const long got = static_cast<long>(std::fread(scratch.data(), blockAlign, static_cast<size_t>(wanted), file));
    const long samples = got * channels;
    for (long i = 0; i < samples; ++i) {
      frames[i] = bits == 8 ? static_cast<int16_t>((scratch[i] - 128) << 8)
                            : static_cast<int16_t>(Little16(&scratch[static_cast<size_t>(i) * 2]));
    }
    nextFrame += got;
    return got;
  }

  bool Seek(double seconds) override {
    nextFrame = std::clamp(static_cast<long>(seconds * rate), 0L, totalFrames);
    return std::fseek(file, dataOffset + nextFrame * blockAlign, SEEK_SET) == 0;
  }

 private:
  HRESULT ReadFormat(uint32_t size) {
    uint8_t format[40] = {};
    if (size < 16 || std::fread(format, 1, std::min<uint32_t>(size, sizeof(format)), file) < 16)
      return VFW_E_INVALID_FILE_FORMAT;
    WORD tag = Little16(format);
    if (tag == kFormatExtensible && size >= 40) tag = Little16(format + 24);  // sub-format's tag
    channels = Little16(format + 2);
    rate = static_cast<int>(Little32(format + 4));
    blockAlign = Little16(format + 12);
    bits = Little16(format + 14);
    if (tag != WAVE_FORMAT_PCM_TAG || channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate <= 0 ||
        blockAlign != channels * bits / 8)
      return VFW_E_UNSUPPORTED_STREAM;
    return S_OK;
  }

  static constexpr WORD WAVE_FORMAT_PCM_TAG = 1;
  std::FILE* file = nullptr;
  long dataOffset = 0;
  long totalFrames = 0;
  long nextFrame = 0;
  int blockAlign = 0;
  int bits = 0;
  std::vector<uint8_t> scratch;
};

class VorbisDecoder final : public MusicDecoder {
 public:
  ~VorbisDecoder() override {
    if (open) ov_clear(&file);
  }

  HRESULT Open(const std::string& path) {
    if (ov_fopen(path.c_str(), &file) != 0) return VFW_E_INVALID_FILE_FORMAT;
    open = true;
    const vorbis_info* info = ov_info(&file, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0) return VFW_E_UNSUPPORTED_STREAM;
    channels = info->channels;
    rate = static_cast<int>(info->rate);
    const double total = ov_time_total(&file, -1);
    duration = total > 0.0 ? total : 0.0;
    return S_OK;
  }

  long Read(int16_t* frames, long maxFrames) override {
    long written = 0;
    while (written < maxFrames) {
      int section = 0;
      char* out = reinterpret_cast<char*>(frames + written * channels);
      const int bytes = static_cast<int>((maxFrames - written) * channels * 2);
      const long got = ov_read(&file, out, bytes, 0, 2, 1, &section);
      if (got == OV_HOLE) continue;
      if (got <= 0) break;
      // A chained stream that changes its layout ends here rather than playing garbage.
      const vorbis_info* info = ov_info(&file, section);
      if (!info || info->channels != channels || info->rate != rate) break;
      written += got / (channels * 2);
    }
    return written;
  }

  bool Seek(double seconds) override { return ov_time_seek(&file, std::clamp(seconds, 0.0, duration)) == 0; }

 private:
  OggVorbis_File file{};
  bool open = false;
};

}  // namespace

std::unique_ptr<MusicDecoder> OpenMusicFile(const std::string& path, HRESULT* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = kFileNotFound;
    return nullptr;
  }
  char magic[4] = {};
  const size_t got = std::fread(magic, 1, 4, file);
  std::rewind(file);
  if (got == 4 && !std::memcmp(magic, "RIFF", 4)) {
    auto decoder = std::make_unique<WaveDecoder>();
    *error = decoder->Open(file);
    return SUCCEEDED(*error) ? std::move(decoder) : nullptr;
  }
  std::fclose(file);
  if (got == 4 && !std::memcmp(magic, "OggS", 4)) {
    auto decoder = std::make_unique<VorbisDecoder>();
    *error = decoder->Open(path);
    return SUCCEEDED(*error) ? std::move(decoder) : nullptr;
  }
  *error = VFW_E_UNKNOWN_FILE_TYPE;
  return nullptr;
}

}  // namespace platform::music
