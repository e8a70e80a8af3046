// The engine's general vertex aruNVertex, the ARGB colour packer and aruVB, a small vertex buffer
// of aruNVertex with a texture index from the texture pool. Screen-space pictures (buttons,
// panels, the cursor, the fader) are aruVB quads given in back-buffer pixels.
#pragma once

#include <d3d9.h>

#include <cstdint>

class ARU;

// Position, normal, colour and one texture coordinate set: flexible vertex format 0x152.
struct aruNVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR colour;
  float u, v;
};
static_assert(sizeof(aruNVertex) == 36, "aruNVertex is the 36-byte vertex of format 0x152");

constexpr DWORD kNVertexFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Packs four 0..255 values: each is truncated toward zero and only its low byte is kept, so 256
// wraps to 0.
D3DCOLOR ARGB(float a, float r, float g, float b);

class aruVB {
 public:
  explicit aruVB(ARU* engine);
  ~aruVB();
  aruVB(const aruVB&) = delete;
  aruVB& operator=(const aruVB&) = delete;

  // Managed pool, write-only, the lock flags static quads use.
  void SetStatic();
  void SetPrimitiveType(D3DPRIMITIVETYPE type) { primitiveType = type; }
  void SetUsage(DWORD flags) { usage = flags; }
  void SetMemoryPool(D3DPOOL pool) { memoryPool = pool; }
  void SetLockFlags(DWORD flags) { lockFlags = flags; }
  int32_t SetTexture(int32_t index) { return texture = index; }
  int32_t GetTexture() const { return texture; }

  HRESULT Create(uint32_t count, uint32_t primitives, const aruNVertex* vertices);
  // A primitive count of -1 draws the count given to Create.
  void Draw(uint32_t startVertex = 0, int32_t count = -1);
  // Offset and size in bytes; size 0 locks the whole buffer. Null while the buffer is lost.
  aruNVertex* Lock(uint32_t offset = 0, uint32_t size = 0);
  HRESULT Unlock();
  uint32_t GetVertexCount() const { return vertexCount; }
  bool IsCreated() const { return created; }
  bool IsLost() const { return lost; }

  void Invalidate();
  void Release();

 private:
  D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLESTRIP;
  ARU* engine;
  uint32_t vertexCount = 0;
  uint32_t primitiveCount = 0;
  IDirect3DVertexBuffer9* buffer = nullptr;
  DWORD usage = D3DUSAGE_WRITEONLY;
  DWORD lockFlags = D3DLOCK_NOSYSLOCK | D3DLOCK_READONLY;
  D3DPOOL memoryPool = D3DPOOL_MANAGED;
  int32_t texture = -1;
  bool created = false;
  bool lost = true;
};
