// The configuration dialog's buttons: saving the choices, launching the game, leaving with or
// without saving, and creating a test device from the current choices.
#include <cstdio>
#include <string>

#include "config_tool.h"

namespace aruconfig {

namespace {

constexpr const char* kConfiguredText =
    "Your product has been successfully configured. You may now run your product\nusing your selected options. "
    "If you run into problems you can always re-run this program and change the options\nuntil it runs properly. "
    "Thank you!";

// Vertex processing tried for the test device, best first.
constexpr DWORD kTestBehaviours[] = {
    D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE,
    D3DCREATE_HARDWARE_VERTEXPROCESSING,
    D3DCREATE_MIXED_VERTEXPROCESSING,
    D3DCREATE_SOFTWARE_VERTEXPROCESSING,
};

constexpr D3DFORMAT kDxtFormats[] = {D3DFMT_DXT5, D3DFMT_DXT4, D3DFMT_DXT3, D3DFMT_DXT2, D3DFMT_DXT1};

int AsInt(LONG_PTR value) { return static_cast<int>(value); }

}  // namespace

// The highest DXT format usable as a texture: 5 for DXT5 down to 1 for DXT1, 0 for none.
int ConfigTool::SupportedDxtLevel() const {
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  const ColourFormat* format = SelectedFormat();
  if (!direct3D_ || !format || !SelectedDevice(&adapter, &type)) return 0;
  int level = 5;
  for (D3DFORMAT dxt : kDxtFormats) {
    if (SUCCEEDED(direct3D_->CheckDeviceFormat(adapter, type, format->display, 0, D3DRTYPE_TEXTURE, dxt))) {
      return level;
    }
    --level;
  }
  return 0;
}

void ConfigTool::Save() {
  const ColourFormat* format = SelectedFormat();
  settings_.WriteInt("Adapter", AsInt(model_->SelectedValue(kAdapterList)));
  settings_.WriteInt("Device", AsInt(model_->SelectedValue(kDeviceList)));
  settings_.WriteInt("Format", format ? format->display : D3DFMT_UNKNOWN);
  settings_.WriteInt("BackBuffer", format ? format->backBuffer : D3DFMT_UNKNOWN);
  settings_.WriteInt("UseAA", CheckedAndEnabled(kAntiAliasCheck) ? 1 : 0);
  const AntiAliasEntry* antiAlias = SelectedAntiAlias();
  if (antiAlias && antiAlias->sampleType > 0) {
    settings_.WriteInt("Samples", static_cast<int>(antiAlias->sampleType));
    settings_.WriteInt("Quality1", static_cast<int>(antiAlias->quality1));
    settings_.WriteInt("Quality2", static_cast<int>(antiAlias->quality2));
    settings_.WriteInt("AAIndex", model_->Selection(kAntiAliasList));
  }
  settings_.WriteInt("FullScreen", model_->control(kFullScreenCheck).checked ? 1 : 0);
  settings_.WriteInt("ShowFPS", model_->control(kShowFpsCheck).checked ? 1 : 0);
  settings_.WriteInt("Resolution", AsInt(model_->SelectedValue(kModeList)));
  settings_.WriteInt("ResIndex", model_->Selection(kModeList));
  settings_.WriteInt("FormIndex", model_->Selection(kFormatList));
  settings_.WriteInt("DevIndex", model_->Selection(kDeviceList));
  settings_.WriteInt("AdapIndex", model_->Selection(kAdapterList));
  settings_.WriteString("IsSetup", "1");
  settings_.WriteInt("HasPure", CheckedAndEnabled(kPureDeviceCheck) ? 1 : 0);
  settings_.WriteInt("DXTN", SupportedDxtLevel());
  settings_.WriteInt("Filter", AsInt(model_->SelectedValue(kFilterList)));
  settings_.WriteInt("FiltIndex", model_->Selection(kFilterList));
}

void ConfigTool::OnLaunch() {
  Save();
  std::string program = settings_.ReadString("EXE", "");
  if (program.empty()) {
    prompt_->Ask(kConfiguredText, "Configuration Successful", MB_OK | MB_ICONINFORMATION);
  } else {
    char currentDirectory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof currentDirectory, currentDirectory);
    HINSTANCE result = ShellExecuteA(nullptr, "open", program.c_str(), nullptr, currentDirectory, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
      // The settings are saved; the user has to start the program some other way.
      std::string text = "The settings were saved, but \"" + program + "\" could not be started.";
      prompt_->Ask(text.c_str(), "Launch", MB_OK | MB_ICONERROR);
    }
  }
  model_->closed = true;
}

