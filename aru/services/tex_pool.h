// The texture pool: every texture the engine and the game draw with, by index.
#pragma once

#include <d3d9.h>

#include <cstdint>

class aruTexPool {
 public:
  void AttachDevice(IDirect3DDevice9* newDevice) { device = newDevice; }
  void SetFilters(uint32_t imageFilter, uint32_t mipFilter) {
    this->imageFilter = imageFilter;
    this->mipFilter = mipFilter;
  }
  int32_t LoadTexture(const char* name);
  void ReleaseAll() {}
  void Clear() {}

 protected:
  IDirect3DDevice9* device = nullptr;
  uint32_t imageFilter = 0;
  uint32_t mipFilter = 0;
};
