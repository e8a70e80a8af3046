// Everything between the engine and Direct3D 9: reading the display settings, the window, the
// presentation parameters, device creation, recovery from a lost device, the Alt+Enter switch,
// the mouse centre point and reading text from the clipboard.
#include "core/aru.h"

#include <cmath>
#include <exception>

#include "core/ini_file.h"

namespace {
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU;
}  // namespace

HWND ARU::MakeD3DWindow(WNDPROC wndProc, HINSTANCE moduleInstance, const char* title, bool full) {
  BeginList("MakeD3DWindow()");
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = wndProc;
  windowClass.hInstance = moduleInstance;
  windowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(iconResource));
  windowClass.hCursor = LoadCursorA(moduleInstance, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "ARUMainWindow";
  Value("Window Caption ", title);
  if (RegisterClassExA(&windowClass) != 0) {
    Value("Successfully registered the class ", windowClass.lpszClassName);
  } else {
    Value("<font color=\"red\">Failed</font> to register class ", windowClass.lpszClassName);
  }
  HWND created = CreateWindowA("ARUMainWindow", title, full ? 0 : kWindowedStyle, 0, 0, kWindowWidth,
                               kWindowHeight, NULL, NULL, moduleInstance, NULL);
  if (created == nullptr) {
    Line("<font color=\"red\">Failed to CreateWindow().</font>");
    EndList();
    return nullptr;
  }
  Value("Created window successfully with handle ", static_cast<const void*>(created));
  UpdateWindow(created);
  ShowCursor(FALSE);
  EndList();
  return created;
}

static void CentreWindow(HWND window) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MoveWindow(window, (screenW - width) / 2, (screenH - height) / 2, width, height, TRUE);
  ShowWindow(window, SW_SHOW);
}

void ARU::ReadDisplaySettings() {
  adapter = config->ReadInt("ARU", "Adapter", 0);
  deviceType = config->ReadInt("ARU", "Device", 1);
  displayFormat = config->ReadInt("ARU", "Format", 0);
  backBufferFormat = config->ReadInt("ARU", "BackBuffer", 0);
  fullScreen = config->ReadBool("ARU", "FullScreen", false);
  resolution = config->ReadInt("ARU", "Resolution", -1);
  hasPure = config->ReadBool("ARU", "HasPure", false);
  useAA = config->ReadBool("ARU", "UseAA", false);
  samples = config->ReadInt("ARU", "Samples", 0);
  quality1 = config->ReadInt("ARU", "Quality1", 0);
  showFPS = config->ReadBool("ARU", "ShowFPS", false);
  textureFilter = config->ReadInt("ARU", "Filter", 0);
}

HRESULT ARU::InitDirectX(WNDPROC wndProc, HINSTANCE moduleInstance, const char* title) {
  BeginList("DirectX Initialization");
  ReadDisplaySettings();
  instance = moduleInstance;
  is32Bit = displayFormat != D3DFMT_R5G6B5 && displayFormat != D3DFMT_X1R5G5B5;
  Value("32-Bit Format: ", is32Bit);

  if (window == nullptr) {
    window = MakeD3DWindow(wndProc, moduleInstance, title, fullScreen);
    if (window == nullptr) {
      Line("Failed to create a suitable DirectX window.");
      EndList();
      return E_FAIL;
    }
    CentreWindow(window);
  } else {
    Line("Skipping creating the window.");
  }

  direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (direct3D == nullptr) {
    Line("Failed creating DirectX Interface.");
    EndList();
    return E_FAIL;
  }
  caps = D3DCAPS9{};
  if (SUCCEEDED(direct3D->GetDeviceCaps(adapter, static_cast<D3DDEVTYPE>(deviceType), &caps))) {
    Line("Retrieved caps.");
  } else {
    Line("Failed getting caps.");
  }

  D3DPRESENT_PARAMETERS parameters = BuildPresentParams(true);
  Value("Creating a device on window ", static_cast<const void*>(window));
  DWORD behaviour = caps.VertexProcessingCaps != 0 ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                    : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  if (hasPure) behaviour |= D3DCREATE_PUREDEVICE;
  if (FAILED(direct3D->CreateDevice(adapter, static_cast<D3DDEVTYPE>(deviceType), window, behaviour,
                                    &parameters, &device))) {
    Line("<font color=\"red\">Device creation failed!</font>");
    runState = 2;
    EndList();
    ReleaseDirect3D();
    return E_FAIL;
  }
  Line("<b>Created a device!</b>");

  try {
    AttachDevice(device);
    SetFilters(textureFilter, 2);
    if (FAILED(SetDefaultRenderStates())) {
      EndList();
      return E_FAIL;
    }
    SetWindow(instance, window);
    Create();
    aruCamera::Initialize(this);
    SetView(0, 0, -1, 0, 0, 0, 0, 1, 0, 1.0f, 1000.0f, 0.785398f, 1.25f);
    Update();
    EndList();
    return 0;
  } catch (...) {
    Line("Exeception caught creating texture pool, Camera or DInput interface.");
    EndList();
    ReleaseDirect3D();
    return E_FAIL;
  }
}

void ARU::ReleaseDirect3D() {
  if (device != nullptr) device->Release();
  device = nullptr;
  if (direct3D != nullptr) direct3D->Release();
  direct3D = nullptr;
}

