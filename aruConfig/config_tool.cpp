// Start-up, list filling and the reactions to the user's choices in the configuration dialog.
#include "config_tool.h"

#include <algorithm>
#include <cstdio>

#include "capability_report.h"

namespace aruconfig {

namespace {

constexpr D3DFORMAT kDepthFormat = D3DFMT_D16;

}  // namespace

IDirect3D9* CreateSystemDirect3D() { return Direct3DCreate9(kDirect3DVersion); }

ConfigTool::ConfigTool(DialogModel* model, Prompt* prompt, Direct3DFactory createDirect3D, std::string settingsPath)
    : model_(model), prompt_(prompt), createDirect3D_(std::move(createDirect3D)), settings_(std::move(settingsPath)) {
  InitialiseControls();
}

ConfigTool::~ConfigTool() {
  direct3D_.reset();
  if (testClassRegistered_) UnregisterClassA(kTestWindowClass, GetModuleHandleA(nullptr));
}

void ConfigTool::InitialiseControls() {
  struct InitialText {
    int id;
    const char* text;
  };
  static constexpr InitialText kTexts[] = {
      {kLaunchButton, "Launch"},       {kExitButton, "Exit"},
      {kFullScreenCheck, "Full Screen"}, {kAntiAliasCheck, "Anti-Alias:"},
      {kShowFpsCheck, "Show FPS"},     {kStatusText, "Detecting DirectX Version, Please Wait..."},
      {kDeviceLabel, "Device:"},       {kFilterLabel, "Texture Filter:"},
      {kTestButton, "Test"},           {kPureDeviceCheck, "Pure Device"},
  };
  for (const InitialText& initial : kTexts) model_->control(initial.id).text = initial.text;
  model_->control(kTestButton).visible = false;
  model_->control(kPureDeviceCheck).enabled = false;
}

bool ConfigTool::Start() {
  model_->control(kStatusText).text = kBanner;
  RegisterTestClass();
  direct3D_.reset(createDirect3D_());
  if (!direct3D_) {
    prompt_->Ask("Failed to create a Direct3D Interface. Please try again later.", "Major Error", MB_OK | MB_ICONERROR);
    model_->closed = true;
    return false;
  }
  model_->control(kTestButton).visible = settings_.ReadBool("Test", false);
  model_->control(kFullScreenCheck).checked = settings_.ReadBool("FullScreen", true);

  FillAdapters();
  model_->Select(kAdapterList, 0);
  FillDevices();
  model_->Select(kDeviceList, 0);
  FillFormatsModesAndReport();
  FillFilters();

  model_->control(kLaunchButton).enabled = launchFlag_;
  model_->control(kPureDeviceCheck).enabled = pureDeviceFlag_;
  RestoreSelections();
  FillAntiAlias();
  return true;
}

void ConfigTool::RegisterTestClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kTestWindowClass;
  testClassRegistered_ = RegisterClassExA(&windowClass) != 0;
  if (!testClassRegistered_) {
    prompt_->Ask("Failed to register class!\nDevice testing will be inoperable.", "Device Test", MB_OK | MB_ICONERROR);
    model_->control(kTestButton).enabled = false;
  }
}

// A saved index beyond the end of its list keeps the current choice rather than leaving the
// list without a selection, which would save -1 as the adapter or device.
void ConfigTool::RestoreSelection(int listId, const char* key) {
  int index = settings_.ReadInt(key, 0);
  if (index >= 0 && static_cast<size_t>(index) < model_->Items(listId).size()) model_->Select(listId, index);
}

void ConfigTool::RestoreSelections() {
  RestoreSelection(kFormatList, "FormIndex");
  RestoreSelection(kAdapterList, "AdapIndex");
  RestoreSelection(kDeviceList, "DevIndex");
  RestoreSelection(kFilterList, "FiltIndex");
  RestoreSelection(kModeList, "ResIndex");
  model_->control(kShowFpsCheck).checked = settings_.ReadBool("ShowFPS", false);
  model_->control(kPureDeviceCheck).checked = settings_.ReadBool("HasPure", false);
  model_->control(kAntiAliasCheck).checked = settings_.ReadBool("UseAA", false);
}

bool ConfigTool::AddListItem(int listId, std::string text, LONG_PTR value) {
  switch (model_->AddItem(listId, std::move(text), value)) {
    case AddItemResult::Added: return true;
    case AddItemResult::OutOfSpace:
      prompt_->Ask("Out of space to set combo item.", "Error.", MB_OK | MB_ICONERROR);
      return false;
    case AddItemResult::Failed: break;
  }
  prompt_->Ask("Failed to set the combo item.", "Oh Crap!", MB_OK | MB_ICONERROR);
  return false;
}

