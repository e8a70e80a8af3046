// The null back end's Direct3D object: back-end choice, adapter modes, format and multisample
// checks, caps and the validation of CreateDevice.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "null_device_fixture.h"

namespace {

class NullDirect3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
  }
  void TearDown() override { EXPECT_EQ(d3d->Release(), 0u); }
  IDirect3D9* d3d = nullptr;
};

TEST(Direct3DCreate9, RefusesOtherSdkVersionsAndUnknownBackEnds) {
  setenv("ARU_VIDEO", "null", 1);
  EXPECT_EQ(Direct3DCreate9(32), nullptr);
  setenv("ARU_VIDEO", "vulkan", 1);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
  setenv("ARU_VIDEO", "null", 1);
}

TEST_F(NullDirect3DTest, ListsTheStandardModesForBothDisplayFormats) {
  ASSERT_EQ(d3d->GetAdapterCount(), 1u);
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
    std::set<std::pair<UINT, UINT>> sizes;
    UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format);
    for (UINT i = 0; i < count; ++i) {
      D3DDISPLAYMODE mode{};
      ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode), D3D_OK);
      EXPECT_EQ(mode.Format, format);
      sizes.insert({mode.Width, mode.Height});
    }
    for (auto size : {std::pair<UINT, UINT>{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}}) {
      EXPECT_TRUE(sizes.count(size)) << size.first << "x" << size.second;
    }
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, count, &mode), D3DERR_INVALIDCALL);
  }
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X1R5G5B5), 0u);
  EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X1R5G5B5, 0, &mode), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 0u);
}

TEST_F(NullDirect3DTest, DesktopModeIs1280x1024X8R8G8B8) {
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
  EXPECT_EQ(desktop.Width, 1280u);
  EXPECT_EQ(desktop.Height, 1024u);
  EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d->GetAdapterDisplayMode(3, &desktop), D3DERR_INVALIDCALL);
  D3DADAPTER_IDENTIFIER9 identifier{};
  ASSERT_EQ(d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier), D3D_OK);
  EXPECT_STRNE(identifier.Description, "");
}

TEST_F(NullDirect3DTest, CheckDeviceTypeFollowsTheConfigurationToolsColourTable) {
  const UINT a = D3DADAPTER_DEFAULT;
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(a, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(5, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3DERR_INVALIDCALL);
}

TEST_F(NullDirect3DTest, MultisampleTypesUpToFourSamples) {
  const UINT a = D3DADAPTER_DEFAULT;
  DWORD levels = 0;
  EXPECT_EQ(d3d->CheckDeviceMultiSampleType(a, D3DDEVTYPE_HAL, D3DFMT_D16, TRUE, D3DMULTISAMPLE_NONMASKABLE, &levels),
            D3D_OK);
  EXPECT_EQ(levels, 2u);  // 2 and 4 samples
  for (auto type : {D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES}) {
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, type, &levels), D3D_OK);
    EXPECT_EQ(levels, 1u);
  }
  for (auto type : {D3DMULTISAMPLE_3_SAMPLES, D3DMULTISAMPLE_8_SAMPLES, D3DMULTISAMPLE_16_SAMPLES}) {
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, type, nullptr),
              D3DERR_NOTAVAILABLE);
  }
}

TEST_F(NullDirect3DTest, CapsDescribeAHardwareFixedFunctionDevice) {
  D3DCAPS9 caps{};
  ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_NE(caps.VertexProcessingCaps, 0u);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_GE(caps.MaxTextureWidth, 2048u);
  EXPECT_FALSE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE2X);
  EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
  EXPECT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
}

TEST_F(NullDirect3DTest, CreateDeviceChecksBehaviourFlagsAndModes) {
  IDirect3DDevice9* device = nullptr;
  D3DPRESENT_PARAMETERS p = NullDeviceTest::WindowedParameters(640, 480);
  HWND window = NullDeviceTest::FakeWindow();
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &p, &device), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window,
                              D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, &p, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);

  D3DPRESENT_PARAMETERS full = p;
  full.Windowed = FALSE;
  full.BackBufferWidth = 1000;
  full.BackBufferHeight = 700;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &full, &device),
            D3DERR_INVALIDCALL);
  full.BackBufferWidth = 800;
  full.BackBufferHeight = 600;
  full.FullScreen_RefreshRateInHz = 60;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE,
                              &full, &device),
            D3D_OK);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 800u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(NullDirect3DTest, WindowedDeviceOfSizeZeroTakesTheDesktopSize) {
  IDirect3DDevice9* device = nullptr;
  D3DPRESENT_PARAMETERS p = NullDeviceTest::WindowedParameters(0, 0);
  p.BackBufferFormat = D3DFMT_UNKNOWN;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, NullDeviceTest::FakeWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                              &p, &device),
            D3D_OK);
  EXPECT_EQ(p.BackBufferWidth, 1280u);
  EXPECT_EQ(p.BackBufferHeight, 1024u);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 1280u);
  IDirect3D9* parent = nullptr;
  ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
  EXPECT_EQ(parent, d3d);
  parent->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(NullDirect3DTest, CheckDeviceFormatKnowsTexturesDepthBuffersAndRenderTargets) {
  const UINT a = D3DADAPTER_DEFAULT;
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5}) {
    EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, format), D3D_OK);
  }
  EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_VOLUMETEXTURE, D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                   D3DFMT_D16),
            D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                   D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceFormat(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                   D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);  // textures cannot be rendered to
  EXPECT_EQ(d3d->CheckDepthStencilMatch(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
  EXPECT_EQ(d3d->CheckDepthStencilMatch(a, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5),
            D3DERR_NOTAVAILABLE);
}

TEST_F(NullDirect3DTest, QueryInterfaceAnswersOnlyForTheObjectsInterfaces) {
  IUnknown* unknown = nullptr;
  ASSERT_EQ(d3d->QueryInterface(IID_IDirect3D9, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(d3d));
  unknown->Release();
  void* none = &none;
  EXPECT_EQ(d3d->QueryInterface(IID_IDirect3DDevice9, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