D3DPRESENT_PARAMETERS ARU::BuildPresentParams(bool log) {
  D3DPRESENT_PARAMETERS parameters{};
  D3DDISPLAYMODE desktop{};
  direct3D->GetAdapterDisplayMode(adapter, &desktop);
  if (resolution == -1) {
    resolution = static_cast<int32_t>(direct3D->GetAdapterModeCount(adapter, static_cast<D3DFORMAT>(displayFormat))) - 1;
  }
  D3DDISPLAYMODE mode{};
  direct3D->EnumAdapterModes(adapter, static_cast<D3DFORMAT>(displayFormat), resolution, &mode);

  parameters.BackBufferCount = 1;
  parameters.MultiSampleType = useAA ? static_cast<D3DMULTISAMPLE_TYPE>(samples) : D3DMULTISAMPLE_NONE;
  parameters.MultiSampleQuality = useAA ? static_cast<DWORD>(quality1 - 1) : 0;
  parameters.hDeviceWindow = window;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.PresentationInterval = immediatePresent ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_DEFAULT;
  if (fullScreen) {
    parameters.BackBufferWidth = mode.Width;
    parameters.BackBufferHeight = mode.Height;
    parameters.BackBufferFormat = static_cast<D3DFORMAT>(backBufferFormat);
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = FALSE;
    parameters.FullScreen_RefreshRateInHz = mode.RefreshRate;
    screenWidth = static_cast<float>(mode.Width);
    screenHeight = static_cast<float>(mode.Height);
    centreX = screenWidth * 0.5f;
    centreY = screenHeight * 0.5f;
  } else {
    parameters.BackBufferWidth = desktop.Width;
    parameters.BackBufferHeight = desktop.Height;
    parameters.BackBufferFormat = desktop.Format;
    parameters.SwapEffect = useAA ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_FLIP;
    parameters.Windowed = TRUE;
    screenWidth = static_cast<float>(desktop.Width);
    screenHeight = static_cast<float>(desktop.Height);
    UpdateCentre();
  }
  if (log) LogPresentParams(parameters);
  return parameters;
}

void ARU::LogPresentParams(const D3DPRESENT_PARAMETERS& parameters) {
  BeginList("Presentation Parameters");
  Value("Window: ", static_cast<const void*>(parameters.hDeviceWindow));
  Value("Windowed: ", parameters.Windowed != FALSE);
  Value("SwapEffect: ", static_cast<uint32_t>(parameters.SwapEffect));
  Value("EnableAutoDepthStencil: ", parameters.EnableAutoDepthStencil != FALSE);
  Value("AutoDepthStencilFormat: ", static_cast<uint32_t>(parameters.AutoDepthStencilFormat));
  Value("BackBufferFormat: ", static_cast<uint32_t>(parameters.BackBufferFormat));
  Value("BackBufferCount: ", static_cast<uint32_t>(parameters.BackBufferCount));
  Value("BackBufferWidth: ", static_cast<uint32_t>(parameters.BackBufferWidth));
  Value("BackBufferHeight: ", static_cast<uint32_t>(parameters.BackBufferHeight));
  Value("FullScreen_RefreshRateInHz: ", static_cast<uint32_t>(parameters.FullScreen_RefreshRateInHz));
  Value("PresentationInterval: ", static_cast<uint32_t>(parameters.PresentationInterval));
  if (useAA) {
    Value("MultiSampleType: ", static_cast<uint32_t>(parameters.MultiSampleType));
    Value("MultiSampleQuality: ", quality1);
  } else {
    Line("No anti-aliasing.");
  }
  EndList();
}

void ARU::UpdateCentre() {
  RECT rect{};
  if (window != nullptr && GetWindowRect(window, &rect)) {
    centreX = static_cast<float>(rect.left) + static_cast<float>(rect.right - rect.left) * 0.5f;
    centreY = static_cast<float>(rect.top) + static_cast<float>(rect.bottom - rect.top) * 0.5f;
  } else {
    centreX = screenWidth * 0.5f;
    centreY = screenHeight * 0.5f;
  }
}

HRESULT ARU::RecaptureCaps() {
  caps = D3DCAPS9{};
  return direct3D->GetDeviceCaps(adapter, static_cast<D3DDEVTYPE>(deviceType), &caps);
}

HRESULT ARU::ResetDevice() {
  if (FAILED(InvalidateObjects())) return E_FAIL;
  D3DPRESENT_PARAMETERS parameters = BuildPresentParams(false);
  const HRESULT result = device->Reset(&parameters);
  if (result == D3DERR_DEVICELOST || result == D3DERR_DEVICENOTRESET) return 0;
  if (result == 0) {
    RecaptureCaps();
    return FAILED(RestoreObjects()) ? E_FAIL : 0;
  }
  if (Direct3DResult(result)) {
    Line("<font color=\"red\">Failed to reset the device!</font>");
    runState = 2;
  }
  return E_FAIL;
}

void ARU::ToggleFullScreen() {
  fullScreen = !fullScreen;
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, kWindowWidth, kWindowHeight, SWP_NOMOVE);
  D3DPRESENT_PARAMETERS parameters = BuildPresentParams(false);
  device->Reset(&parameters);
  if (!fullScreen) {
    SetWindowLongA(window, GWL_STYLE, WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    const int x = -320 - static_cast<int>(std::trunc(screenWidth * -0.5f));
    const int y = -240 - static_cast<int>(std::trunc(screenHeight * -0.5f));
    SetWindowPos(window, HWND_NOTOPMOST, x, y, kWindowWidth, kWindowHeight, 0);
  } else {
    SetWindowLongA(window, GWL_STYLE, WS_VISIBLE);
  }
  ShowCursor(FALSE);
  SetFocus(window);
}

std::string ARU::GetClipboardText() {
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(window)) return std::string();
  std::string text;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data != nullptr) {
    const char* locked = static_cast<const char*>(GlobalLock(data));
    if (locked != nullptr) {
      text = locked;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
