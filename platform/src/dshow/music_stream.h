// A music stream: a decoder feeding a few OpenAL buffers queued on one source, refilled by a
// worker thread so that the main loop never waits for decoding. The main thread only posts
// commands (run, stop, seek) and reads the position; one mutex guards what both touch.
#pragma once

#include <windows.h>

#include <AL/al.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "dshow/music_decoder.h"
#include "dsound/audio_device.h"

namespace platform::music {

class MusicStream {
 public:
  // Takes an open decoder; false from Start when OpenAL gives no source or buffers.
  MusicStream(std::shared_ptr<sound::AudioDevice> device, std::unique_ptr<MusicDecoder> decoder);
  ~MusicStream();
  bool Start();

  void Run();
  void Stop();
  bool IsRunning();
  void Seek(double seconds);
  double Position();
  double Duration() const { return duration; }

 private:
  static constexpr int kBufferCount = 4;
  static constexpr long kFramesPerBuffer = 4096;

  void Work();
  void ApplySeek(std::unique_lock<std::mutex>& lock, double seconds);
  void UnqueueProcessed();
  void Refill(std::unique_lock<std::mutex>& lock);
  void FollowRunState();

  std::shared_ptr<sound::AudioDevice> device;
  std::unique_ptr<MusicDecoder> decoder;  // used by the worker only, once started
  const double duration;
  const int rate;
  const ALenum format;
  ALuint source = 0;
  ALuint buffers[kBufferCount] = {};
  std::vector<int16_t> chunk;  // decoding scratch of the worker

  // Guarded by mutex: commands from the main thread and the frame count of what left the queue.
  std::mutex mutex;
  std::condition_variable wake;
  bool quit = false;
  bool running = false;
  std::optional<double> seekRequest;
  long framesDone = 0;       // frames of buffers already played and unqueued since the last seek
  long queuedFrames[kBufferCount] = {};  // frames in each queued buffer, oldest first
  int queuedCount = 0;
  bool endOfStream = false;
  bool stateChanged = false;
  long baseFrame = 0;  // where the last seek put the stream
  ALuint freeBuffers[kBufferCount] = {};
  int freeCount = 0;
  std::thread worker;
};

}  // namespace platform::music
