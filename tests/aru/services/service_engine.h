// An engine object for the drawing services' tests: a null Direct3D device of a chosen back-buffer
// size, attached to the texture pool and camera as start-up does, with the null device's draw
// counters at hand. No window, log, configuration or sound.
#pragma once

#include <gtest/gtest.h>

#include <d3d9.h>
#include <d3d9_test.h>

#include <cstdint>

#include "core/aru.h"
#include "support/windowed_present.h"

namespace testing_support {

class ServiceEngine : public ARU {
 public:
  ServiceEngine(uint32_t width = 1280, uint32_t height = 1024) {
    window = CreateTestWindow();
    direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (window == nullptr || direct3D == nullptr) return;
    D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(width, height, window);
    if (FAILED(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &parameters, &device))) {
      device = nullptr;
      return;
    }
    backBufferFormat = D3DFMT_X8R8G8B8;
    screenWidth = static_cast<float>(width);
    screenHeight = static_cast<float>(height);
    AttachDevice(device);
    SetFilters(D3DX_FILTER_LINEAR, D3DX_FILTER_POINT);
    aruCamera::Initialize(this);
    device->BeginScene();  // draws count only inside a scene
  }

  // Textures and the device go before the window they were created for.
  ~ServiceEngine() {
    if (device != nullptr) device->EndScene();
    aruTexPool::Clear();
    if (device != nullptr) device->Release();
    device = nullptr;
    if (direct3D != nullptr) direct3D->Release();
    direct3D = nullptr;
    if (window != nullptr) DestroyWindow(window);
    window = nullptr;
  }

  HRESULT GameInitialize() override { return 0; }

  // The format the engine's settings name for the back buffer (the screenshot's surface format).
  void SetBackBufferFormat(D3DFORMAT format) { backBufferFormat = format; }

  platform::NullDeviceCounters Counters() {
    platform::NullDeviceCounters counters;
    EXPECT_TRUE(platform::NullDeviceGetCounters(device, &counters));
    return counters;
  }

  // The texture bound to a stage, without keeping a reference.
  IDirect3DBaseTexture9* BoundTexture(DWORD stage) {
    IDirect3DBaseTexture9* texture = nullptr;
    device->GetTexture(stage, &texture);
    if (texture != nullptr) texture->Release();
    return texture;
  }

  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    device->GetRenderState(state, &value);
    return value;
  }

  // Ends the open scene, presents it and opens the next one.
  HRESULT PresentScene() {
    device->EndScene();
    const HRESULT presented = device->Present(nullptr, nullptr, nullptr, nullptr);
    device->BeginScene();
    return presented;
  }

  static HWND CreateTestWindow() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "ServiceTestWindow";
    RegisterClassExA(&windowClass);  // fails harmlessly when an earlier test registered it
    return CreateWindowA("ServiceTestWindow", "Service Test", WS_CAPTION | WS_SYSMENU, 0, 0, 640, 480, nullptr,
                         nullptr, nullptr, nullptr);
  }

  D3DMATRIX Transform(D3DTRANSFORMSTATETYPE state) {
    D3DMATRIX matrix{};
    device->GetTransform(state, &matrix);
    return matrix;
  }
};

}  // namespace testing_support

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/screenshot.h"

namespace testing_support {

// Makes `folder` the current directory for the life of the object.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& folder)
      : previous(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedCurrentDirectory() { std::filesystem::current_path(previous); }

 private:
  std::filesystem::path previous;
};

// Writes a 24-bit bitmap of one colour (0xRRGGBB), the simplest image file the loader reads.
inline void WriteSolidBitmap(const std::string& path, int32_t width, int32_t height, uint32_t rgb) {
  std::vector<uint8_t> bytes(kBitmapHeaderSize + static_cast<size_t>(width) * height * 3);
  WriteBitmapHeader(bytes.data(), width, height);
  for (size_t i = kBitmapHeaderSize; i + 2 < bytes.size(); i += 3) {
    bytes[i] = static_cast<uint8_t>(rgb);
    bytes[i + 1] = static_cast<uint8_t>(rgb >> 8);
    bytes[i + 2] = static_cast<uint8_t>(rgb >> 16);
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