void ConfigTool::OnExit() {
  int answer = prompt_->Ask("Save changes?", "Changes...", MB_YESNOCANCEL | MB_DEFBUTTON3);
  if (answer == IDCANCEL) return;
  if (answer == IDYES) Save();
  model_->closed = true;
}

bool ConfigTool::BuildTestParameters(HWND window, D3DPRESENT_PARAMETERS* parameters) const {
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  const ColourFormat* format = SelectedFormat();
  if (!direct3D_ || !format || !SelectedDevice(&adapter, &type)) return false;
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferCount = 1;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D16;
  p.SwapEffect = D3DSWAPEFFECT_FLIP;
  p.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
  p.hDeviceWindow = window;
  if (model_->control(kFullScreenCheck).checked) {
    D3DDISPLAYMODE mode{};
    LONG_PTR modeIndex = model_->SelectedValue(kModeList);
    if (modeIndex < 0 ||
        FAILED(direct3D_->EnumAdapterModes(adapter, format->display, static_cast<UINT>(modeIndex), &mode))) {
      return false;
    }
    p.Windowed = FALSE;
    p.BackBufferWidth = mode.Width;
    p.BackBufferHeight = mode.Height;
    p.FullScreen_RefreshRateInHz = mode.RefreshRate;
    p.BackBufferFormat = format->backBuffer;
  } else {
    D3DDISPLAYMODE desktop{};
    if (FAILED(direct3D_->GetAdapterDisplayMode(adapter, &desktop))) return false;
    p.Windowed = TRUE;
    p.BackBufferFormat = desktop.Format;
  }
  const AntiAliasEntry* antiAlias = SelectedAntiAlias();
  if (CheckedAndEnabled(kAntiAliasCheck) && antiAlias) {
    p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(antiAlias->sampleType);
    p.MultiSampleQuality = antiAlias->quality1 - 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  }
  *parameters = p;
  return true;
}

bool ConfigTool::TryCreateDevice(HWND window, const D3DPRESENT_PARAMETERS& parameters) {
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  if (!SelectedDevice(&adapter, &type)) return false;
  for (DWORD behaviour : kTestBehaviours) {
    D3DPRESENT_PARAMETERS attempt = parameters;
    IDirect3DDevice9* device = nullptr;
    if (SUCCEEDED(direct3D_->CreateDevice(adapter, type, window, behaviour, &attempt, &device)) && device) {
      device->Release();
      return true;
    }
  }
  return false;
}

bool ConfigTool::RunDeviceTest() {
  HWND window = CreateWindowExA(0, kTestWindowClass, "Testing Device", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) {
    prompt_->Ask("Failed to create a test window.", "Device Test", MB_OK | MB_ICONERROR);
    return false;
  }
  D3DPRESENT_PARAMETERS parameters{};
  bool created = BuildTestParameters(window, &parameters) && TryCreateDevice(window, parameters);
  DestroyWindow(window);
  return created;
}

void ConfigTool::OnTest() {
  model_->control(kTestButton).enabled = false;
  bool created = RunDeviceTest();
  direct3D_.reset(createDirect3D_());
  if (!direct3D_) prompt_->Ask("Could not recreate Direct3D interface.", "Uh-oh!", MB_OK | MB_ICONERROR);
  if (created) {
    prompt_->Ask("Successfully created and released the device.", "Test Device Success.", MB_OK | MB_ICONINFORMATION);
  } else {
    prompt_->Ask("Failed to create a device. Check the settings and try again.", "Test Device Failed!.",
                 MB_OK | MB_ICONERROR);
  }
  model_->control(kTestButton).enabled = true;
}

}  // namespace aruconfig
