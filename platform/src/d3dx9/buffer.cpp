// ID3DXBuffer: a reference-counted block of bytes, zero-filled at creation.
#include <atomic>
#include <new>
#include <vector>

#include "d3dx9mesh.h"

namespace {

class Buffer final : public ID3DXBuffer {
 public:
  explicit Buffer(DWORD bytes) : bytes_(bytes, 0) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ID3DXBuffer) {
      AddRef();
      *object = static_cast<ID3DXBuffer*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  ~Buffer() = default;
  std::atomic<ULONG> refs_{1};
  std::vector<BYTE> bytes_;
};

}  // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = new (std::nothrow) Buffer(numBytes);
  return *buffer ? S_OK : E_OUTOFMEMORY;
}
