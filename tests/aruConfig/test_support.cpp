// The scripted Direct3D object, the recording prompt and the scratch settings file.
#include "test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace aruconfig::testing {

namespace {

class ScriptedDirect3D final : public IDirect3D9 {
 public:
  explicit ScriptedDirect3D(std::shared_ptr<Direct3DScript> script) : script_(std::move(script)) {
    ++script_->created;
    ++script_->alive;
  }
  ~ScriptedDirect3D() { --script_->alive; }

  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  UINT GetAdapterCount() override { return static_cast<UINT>(script_->adapters.size()); }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) override {
    if (!Valid(adapter)) return D3DERR_INVALIDCALL;
    *identifier = {};
    std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                  script_->adapters[adapter].description.c_str());
    return D3D_OK;
  }
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
    if (!Valid(adapter)) return 0;
    const auto& modes = script_->adapters[adapter].modes;
    return static_cast<UINT>(std::count_if(modes.begin(), modes.end(), [&](auto& m) { return m.Format == format; }));
  }
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode) override {
    if (!Valid(adapter)) return D3DERR_INVALIDCALL;
    for (const D3DDISPLAYMODE& candidate : script_->adapters[adapter].modes) {
      if (candidate.Format == format && index-- == 0) {
        *mode = candidate;
        return D3D_OK;
      }
    }
    return D3DERR_INVALIDCALL;
  }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    if (!Valid(adapter)) return D3DERR_INVALIDCALL;
    *mode = Mode(1280, 1024, 60, script_->adapters[adapter].desktopFormat);
    return D3D_OK;
  }
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT backBuffer,
                          BOOL windowed) override {
    if (!HasDevice(adapter, type)) return D3DERR_NOTAVAILABLE;
    const auto& accepts = script_->adapters[adapter].acceptsFormat;
    return !accepts || accepts(display, backBuffer, windowed) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                            D3DFORMAT format) override {
    if (!HasDevice(adapter, type)) return D3DERR_NOTAVAILABLE;
    const auto& formats = script_->adapters[adapter].textureFormats;
    return std::find(formats.begin(), formats.end(), format) != formats.end() ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE samples, DWORD* levels) override {
    script_->multisampleWindowed.push_back(windowed);
    if (!HasDevice(adapter, type)) return D3DERR_NOTAVAILABLE;
    const auto& table = script_->adapters[adapter].multisampleLevels;
    auto found = table.find(samples);
    if (found == table.end()) return D3DERR_NOTAVAILABLE;
    if (levels) *levels = found->second;
    return D3D_OK;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override {
    if (!HasDevice(adapter, type)) return D3DERR_NOTAVAILABLE;
    *caps = script_->adapters[adapter].devices.at(type);
    return D3D_OK;
  }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND window, DWORD behaviour, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice9** device) override {
    script_->createBehaviours.push_back(behaviour);
    script_->createParameters.push_back(*parameters);
    *device = nullptr;
    if (behaviour != script_->acceptedBehaviour) return D3DERR_NOTAVAILABLE;
    return CreateNullDevice(window, device);
  }

 private:
  bool Valid(UINT adapter) const { return adapter < script_->adapters.size(); }
  bool HasDevice(UINT adapter, D3DDEVTYPE type) const {
    return Valid(adapter) && script_->adapters[adapter].devices.count(type) != 0;
  }

  // A real (null back end) device, so that the tool has something to release.
  static HRESULT CreateNullDevice(HWND window, IDirect3DDevice9** device) {
    setenv("ARU_VIDEO", "null", 1);
    IDirect3D9* null = Direct3DCreate9(D3D_SDK_VERSION);
    if (!null) return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS windowed{};
    windowed.Windowed = TRUE;
    windowed.SwapEffect = D3DSWAPEFFECT_DISCARD;
    windowed.BackBufferWidth = 640;
    windowed.BackBufferHeight = 480;
    HRESULT result = null->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &windowed,
                                        device);
    null->Release();
    return result;
  }

  std::shared_ptr<Direct3DScript> script_;
  ULONG refs_ = 1;
};

}  // namespace

Direct3DFactory ScriptedFactory(std::shared_ptr<Direct3DScript> script) {
  return [script]() -> IDirect3D9* {
    if (script->failCreation) return nullptr;
    return new ScriptedDirect3D(script);
  };
}

D3DCAPS9 GoodCaps() {
  D3DCAPS9 caps{};
  caps.MaxActiveLights = 8;
  caps.MaxPointSize = 64.0f;
  caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
  caps.MaxPrimitiveCount = 1048575;
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
  caps.VertexProcessingCaps = D3DVTXPCAPS_DIRECTIONALLIGHTS;
  return caps;
}

D3DDISPLAYMODE Mode(UINT width, UINT height, UINT refresh, D3DFORMAT format) {
  return D3DDISPLAYMODE{width, height, refresh, format};
}

ScriptedAdapter StandardAdapter() {
  ScriptedAdapter adapter;
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
    adapter.modes.push_back(Mode(640, 480, 60, format));
    adapter.modes.push_back(Mode(800, 600, 60, format));
    adapter.modes.push_back(Mode(1024, 768, 60, format));
    adapter.modes.push_back(Mode(1280, 1024, 60, format));
  }
  adapter.modes.push_back(Mode(1024, 768, 85, D3DFMT_X8R8G8B8));
  adapter.devices[D3DDEVTYPE_HAL] = GoodCaps();
  adapter.multisampleLevels = {{D3DMULTISAMPLE_NONMASKABLE, 2}, {D3DMULTISAMPLE_2_SAMPLES, 1},
                               {D3DMULTISAMPLE_4_SAMPLES, 1}};
  return adapter;
}

int RecordingPrompt::Ask(const char* text, const char* caption, UINT type) {
  messages.push_back({text, caption, type});
  if (answers.empty()) return IDOK;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

ScratchSettings::ScratchSettings() {
  char pattern[] = "/tmp/aruconfig-test-XXXXXX";
  folder_ = mkdtemp(pattern);
  std::filesystem::create_directories(folder_ / "base");
  path_ = (folder_ / "base" / "config.cfg").string();
}

ScratchSettings::~ScratchSettings() {
  std::error_code ignored;
  std::filesystem::permissions(folder_ / "base", std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(folder_, ignored);
}

void ScratchSettings::Write(const std::string& contents) const { std::ofstream(path_) << contents; }

std::string ScratchSettings::Read() const {
  std::ifstream file(path_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ScratchSettings::Keys() const {
  std::vector<std::string> keys;
  std::istringstream lines(Read());
  std::string line;
  bool inSection = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.front() == '[') {
      inSection = line == "[ARU]";
    } else if (inSection && line.find('=') != std::string::npos) {
      keys.push_back(line.substr(0, line.find('=')));
    }
  }
  return keys;
}

std::string ScratchSettings::Value(const std::string& key) const {
  char buffer[256] = {};
  GetPrivateProfileStringA("ARU", key.c_str(), "", buffer, sizeof buffer, path_.c_str());
  return buffer;
}

}  // namespace aruconfig::testing