void ConfigTool::FillAdapters() {
  model_->ClearList(kAdapterList);
  if (!direct3D_) return;
  UINT count = direct3D_->GetAdapterCount();
  for (UINT adapter = 0; adapter < count; ++adapter) {
    D3DADAPTER_IDENTIFIER9 identifier{};
    if (FAILED(direct3D_->GetAdapterIdentifier(adapter, 0, &identifier))) continue;
    if (!AddListItem(kAdapterList, identifier.Description, adapter)) return;
  }
}

void ConfigTool::FillDevices() {
  model_->ClearList(kDeviceList);
  UINT adapter = 0;
  if (!direct3D_ || !SelectedAdapter(&adapter)) return;
  for (const DeviceTypeChoice& device : kDeviceTypes) {
    D3DCAPS9 caps{};
    if (FAILED(direct3D_->GetDeviceCaps(adapter, device.type, &caps))) continue;
    if (!AddListItem(kDeviceList, device.label, device.type)) return;
  }
}

void ConfigTool::FillFormats() {
  model_->ClearList(kFormatList);
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  if (!direct3D_ || !SelectedDevice(&adapter, &type)) return;
  for (size_t row = 0; row < kColourFormats.size(); ++row) {
    const ColourFormat& format = kColourFormats[row];
    if (FAILED(direct3D_->CheckDeviceType(adapter, type, format.display, format.backBuffer, Windowed()))) continue;
    if (!AddListItem(kFormatList, format.label, static_cast<LONG_PTR>(row))) return;
  }
}

void ConfigTool::FillModes() {
  model_->ClearList(kModeList);
  UINT adapter = 0;
  const ColourFormat* format = SelectedFormat();
  if (!direct3D_ || !format || !SelectedAdapter(&adapter)) return;
  UINT count = direct3D_->GetAdapterModeCount(adapter, format->display);
  for (UINT index = 0; index < count; ++index) {
    D3DDISPLAYMODE mode{};
    if (FAILED(direct3D_->EnumAdapterModes(adapter, format->display, index, &mode))) continue;
    if (mode.Format != format->display || !IsOfferedModeSize(mode.Width, mode.Height)) continue;
    if (!AddListItem(kModeList, ModeLabel(mode), index)) return;
  }
}

void ConfigTool::FillFilters() {
  model_->ClearList(kFilterList);
  for (const FilterChoice& filter : kFilters) {
    if (!AddListItem(kFilterList, filter.label, filter.value)) break;
  }
  model_->Select(kFilterList, 0);
}

void ConfigTool::FillReport() {
  requirementsFlag_ = true;
  pureDeviceFlag_ = false;
  model_->report.clear();
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  D3DCAPS9 caps{};
  bool haveDevice = direct3D_ && SelectedDevice(&adapter, &type);
  char debugLine[64];
  std::snprintf(debugLine, sizeof debugLine, "Adapter: %d\nDevice Type: %d", haveDevice ? static_cast<int>(adapter) : -1,
                haveDevice ? static_cast<int>(type) : -1);
  OutputDebugStringA(debugLine);
  if (!haveDevice || FAILED(direct3D_->GetDeviceCaps(adapter, type, &caps))) {
    // Without caps nothing can be promised about the device.
    model_->report.push_back("The device's capabilities could not be read.");
    requirementsFlag_ = false;
    return;
  }
  CapabilityReport report = BuildCapabilityReport(caps);
  model_->report = std::move(report.lines);
  requirementsFlag_ = report.meetsRequirements;
  pureDeviceFlag_ = report.pureDevice;
}

// Multisample types 2 to 16 get the entry (q, q, type) labelled "<type> Samples", where q is
// the number of quality levels both the depth and the back-buffer format offer: the game then
// asks for exactly that sample count at the highest quality both surfaces support.
void ConfigTool::FillAntiAlias() {
  antiAliasTable_.clear();
  model_->ClearList(kAntiAliasList);
  bool available = false;
  UINT adapter = 0;
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  const ColourFormat* format = SelectedFormat();
  if (direct3D_ && format && SelectedDevice(&adapter, &type)) {
    auto levels = [&](D3DMULTISAMPLE_TYPE samples, DWORD* common) {
      DWORD depthLevels = 0, colourLevels = 0;
      bool supported =
          SUCCEEDED(direct3D_->CheckDeviceMultiSampleType(adapter, type, kDepthFormat, Windowed(), samples,
                                                          &depthLevels)) &&
          SUCCEEDED(direct3D_->CheckDeviceMultiSampleType(adapter, type, format->backBuffer, Windowed(), samples,
                                                          &colourLevels));
      *common = std::min(depthLevels, colourLevels);
      return supported;
    };
    DWORD common = 0;
    if (levels(D3DMULTISAMPLE_NONMASKABLE, &common)) {
      available = true;
      for (DWORD level = 1; level <= common; ++level) AddAntiAliasEntry({level, level, 1}, NonMaskingLabel(level));
    }
    for (DWORD samples = 2; samples <= 16; ++samples) {
      if (!levels(static_cast<D3DMULTISAMPLE_TYPE>(samples), &common)) continue;
      available = true;
      if (common > 0) AddAntiAliasEntry({common, common, samples}, SamplesLabel(samples));
    }
  }
  int saved = settings_.ReadInt("AAIndex", 0);
  if (!model_->Select(kAntiAliasList, saved)) model_->Select(kAntiAliasList, 0);
  model_->control(kAntiAliasCheck).enabled = available;
  model_->control(kAntiAliasList).enabled = available;
}

