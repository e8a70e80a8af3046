// Frames on the null device: scene brackets, clears, draw-call checks, reading the picture back,
// and the lost / not-reset / reset cycle with the rule that default-pool resources block Reset.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "null_device_fixture.h"

namespace {

struct Vertex {  // FVF 0x152
  float x, y, z, nx, ny, nz;
  D3DCOLOR colour;
  float u, v;
};

class NullFrameTest : public NullDeviceTest {
 protected:
  IDirect3DVertexBuffer9* MakeQuad() {
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(4 * sizeof(Vertex), 0, 0x152, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    Vertex quad[4] = {{0, 0, 0, 0, 0, -1, 0xFFFFFFFF, 0, 1}, {0, 1, 0, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                      {1, 0, 0, 0, 0, -1, 0xFFFFFFFF, 1, 1}, {1, 1, 0, 0, 0, -1, 0xFFFFFFFF, 1, 0}};
    std::memcpy(data, quad, sizeof quad);
    buffer->Unlock();
    return buffer;
  }

  HRESULT ResetToSixteenBitFullScreen() {
    D3DPRESENT_PARAMETERS p = WindowedParameters(0, 0);
    p.Windowed = FALSE;
    p.BackBufferWidth = 640;
    p.BackBufferHeight = 480;
    p.BackBufferFormat = D3DFMT_R5G6B5;
    return device->Reset(&p);
  }

  IDirect3DSurface9* MakeScratch(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool = D3DPOOL_SCRATCH) {
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(device->CreateOffscreenPlainSurface(width, height, format, pool, &surface, nullptr), D3D_OK);
    return surface;
  }
};

TEST_F(NullFrameTest, SceneBracketsDoNotNest) {
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Counters().presents, 1u);
}

TEST_F(NullFrameTest, DrawsAreCheckedAgainstTheBoundBuffer) {
  IDirect3DVertexBuffer9* quad = MakeQuad();
  device->SetFVF(0x152);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // no stream
  ASSERT_EQ(device->SetStreamSource(0, quad, 0, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);  // needs vertex 4
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);   // needs 6 vertices
  EXPECT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 0, 2), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 0), D3DERR_INVALIDCALL);
  device->SetFVF(0x142);  // a 24-byte vertex format with a 36-byte stride is fine
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->EndScene();
  platform::NullDeviceCounters counters = Counters();
  EXPECT_EQ(counters.draws, 3u);
  EXPECT_EQ(counters.primitives, 6u);
  EXPECT_EQ(counters.lastPrimitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(counters.lastVertexStride, sizeof(Vertex));
  device->SetStreamSource(0, nullptr, 0, 0);
  quad->Release();
}

TEST_F(NullFrameTest, IndexedDrawsRefuseIndicesPastTheVertices) {
  IDirect3DVertexBuffer9* quad = MakeQuad();
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
  WORD* data = nullptr;
  indices->Lock(0, 0, reinterpret_cast<void**>(&data), 0);
  const WORD list[6] = {0, 1, 2, 2, 1, 4};
  std::memcpy(data, list, sizeof list);
  indices->Unlock();
  device->SetFVF(0x152);
  device->SetStreamSource(0, quad, 0, sizeof(Vertex));
  device->SetIndices(indices);
  device->BeginScene();
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // index 4
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 1), D3DERR_INVALIDCALL);  // 2+2 = 4
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 4, 1), D3DERR_INVALIDCALL);  // past the end
  device->EndScene();
  EXPECT_EQ(Counters().draws, 1u);
  device->SetIndices(nullptr);
  device->SetStreamSource(0, nullptr, 0, 0);
  indices->Release();
  quad->Release();
}

TEST_F(NullFrameTest, UserPointerDrawsUnsetStreamZero) {
  IDirect3DVertexBuffer9* quad = MakeQuad();
  device->SetFVF(0x152);
  device->SetStreamSource(0, quad, 0, sizeof(Vertex));
  quad->Release();
  Vertex triangle[3] = {};
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Vertex)), D3D_OK);
  device->EndScene();
  IDirect3DVertexBuffer9* stream = nullptr;
  UINT offset = 1, stride = 1;
  ASSERT_EQ(device->GetStreamSource(0, &stream, &offset, &stride), D3D_OK);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(stride, 0u);
}

