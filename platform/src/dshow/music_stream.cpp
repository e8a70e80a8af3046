// The music stream's worker: it wakes every few milliseconds or on a command, returns played
// buffers, decodes the next chunks outside the lock, queues them, and keeps the source playing
// or paused as the graph's state says. Nothing is allocated after Start.
#include "dshow/music_stream.h"

#include <algorithm>
#include <chrono>

namespace platform::music {
namespace {

constexpr auto kWakeInterval = std::chrono::milliseconds(5);

}  // namespace

MusicStream::MusicStream(std::shared_ptr<sound::AudioDevice> sharedDevice, std::unique_ptr<MusicDecoder> opened)
    : device(std::move(sharedDevice)),
      decoder(std::move(opened)),
      duration(decoder->Duration()),
      rate(decoder->Rate()),
      format(decoder->Channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16),
      chunk(static_cast<size_t>(kFramesPerBuffer) * decoder->Channels()) {}

bool MusicStream::Start() {
  source = device->CreateSource();
  if (source == 0) return false;
  alGetError();
  alGenBuffers(kBufferCount, buffers);
  if (alGetError() != AL_NO_ERROR) {
    device->DeleteSource(source);
    source = 0;
    return false;
  }
  // Music is not placed in space: it plays on the listener, unattenuated.
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  std::copy(std::begin(buffers), std::end(buffers), freeBuffers);
  freeCount = kBufferCount;
  worker = std::thread(&MusicStream::Work, this);
  return true;
}

MusicStream::~MusicStream() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    quit = true;
  }
  wake.notify_one();
  if (worker.joinable()) worker.join();
  if (source != 0) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    device->DeleteSource(source);
    alDeleteBuffers(kBufferCount, buffers);
  }
}

void MusicStream::Run() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    running = true;
    stateChanged = true;
  }
  wake.notify_one();
}

void MusicStream::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    running = false;
    stateChanged = true;
  }
  wake.notify_one();
}

bool MusicStream::IsRunning() {
  std::lock_guard<std::mutex> lock(mutex);
  return running;
}

void MusicStream::Seek(double seconds) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    seekRequest = std::clamp(seconds, 0.0, duration);
  }
  wake.notify_one();
}

double MusicStream::Position() {
  std::lock_guard<std::mutex> lock(mutex);
  if (seekRequest) return *seekRequest;
  long frames = baseFrame + framesDone;
  if (queuedCount > 0) {
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    ALint offset = 0;
    if (state == AL_STOPPED) {
      // Played to the end of the queue; the worker has not taken the buffers back yet.
      for (int i = 0; i < queuedCount; ++i) offset += static_cast<ALint>(queuedFrames[i]);
    } else {
      alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    }
    frames += offset;
  }
  return std::min(static_cast<double>(frames) / rate, duration);
}

void MusicStream::Work() {
  std::unique_lock<std::mutex> lock(mutex);
  while (!quit) {
    wake.wait_for(lock, kWakeInterval, [this] { return quit || seekRequest.has_value() || stateChanged; });
    if (quit) break;
    if (seekRequest) ApplySeek(lock, *seekRequest);
    stateChanged = false;
    UnqueueProcessed();
    Refill(lock);
    FollowRunState();
  }
}

// Called with the lock held; drops what is queued and decodes from the new place.
void MusicStream::ApplySeek(std::unique_lock<std::mutex>& lock, double seconds) {
  seekRequest.reset();
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, 0);
  std::copy(std::begin(buffers), std::end(buffers), freeBuffers);
  freeCount = kBufferCount;
  queuedCount = 0;
  framesDone = 0;
  endOfStream = false;
  baseFrame = static_cast<long>(seconds * rate);
  lock.unlock();
  const bool moved = decoder->Seek(seconds);
  lock.lock();
  if (!moved) endOfStream = true;
}

void MusicStream::UnqueueProcessed() {
  ALint processed = 0;
  alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
  while (processed-- > 0 && queuedCount > 0) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(source, 1, &buffer);
    framesDone += queuedFrames[0];
    std::copy(queuedFrames + 1, queuedFrames + queuedCount, queuedFrames);
    --queuedCount;
    freeBuffers[freeCount++] = buffer;
  }
}

// Decoding happens without the lock, so Position and the commands never wait for it.
void MusicStream::Refill(std::unique_lock<std::mutex>& lock) {
  while (!endOfStream && freeCount > 0 && !seekRequest && !quit) {
    const ALuint buffer = freeBuffers[--freeCount];
    lock.unlock();
    const long frames = decoder->Read(chunk.data(), kFramesPerBuffer);
    lock.lock();
    if (seekRequest || frames <= 0) {
      freeBuffers[freeCount++] = buffer;
      if (frames <= 0 && !seekRequest) endOfStream = true;
      break;
    }
    alBufferData(buffer, format, chunk.data(), static_cast<ALsizei>(frames * decoder->Channels() * 2), rate);
    alSourceQueueBuffers(source, 1, &buffer);
    queuedFrames[queuedCount++] = frames;
  }
}

void MusicStream::FollowRunState() {
  ALint state = AL_INITIAL;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  if (running && state != AL_PLAYING && queuedCount > 0) {
    // Also restarts a source that ran dry before the next chunk was ready.
    alSourcePlay(source);
  } else if (!running && state == AL_PLAYING) {
    alSourcePause(source);
  }
}

}  // namespace platform::music
