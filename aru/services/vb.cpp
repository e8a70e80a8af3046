// aruVB: creation, drawing, locking and device-loss handling of the engine's small vertex
// buffers, and the ARGB colour packer.
#include "services/vb.h"

#include <cstring>

#include "core/aru.h"

namespace {
constexpr DWORD kCreateLockFlags = D3DLOCK_NOSYSLOCK;

uint32_t LowByte(float value) { return static_cast<uint32_t>(static_cast<int64_t>(value)) & 0xFF; }
}  // namespace

D3DCOLOR ARGB(float a, float r, float g, float b) {
  return LowByte(a) << 24 | LowByte(r) << 16 | LowByte(g) << 8 | LowByte(b);
}

aruVB::aruVB(ARU* engine) : engine(engine) {}

aruVB::~aruVB() { Release(); }

void aruVB::SetStatic() {
  usage = D3DUSAGE_WRITEONLY;
  memoryPool = D3DPOOL_MANAGED;
  lockFlags = D3DLOCK_NOSYSLOCK | D3DLOCK_READONLY;
}

HRESULT aruVB::Create(uint32_t count, uint32_t primitives, const aruNVertex* vertices) {
  Release();
  IDirect3DDevice9* device = engine->GetDevice();
  const UINT size = count * sizeof(aruNVertex);
  if (device == nullptr || count == 0 || vertices == nullptr) return E_FAIL;
  if (FAILED(device->CreateVertexBuffer(size, usage, kNVertexFVF, memoryPool, &buffer, nullptr))) {
    buffer = nullptr;
    return E_FAIL;
  }
  void* data = nullptr;
  if (FAILED(buffer->Lock(0, size, &data, kCreateLockFlags)) || data == nullptr) {
    Release();
    return E_FAIL;
  }
  memcpy(data, vertices, size);
  if (FAILED(buffer->Unlock())) {
    Release();
    return E_FAIL;
  }
  vertexCount = count;
  primitiveCount = primitives;
  lost = false;
  created = true;
  return 0;
}

void aruVB::Draw(uint32_t startVertex, int32_t count) {
  if (!created || lost || buffer == nullptr) return;
  IDirect3DDevice9* device = engine->GetDevice();
  engine->BindTexture(texture, 0);
  device->SetFVF(kNVertexFVF);
  device->SetStreamSource(0, buffer, 0, sizeof(aruNVertex));
  device->DrawPrimitive(primitiveType, startVertex, count == -1 ? primitiveCount : static_cast<UINT>(count));
}

aruNVertex* aruVB::Lock(uint32_t offset, uint32_t size) {
  if (lost || buffer == nullptr) return nullptr;
  void* data = nullptr;
  const HRESULT result = buffer->Lock(offset, size, &data, lockFlags);
  if (FAILED(result)) {
    engine->Direct3DResult(result);
    return nullptr;
  }
  return static_cast<aruNVertex*>(data);
}

HRESULT aruVB::Unlock() {
  if (lost || buffer == nullptr) return E_FAIL;
  return buffer->Unlock();
}

void aruVB::Invalidate() {
  if (memoryPool == D3DPOOL_MANAGED) return;
  lost = true;
  Release();
}

void aruVB::Release() {
  if (buffer != nullptr) buffer->Release();
  buffer = nullptr;
}