TEST_F(NullFrameTest, ClearChecksItsFlagsAgainstTheDepthFormat) {
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // D16 has no stencil
  EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
  D3DRECT outside{700, 500, 800, 600};
  EXPECT_EQ(device->Clear(1, &outside, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  platform::NullDeviceCounters counters = Counters();
  EXPECT_EQ(counters.clears, 1u);  // the rectangle outside the viewport clears nothing
  EXPECT_EQ(counters.lastClearColor, 0xFF336699u);
}

TEST_F(NullFrameTest, FrontBufferDataShowsThePresentedPictureOnTheDesktop) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00204060, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFFFF, 1.0f, 0);  // not presented yet
  // Windowed, the copy is the whole desktop (1280 x 1024 on the null adapter); the fake window
  // has no place on it, so the 640 x 480 picture lies at its top-left corner.
  IDirect3DSurface9* shot = MakeScratch(1280, 1024, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ASSERT_EQ(device->GetFrontBufferData(0, shot), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(shot->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(locked.Pitch, 1280 * 4);
  const DWORD* pixels = static_cast<const DWORD*>(locked.pBits);
  EXPECT_EQ(pixels[0], 0xFF204060u);
  EXPECT_EQ(pixels[479 * 1280 + 639], 0xFF204060u);
  EXPECT_EQ(pixels[640], 0xFF000000u) << "the desktop beside the window is black";
  EXPECT_EQ(pixels[480 * 1280], 0xFF000000u);
  EXPECT_EQ(pixels[1280 * 1024 - 1], 0xFF000000u);
  shot->UnlockRect();
  shot->Release();

  // The copy is delivered as A8R8G8B8 into system memory only, and windowed it needs the whole
  // desktop: a surface without alpha, a 16-bit one, a scratch surface (which the device cannot
  // reach) and one of only the window's size are refused.
  IDirect3DSurface9* noAlpha = MakeScratch(1280, 1024, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(device->GetFrontBufferData(0, noAlpha), D3DERR_INVALIDCALL);
  noAlpha->Release();
  IDirect3DSurface9* wrongFormat = MakeScratch(1280, 1024, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(device->GetFrontBufferData(0, wrongFormat), D3DERR_INVALIDCALL);
  wrongFormat->Release();
  IDirect3DSurface9* scratch = MakeScratch(1280, 1024, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH);
  EXPECT_EQ(device->GetFrontBufferData(0, scratch), D3DERR_INVALIDCALL);
  scratch->Release();
  IDirect3DSurface9* windowSized = MakeScratch(640, 480, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(device->GetFrontBufferData(0, windowSized), D3DERR_INVALIDCALL);
  windowSized->Release();
  IDirect3DSurface9* surface = nullptr;
  EXPECT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &surface, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(NullFrameTest, FullScreenFrontBufferDataIsTheScreen) {
  ASSERT_EQ(ResetToSixteenBitFullScreen(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  IDirect3DSurface9* shot = MakeScratch(640, 480, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ASSERT_EQ(device->GetFrontBufferData(0, shot), D3D_OK) << "a 16-bit screen still arrives as A8R8G8B8";
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(shot->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const DWORD*>(locked.pBits)[640 * 480 - 1], 0xFF00FF00u);
  shot->UnlockRect();
  shot->Release();
  IDirect3DSurface9* tooSmall = MakeScratch(320, 480, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(device->GetFrontBufferData(0, tooSmall), D3DERR_INVALIDCALL);
  tooSmall->Release();
}

TEST_F(NullFrameTest, RenderTargetDataConvertsToTheBackBufferFormat) {
  ASSERT_EQ(ResetToSixteenBitFullScreen(), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  IDirect3DSurface9* copy = MakeScratch(640, 480, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM);
  ASSERT_EQ(device->GetRenderTargetData(back, copy), D3D_OK);
  D3DLOCKED_RECT locked{};
  copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<const WORD*>(locked.pBits)[100], 0xF800);
  copy->UnlockRect();
  IDirect3DSurface9* wrong = MakeScratch(640, 480, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(device->GetRenderTargetData(back, wrong), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->GetRenderTargetData(copy, wrong), D3DERR_INVALIDCALL);
  wrong->Release();
  IDirect3DSurface9* scratch = MakeScratch(640, 480, D3DFMT_R5G6B5, D3DPOOL_SCRATCH);
  EXPECT_EQ(device->GetRenderTargetData(back, scratch), D3DERR_INVALIDCALL);
  scratch->Release();
  copy->Release();
  back->Release();
}

TEST_F(NullFrameTest, LostDeviceWaitsForResetAndDefaultPoolResourcesBlockIt) {
  IDirect3DTexture9* managed = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  managed->LockRect(0, &locked, nullptr, 0);
  static_cast<DWORD*>(locked.pBits)[3] = 0x12345678;
  managed->UnlockRect(0);
  IDirect3DVertexBuffer9* dynamic = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(7200, 0x208, 0, D3DPOOL_DEFAULT, &dynamic, nullptr), D3D_OK);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetTexture(0, managed);

  ASSERT_TRUE(platform::NullDeviceSetLost(device, true));
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&params), D3DERR_DEVICELOST);
  // Drawing calls still succeed while lost; they draw nothing.
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(Counters().clears, 0u);

  platform::NullDeviceSetLost(device, false);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);  // the default-pool buffer is still alive
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  dynamic->Release();
  ASSERT_EQ(device->Reset(&params), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(Counters().resets, 1u);

  // Reset returns every state to its default and unbinds textures; managed contents survive.
  DWORD lighting = FALSE;
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
  IDirect3DBaseTexture9* bound = managed;
  device->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<DWORD*>(locked.pBits)[3], 0x12345678u);
  managed->UnlockRect(0);
  managed->Release();
}

TEST_F(NullFrameTest, ResetToANewSizeMovesTheViewport) {
  IDirect3DSurface9* back = nullptr;
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  D3DPRESENT_PARAMETERS p = WindowedParameters(800, 600);
  EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);  // the back buffer is a default-pool surface
  back->Release();
  ASSERT_EQ(device->Reset(&p), D3D_OK);
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 800u);
  EXPECT_EQ(viewport.Height, 600u);
  p.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;
  p.SwapEffect = D3DSWAPEFFECT_FLIP;
  EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);  // multisampling needs the discard swap effect
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  EXPECT_EQ(device->Reset(&p), D3D_OK);
}

TEST_F(NullFrameTest, EvictManagedResourcesIsCounted) {
  EXPECT_EQ(device->EvictManagedResources(), D3D_OK);
  EXPECT_EQ(Counters().evictions, 1u);
  EXPECT_FALSE(platform::NullDeviceSetLost(nullptr, true));
}

}  // namespace