void ConfigTool::AddAntiAliasEntry(const AntiAliasEntry& entry, const std::string& label) {
  if (AddListItem(kAntiAliasList, label, static_cast<LONG_PTR>(antiAliasTable_.size()))) {
    antiAliasTable_.push_back(entry);
  }
}

void ConfigTool::FillFormatsModesAndReport() {
  FillFormats();
  model_->Select(kFormatList, 0);
  FillModes();
  model_->Select(kModeList, 0);
  FillReport();
}

void ConfigTool::UpdateLaunch() {
  launchFlag_ = launchFlag_ && requirementsFlag_;
  model_->control(kLaunchButton).enabled = launchFlag_;
}

void ConfigTool::UpdatePureDevice() { model_->control(kPureDeviceCheck).enabled = pureDeviceFlag_; }

void ConfigTool::OnListChanged(int listId, int index) {
  switch (listId) {
    case kAdapterList: OnAdapterChanged(index); break;
    case kDeviceList: OnDeviceChanged(index); break;
    case kFormatList: OnFormatChanged(index); break;
    case kModeList:
      model_->Select(kModeList, index);
      FillAntiAlias();
      FillFilters();
      break;
    default: model_->Select(listId, index); break;
  }
}

void ConfigTool::OnAdapterChanged(int index) {
  model_->Select(kAdapterList, index);
  FillDevices();
  model_->Select(kDeviceList, 0);
  FillFormatsModesAndReport();
  FillAntiAlias();
  UpdateLaunch();
  UpdatePureDevice();
  FillFilters();
}

void ConfigTool::OnDeviceChanged(int index) {
  model_->Select(kDeviceList, index);
  FillFormatsModesAndReport();
  FillAntiAlias();
  UpdateLaunch();
  UpdatePureDevice();
  FillFilters();
}

void ConfigTool::OnFormatChanged(int index) {
  model_->Select(kFormatList, index);
  std::string modeText = model_->SelectedText(kModeList);
  FillModes();
  model_->Select(kModeList, model_->FindText(kModeList, modeText));
  FillAntiAlias();
  UpdateLaunch();
  UpdatePureDevice();
  FillFilters();
}

void ConfigTool::OnFullScreenClicked(bool checked) {
  model_->control(kFullScreenCheck).checked = checked;
  FillDevices();
  model_->Select(kDeviceList, 0);
  FillFormatsModesAndReport();
  UpdateLaunch();
  FillAntiAlias();
  UpdatePureDevice();
}

void ConfigTool::OnCheckChanged(int checkId, bool checked) {
  if (checkId == kFullScreenCheck) {
    OnFullScreenClicked(checked);
  } else {
    model_->control(checkId).checked = checked;
  }
}

void ConfigTool::OnButton(int buttonId) {
  switch (buttonId) {
    case kTestButton: OnTest(); break;
    case kLaunchButton: OnLaunch(); break;
    case kExitButton: OnExit(); break;
    default: break;
  }
}

void ConfigTool::OnClose() { model_->closed = true; }

bool ConfigTool::SelectedAdapter(UINT* adapter) const {
  LONG_PTR value = model_->SelectedValue(kAdapterList);
  if (value < 0) return false;
  *adapter = static_cast<UINT>(value);
  return true;
}

bool ConfigTool::SelectedDevice(UINT* adapter, D3DDEVTYPE* type) const {
  LONG_PTR value = model_->SelectedValue(kDeviceList);
  if (value < 0 || !SelectedAdapter(adapter)) return false;
  *type = static_cast<D3DDEVTYPE>(value);
  return true;
}

const ColourFormat* ConfigTool::SelectedFormat() const {
  LONG_PTR row = model_->SelectedValue(kFormatList);
  if (row < 0 || static_cast<size_t>(row) >= kColourFormats.size()) return nullptr;
  return &kColourFormats[row];
}

const AntiAliasEntry* ConfigTool::SelectedAntiAlias() const {
  LONG_PTR index = model_->SelectedValue(kAntiAliasList);
  if (index < 0 || static_cast<size_t>(index) >= antiAliasTable_.size()) return nullptr;
  return &antiAliasTable_[index];
}

bool ConfigTool::CheckedAndEnabled(int checkId) const {
  const ControlState& state = model_->control(checkId);
  return state.checked && state.enabled;
}

BOOL ConfigTool::Windowed() const { return model_->control(kFullScreenCheck).checked ? FALSE : TRUE; }

}  // namespace aruconfig
