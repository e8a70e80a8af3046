// aruAudio, aruSound and aruMP3: the device's start-up lines and exceptions, the statistics
// report for the console, effect files read by the fixed offsets of the canonical wave header,
// and music through a DirectShow graph with the caller-driven loop.
#include "core/sound.h"

#include <aru_platform.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "core/aru.h"
#include "core/safe_release.h"

namespace {

constexpr D3DCOLOR kReportColour = aruConsole::kReportColour;
constexpr D3DCOLOR kFailureColour = 0xFFFF0000;
constexpr D3DCOLOR kSuccessColour = 0xFF00FF00;

// Canonical wave header: fixed offsets of the fields the effect loader reads.
constexpr size_t kHeaderSize = 44;
constexpr size_t kFormatTagOffset = 20;
constexpr size_t kChannelsOffset = 22;
constexpr size_t kRateOffset = 24;
constexpr size_t kByteRateOffset = 28;
constexpr size_t kBlockAlignOffset = 32;
constexpr size_t kBitsOffset = 34;
constexpr size_t kDataSizeOffset = 40;

// Music is rewound this many seconds before its reported end.
constexpr double kLoopMargin = 0.05;

// A failure that carries its own text; the engine's exception block logs what() with it.
class aruSoundError : public std::exception {
 public:
  explicit aruSoundError(const char* message) : message(message) {}
  const char* what() const noexcept override { return message; }

 private:
  const char* message;
};

uint16_t Read16(const std::vector<BYTE>& image, size_t offset) {
  return static_cast<uint16_t>(image[offset] | (image[offset + 1] << 8));
}

uint32_t Read32(const std::vector<BYTE>& image, size_t offset) {
  return image[offset] | (image[offset + 1] << 8) | (image[offset + 2] << 16) |
         (static_cast<uint32_t>(image[offset + 3]) << 24);
}

bool ReadWholeFile(const char* fileName, std::vector<BYTE>* image) {
  std::ifstream in(platform::ResolvePath(fileName), std::ios::binary);
  if (!in) return false;
  image->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// What the mixer can play: PCM, one or two channels, 8 or 16 bits, a sane rate.
bool PlayableFormat(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
         (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) && format.nSamplesPerSec >= DSBFREQUENCY_MIN &&
         format.nSamplesPerSec <= DSBFREQUENCY_MAX &&
         format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8;
}

// The path as the wide string RenderFile takes, decoding the UTF-8 this system's paths use.
std::wstring WidePath(const std::string& text) {
  std::wstring wide;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
      wide += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    wide += static_cast<wchar_t>(code);
    i += static_cast<size_t>(extra) + 1;
  }
  return wide;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// aruAudio

aruAudio::aruAudio(ARU* engine) {
  engine->BeginList("DirectSound/DirectMusic Initialization");
  DirectSoundCreate8(nullptr, &directSound, nullptr);
  if (directSound == nullptr) {
    engine->Line("Failed to create a DirectSound8 Interface.");
    engine->EndList();
    throw aruSoundError("Failed to create a DirectSound8 Interface.");
  }
  engine->Line("Created and initialized the DirectSound8 Interface.");

  if (!engine->DirectSoundResult(directSound->SetCooperativeLevel(engine->GetWindow(), DSSCL_EXCLUSIVE)))
    engine->Line("Set cooperative level to DSSCL_EXCLUSIVE.");

  DWORD certification = DS_UNCERTIFIED;
  directSound->VerifyCertification(&certification);
  certified = certification == DS_CERTIFIED;
  engine->Line(certified ? "Audio card certified for DirectSound." : "Audio card NOT certified for DirectSound.");

  // The out-of-memory type cannot carry a text, so the text goes to the log first.
  DSBUFFERDESC description{};
  description.dwSize = sizeof(DSBUFFERDESC);
  description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME;
  if (engine->DirectSoundResult(directSound->CreateSoundBuffer(&description, &primary, nullptr)) ||
      primary == nullptr) {
    engine->Line("Failed creating primary sound buffer.");
    engine->EndList();
    Release();
    throw std::bad_alloc();
  }
  engine->Line("Created primary sound buffer.");

  if (engine->DirectSoundResult(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener))) ||
      listener == nullptr) {
    engine->Line("Failed creating 3D listener.");
    engine->EndList();
    Release();
    throw std::bad_alloc();
  }
  engine->Line("Created 3D Listener.");

  caps.dwSize = sizeof(DSCAPS);
  directSound->GetCaps(&caps);
  DWORD speakers = 0;
  directSound->GetSpeakerConfig(&speakers);
  speakerConfig = speakers;
  engine->EndList();
}

aruAudio::~aruAudio() { Release(); }

void aruAudio::Release() {
  if (primary != nullptr) primary->Stop();
  SAFE_RELEASE(primary);
  SAFE_RELEASE(listener);
  SAFE_RELEASE(directSound);
}

