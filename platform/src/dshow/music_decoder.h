// Decoders for the music files a filter graph renders: RIFF WAVE (PCM, 8 or 16 bits) and Ogg
// Vorbis, chosen by the file's first bytes. Each gives 16-bit interleaved frames, mono or
// stereo, and can seek. Only the stream's worker thread uses a decoder once it is open.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace platform::music {

class MusicDecoder {
 public:
  virtual ~MusicDecoder() = default;
  // Fills up to maxFrames frames; returns the number written, 0 at the end of the stream.
  virtual long Read(int16_t* frames, long maxFrames) = 0;
  // Moves to the frame at the given time (clamped to the stream); false when that fails.
  virtual bool Seek(double seconds) = 0;
  int Channels() const { return channels; }
  int Rate() const { return rate; }
  double Duration() const { return duration; }

 protected:
  int channels = 0;
  int rate = 0;
  double duration = 0.0;
};

// Opens a file by content. On failure returns null and sets error to the HRESULT RenderFile
// gives: file not found, unknown file type, invalid file format or unsupported stream.
std::unique_ptr<MusicDecoder> OpenMusicFile(const std::string& path, HRESULT* error);

}  // namespace platform::music
