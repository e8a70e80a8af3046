// Textures, surfaces and buffers of the null device: creation rules, locking, lifetimes and the
// texture-memory figure the texture pool reports.
#include <gtest/gtest.h>

#include <cstring>

#include "null_device_fixture.h"

namespace {

TEST_F(NullDeviceTest, TextureWithLevelsZeroGetsTheWholeMipChain) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(256, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 9u);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 8u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  ASSERT_EQ(texture->GetLevelDesc(8, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
  EXPECT_EQ(texture->GetLevelDesc(9, &desc), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(NullDeviceTest, CreateTextureRefusesWhatDirect3DRefuses) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(0, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(64, 64, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &texture, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(64, 64, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(64, 64, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);  // a 64x64 chain has 7 levels
  EXPECT_EQ(device->CreateTexture(8192, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5}) {
    ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    texture->Release();
  }
}

TEST_F(NullDeviceTest, LockedTexelsPersistAndLocksDoNotNest) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 4, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  RECT rect{2, 1, 4, 3};
  ASSERT_EQ(texture->LockRect(0, &locked, &rect, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 16);
  static_cast<WORD*>(locked.pBits)[0] = 0xF123;
  D3DLOCKED_RECT again{};
  EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);

  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const BYTE* row1 = static_cast<const BYTE*>(locked.pBits) + locked.Pitch;
  WORD texel;
  std::memcpy(&texel, row1 + 2 * 2, 2);
  EXPECT_EQ(texel, 0xF123);
  texture->UnlockRect(0);

  RECT outside{6, 0, 9, 2};
  EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  RECT empty{3, 1, 3, 2};
  EXPECT_EQ(texture->LockRect(0, &locked, &empty, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(NullDeviceTest, DefaultPoolTexturesLockOnlyWhenDynamic) {
  IDirect3DTexture9* fixed = nullptr;
  IDirect3DTexture9* dynamic = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &fixed, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dynamic, nullptr),
            D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(fixed->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(dynamic->UnlockRect(0), D3D_OK);
  fixed->Release();
  dynamic->Release();
}

TEST_F(NullDeviceTest, SurfaceLevelSharesMemoryAndKeepsTheTextureAlive) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 2, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
  EXPECT_EQ(texture->Release(), 1u);  // the surface still holds it
  D3DSURFACE_DESC desc{};
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 2u);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
  static_cast<DWORD*>(locked.pBits)[1] = 0x00ABCDEF;
  surface->UnlockRect();
  IDirect3DTexture9* container = nullptr;
  ASSERT_EQ(surface->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), D3D_OK);
  ASSERT_EQ(container->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<DWORD*>(locked.pBits)[1], 0x00ABCDEFu);
  container->UnlockRect(1);
  container->Release();
  EXPECT_EQ(surface->Release(), 0u);
}

TEST_F(NullDeviceTest, VertexBuffersLockWithinTheirLength) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(20, 0, 0x152, D3DPOOL_MANAGED, &buffer, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_SCRATCH, &buffer, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->CreateVertexBuffer(4 * 36, D3DUSAGE_WRITEONLY, 0x152, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  D3DVERTEXBUFFER_DESC desc{};
  buffer->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 144u);
  EXPECT_EQ(desc.FVF, 0x152u);
  EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
  void* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, 0x800), D3D_OK);
  std::memset(data, 0x5A, 144);
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
  ASSERT_EQ(buffer->Lock(140, 4, &data, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(*static_cast<BYTE*>(data), 0x5A);
  buffer->Unlock();
  EXPECT_EQ(buffer->Lock(140, 8, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Lock(200, 0, &data, 0), D3DERR_INVALIDCALL);
  buffer->Release();

  IDirect3DIndexBuffer9* indices = nullptr;
  EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices, nullptr),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
  indices->Release();
}

TEST_F(NullDeviceTest, AvailableTextureMemoryFallsWhileTexturesLive) {
  UINT before = device->GetAvailableTextureMem();
  EXPECT_GT(before, 64u * 1024 * 1024);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(before - device->GetAvailableTextureMem(), 256u * 256u * 4u);
  texture->Release();
  EXPECT_EQ(device->GetAvailableTextureMem(), before);
}

TEST_F(NullDeviceTest, ABoundTextureOutlivesItsLastApplicationReference) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  static_cast<DWORD*>(locked.pBits)[0] = 0xFF00FF00;
  texture->UnlockRect(0);
  ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
  EXPECT_EQ(texture->Release(), 0u);

  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
  ASSERT_NE(bound, nullptr);
  auto* again = static_cast<IDirect3DTexture9*>(bound);
  again->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<DWORD*>(locked.pBits)[0], 0xFF00FF00u);
  again->UnlockRect(0);
  again->Release();
  // Left bound on purpose: releasing the device must free it (the sanitizer build checks).
}

TEST_F(NullDeviceTest, SystemMemoryTexturesCannotBeBound) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &texture, nullptr), D3D_OK);
  EXPECT_EQ(device->SetTexture(0, texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTexture(16, nullptr), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(NullDeviceTest, BackBufferIsARenderTargetThatCannotBeLocked) {
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &back), D3DERR_INVALIDCALL);
  back->Release();
}

TEST_F(NullDeviceTest, TexturesAnswerAsBaseTexturesAndResourcesButNotAsSurfaces) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  IDirect3DBaseTexture9* base = nullptr;
  ASSERT_EQ(texture->QueryInterface(IID_IDirect3DBaseTexture9, reinterpret_cast<void**>(&base)), S_OK);
  EXPECT_EQ(base->GetLevelCount(), 1u);
  EXPECT_EQ(base->GetType(), D3DRTYPE_TEXTURE);
  base->Release();
  IDirect3DSurface9* surface = nullptr;
  EXPECT_EQ(texture->QueryInterface(IID_IDirect3DSurface9, reinterpret_cast<void**>(&surface)), E_NOINTERFACE);
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device);
  owner->Release();
  EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