const char* aruAudio::SpeakerName(uint32_t config) {
  static const char* const names[] = {
      "(0) No speakers.",           "(1) Headphones.",
      "(2) Single speaker.",        "(3) Quadraphonic speakers.",
      "(4) Stereo speakers.",       "(5) Surround speakers.",
      "(6) Five surround speakers with a subwoofer.", "(7) Seven surround speakers with a subwoofer.",
  };
  return config < std::size(names) ? names[config] : "";
}

void aruAudio::DumpStatistics(ARU* engine) {
  if (engine == nullptr) return;
  aruConsole& console = *engine;  // the log has a Printf of its own
  console.Print("=== DirectSound Statistics ===", kReportColour);
  if (certified)
    console.Print("SoundCard is DirectSound Certified.", kSuccessColour);
  else
    console.Print("SoundCard is NOT DirectSound Certified.", kFailureColour);
  console.Printf(kReportColour, "Speakers: %s", SpeakerName(speakerConfig));

  const struct {
    const char* format;
    DWORD value;
  } lines[] = {
      {"Caps dwTotalHwMemBytes: %d", caps.dwTotalHwMemBytes},
      {"Caps dwFreeHw3DAllBuffers: %d", caps.dwFreeHw3DAllBuffers},
      {"Caps dwFreeHw3DStaticBuffers: %d", caps.dwFreeHw3DStaticBuffers},
      {"Caps dwFreeHw3DStreamingBuffers: %d", caps.dwFreeHw3DStreamingBuffers},
      {"Caps dwFreeHwMemBytes: %d", caps.dwFreeHwMemBytes},
      {"Caps dwFreeHwMixingAllBuffers: %d", caps.dwFreeHwMixingAllBuffers},
      {"Caps dwFreeHwMixingStaticBuffers: %d", caps.dwFreeHwMixingStaticBuffers},
      {"Caps dwFreeHwMixingStreamingBuffers: %d", caps.dwFreeHwMixingStreamingBuffers},
      {"Caps dwMaxContigFreeHwMemBytes: %d", caps.dwMaxContigFreeHwMemBytes},
      {"Caps dwMaxHw3DAllBuffers: %d", caps.dwMaxHw3DAllBuffers},
      {"Caps dwMaxHw3DStaticBuffers: %d", caps.dwMaxHw3DStaticBuffers},
      {"Caps dwMaxHw3DStreamingBuffers: %d", caps.dwMaxHw3DStreamingBuffers},
      {"Caps dwMaxHwMixingAllBuffers: %d", caps.dwMaxHwMixingAllBuffers},
      {"Caps dwMaxHwMixingStaticBuffers: %d", caps.dwMaxHwMixingStaticBuffers},
      {"Caps dwMaxHwMixingStreamingBuffers: %d", caps.dwMaxHwMixingStreamingBuffers},
      {"Caps dwMaxSecondarySampleRate: %d", caps.dwMaxSecondarySampleRate},
      {"Caps dwMinSecondarySampleRate: %d", caps.dwMinSecondarySampleRate},
      {"Caps dwPlayCpuOverheadSwBuffers: %d", caps.dwPlayCpuOverheadSwBuffers},
      {"Caps dwPrimaryBuffers: %d", caps.dwPrimaryBuffers},
      {"Caps dwUnlockTransferRateHwBuffers: %d", caps.dwUnlockTransferRateHwBuffers},
  };
  for (const auto& line : lines) console.Printf(kReportColour, line.format, static_cast<int>(line.value));

  DS3DLISTENER parameters{};
  parameters.dwSize = sizeof(DS3DLISTENER);
  if (listener == nullptr || FAILED(listener->GetAllParameters(&parameters))) {
    console.Print("Failed querying 3D Listener Parameters.", kFailureColour);
    return;
  }
  const auto vector = [&console](const char* format, const D3DVECTOR& v) {
    console.Printf(kReportColour, format, v.x, v.y, v.z);
  };
  console.Printf(kReportColour, "3D Listener dwSize: %d", static_cast<int>(parameters.dwSize));
  console.Printf(kReportColour, "3D Listener flDistanceFactor: %.4f", parameters.flDistanceFactor);
  console.Printf(kReportColour, "3D Listener flDopplerFactor: %.4f", parameters.flDopplerFactor);
  console.Printf(kReportColour, "3D Listener flRolloffFactor: %.4f", parameters.flRolloffFactor);
  vector("3D Listener vOrientFront: (%.4f, %.4f, %.4f)", parameters.vOrientFront);
  vector("3D Listener vOrientTop: (%.4f, %.4f, %.4f)", parameters.vOrientTop);
  vector("3D Listener vPosition: (%.4f, %.4f, %.4f)", parameters.vPosition);
  vector("3D Listener vVelocity: (%.4f, %.4f, %.4f)", parameters.vVelocity);
}

// ---------------------------------------------------------------------------------------------
// aruSound

aruSound::aruSound(ARU* engineObject, bool want3D) : engine(engineObject), use3D(want3D) {}

aruSound::~aruSound() {
  if (buffer != nullptr) {
    buffer->Stop();
    buffer->SetCurrentPosition(0);
  }
  ReleaseBuffers();
}

