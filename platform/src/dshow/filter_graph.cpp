// The filter graph object that CoCreateInstance(CLSID_FilterGraph) creates: one COM object that
// is the graph builder, the media control and the media position. RenderFile opens one music
// file by content and sets up its stream; the graph starts stopped at position 0.
#include <dshow.h>

#include <atomic>
#include <memory>
#include <string>

#include "aru_platform.h"
#include "com/com_factories.h"
#include "dshow/music_stream.h"

namespace platform::music {
namespace {

// The caller's wide-character path as UTF-8, the file system's encoding here.
std::string Utf8Path(LPCWSTR wide) {
  std::string path;
  for (; *wide; ++wide) {
    const auto code = static_cast<uint32_t>(*wide);
    if (code < 0x80) {
      path += static_cast<char>(code);
    } else if (code < 0x800) {
      path += static_cast<char>(0xC0 | (code >> 6));
      path += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      path += static_cast<char>(0xE0 | (code >> 12));
      path += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      path += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
      path += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      path += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return path;
}

class FilterGraph final : public IGraphBuilder, public IMediaControl, public IMediaPosition {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IGraphBuilder || iid == IID_IFilterGraph)
      *object = static_cast<IGraphBuilder*>(this);
    else if (iid == IID_IMediaControl)
      *object = static_cast<IMediaControl*>(this);
    else if (iid == IID_IMediaPosition)
      *object = static_cast<IMediaPosition*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override {
    if (!file || playList) return E_INVALIDARG;
    if (stream) return VFW_E_WRONG_STATE;
    const std::string path = platform::ResolvePath(Utf8Path(file).c_str());
    HRESULT error = S_OK;
    std::unique_ptr<MusicDecoder> decoder = OpenMusicFile(path, &error);
    if (!decoder) return error;
    std::shared_ptr<sound::AudioDevice> device = sound::AudioDevice::Acquire();
    if (!device) return VFW_E_CANNOT_RENDER;
    auto created = std::make_unique<MusicStream>(std::move(device), std::move(decoder));
    if (!created->Start()) return VFW_E_CANNOT_RENDER;
    stream = std::move(created);
    return S_OK;
  }

  // Without a rendered file the graph is empty: running it succeeds and plays nothing.
  HRESULT Run() override {
    if (stream) stream->Run();
    state = State_Running;
    return S_OK;
  }
  HRESULT Pause() override {
    if (stream) stream->Stop();
    state = State_Paused;
    return S_OK;
  }
  HRESULT Stop() override {
    if (stream) stream->Stop();
    state = State_Stopped;
    return S_OK;
  }
  HRESULT GetState(LONG, OAFilterState* current) override {
    if (!current) return E_POINTER;
    *current = state;
    return S_OK;
  }

  HRESULT get_Duration(REFTIME* length) override {
    if (!length) return E_POINTER;
    if (!stream) return VFW_E_NOT_FOUND;
    *length = stream->Duration();
    return S_OK;
  }
  HRESULT put_CurrentPosition(REFTIME time) override {
    if (!stream) return VFW_E_NOT_FOUND;
    if (!(time >= 0.0)) return E_INVALIDARG;
    stream->Seek(time);
    return S_OK;
  }
  HRESULT get_CurrentPosition(REFTIME* time) override {
    if (!time) return E_POINTER;
    if (!stream) return VFW_E_NOT_FOUND;
    *time = stream->Position();
    return S_OK;
  }

 private:
  ~FilterGraph() = default;

  std::atomic<ULONG> references{1};
  std::unique_ptr<MusicStream> stream;
  OAFilterState state = State_Stopped;
};

}  // namespace
}  // namespace platform::music

namespace platform {

HRESULT CreateFilterGraphObject(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* graph = new music::FilterGraph();
  const HRESULT result = graph->QueryInterface(iid, object);
  graph->Release();
  return result;
}

}  // namespace platform
