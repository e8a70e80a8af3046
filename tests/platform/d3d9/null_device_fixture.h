// A null Direct3D device for tests: a windowed 640x480 X8R8G8B8 device with a D16 depth buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "d3d9.h"
#include "d3d9_test.h"

class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    params = WindowedParameters(640, 480);
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, FakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device),
              D3D_OK);
  }

  void TearDown() override {
    if (device) {
      EXPECT_EQ(device->Release(), 0u);
    }
    if (d3d) {
      EXPECT_EQ(d3d->Release(), 0u);
    }
  }

 public:
  static HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10)); }

  static D3DPRESENT_PARAMETERS WindowedParameters(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = FakeWindow();
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    return p;
  }

 protected:
  platform::NullDeviceCounters Counters() {
    platform::NullDeviceCounters counters;
    EXPECT_TRUE(platform::NullDeviceGetCounters(device, &counters));
    return counters;
  }

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  D3DPRESENT_PARAMETERS params{};
};