void aruSound::ReleaseBuffers() {
  SAFE_RELEASE(buffer3D);
  SAFE_RELEASE(buffer);
}

HRESULT aruSound::Load(const char* fileName) {
  ReleaseBuffers();
  if (fileName == nullptr) return 0;

  std::vector<BYTE> image;
  if (!ReadWholeFile(fileName, &image) || image.size() < kHeaderSize) return E_FAIL;

  WAVEFORMATEX format{};
  format.wFormatTag = Read16(image, kFormatTagOffset);
  format.nChannels = Read16(image, kChannelsOffset);
  format.nSamplesPerSec = Read32(image, kRateOffset);
  format.nAvgBytesPerSec = Read32(image, kByteRateOffset);
  format.nBlockAlign = Read16(image, kBlockAlignOffset);
  format.wBitsPerSample = Read16(image, kBitsOffset);
  format.cbSize = 0;
  // A size field that claims more than the file holds is cut at the end of the file.
  const DWORD present = static_cast<DWORD>(std::min<size_t>(image.size() - kHeaderSize, DSBSIZE_MAX));
  const DWORD dataSize = std::min<DWORD>(Read32(image, kDataSizeOffset), present);
  // Less than the smallest buffer the device makes is a damaged file, not a failing device.
  if (!PlayableFormat(format) || dataSize < std::max<DWORD>(format.nBlockAlign, DSBSIZE_MIN)) return E_FAIL;
  if (format.nChannels > 1) use3D = false;  // 3-D sound needs a mono source

  aruAudio* audio = engine != nullptr ? engine->GetAudio() : nullptr;
  if (audio == nullptr || audio->GetDirectSound() == nullptr) return E_FAIL;
  DSBUFFERDESC description{};
  description.dwSize = sizeof(DSBUFFERDESC);
  description.dwFlags = DSBCAPS_STATIC | (use3D ? DSBCAPS_CTRL3D : 0);
  description.dwBufferBytes = dataSize;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* created = nullptr;
  if (engine->DirectSoundResult(audio->GetDirectSound()->CreateSoundBuffer(&description, &created, nullptr)) ||
      created == nullptr) {
    engine->Line("Failed creating sound buffer.");
    throw std::bad_alloc();
  }
  const HRESULT queried = created->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer));
  created->Release();
  if (engine->DirectSoundResult(queried) || buffer == nullptr) return E_FAIL;

  const HRESULT copied = CopyIntoBuffer(image.data() + kHeaderSize, dataSize);
  if (FAILED(copied)) return copied;

  if (use3D) {
    if (engine->DirectSoundResult(buffer->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&buffer3D))) ||
        buffer3D == nullptr) {
      ReleaseBuffers();
      return E_FAIL;
    }
    buffer3D->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE);
  }
  return 0;
}

HRESULT aruSound::CopyIntoBuffer(const BYTE* samples, DWORD byteCount) {
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD size1 = 0;
  DWORD size2 = 0;
  if (FAILED(buffer->Lock(0, 0, &part1, &size1, &part2, &size2, DSBLOCK_ENTIREBUFFER))) {
    ReleaseBuffers();
    return E_FAIL;
  }
  std::memcpy(part1, samples, std::min(size1, byteCount));
  if (engine->DirectSoundResult(buffer->Unlock(part1, size1, part2, size2))) {
    ReleaseBuffers();
    return E_FAIL;
  }
  return 0;
}

HRESULT aruSound::Play(bool loop) {
  if (buffer == nullptr) return E_FAIL;
  buffer->Stop();
  buffer->SetCurrentPosition(0);
  return buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
}

// ---------------------------------------------------------------------------------------------
// aruMP3

aruMP3::aruMP3() {
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                              reinterpret_cast<void**>(&graph))) ||
      graph == nullptr) {
    graph = nullptr;
    return;
  }
  graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
  graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position));
}

aruMP3::~aruMP3() { Release(); }

HRESULT aruMP3::Load(const char* fileName) {
  if (graph == nullptr) return 0;
  if (fileName == nullptr) return E_FAIL;
  char directory[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  const std::string path = std::string(directory) + "\\" + fileName;
  if (path.size() >= MAX_PATH) return E_FAIL;
  return graph->RenderFile(WidePath(path).c_str(), nullptr);
}

HRESULT aruMP3::Play() {
  if (graph == nullptr || control == nullptr) return 0;
  if (position != nullptr) position->put_CurrentPosition(0.0);
  return control->Run();
}

HRESULT aruMP3::Stop() {
  if (graph == nullptr || control == nullptr) return 0;
  return control->Stop();
}

void aruMP3::KeepLooping() {
  if (graph == nullptr || position == nullptr) return;
  REFTIME now = 0.0;
  REFTIME length = 0.0;
  if (FAILED(position->get_CurrentPosition(&now)) || FAILED(position->get_Duration(&length))) return;
  if (now >= length - kLoopMargin) position->put_CurrentPosition(0.0);
}

void aruMP3::Release() {
  SAFE_RELEASE(position);
  SAFE_RELEASE(control);
  SAFE_RELEASE(graph);
}
