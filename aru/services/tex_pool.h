// The texture pool: the engine's single owner of Direct3D textures. Users ask for a texture by
// file name and keep a small index; each file is loaded once and shared, textures can be dropped
// while their records stay, and a dropped texture reloads when it is next bound.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One slot of the pool. Records never move between slots, so an index stays valid for the life
// of the pool.
struct aruTextureRecord {
  IDirect3DBaseTexture9* texture = nullptr;  // null while unloaded
  D3DXIMAGE_INFO info{};                     // as reported by the first load
  uint32_t imageFilter = 0;
  uint32_t mipFilter = 0;
  std::string name;  // normalised: forward slashes, lower case
  D3DCOLOR colourKey = 0;
  uint8_t kind = 0;
  uint32_t mipLevels = 0;
};

class aruTexPool {
 public:
  // The only kind the pool loads: an image file as a 2-D texture.
  static constexpr uint8_t kImageFile = 1;

  // One line of the statistics report with its console colour.
  struct StatisticsLine {
    std::string text;
    D3DCOLOR colour;
  };

  aruTexPool() = default;
  ~aruTexPool();
  aruTexPool(const aruTexPool&) = delete;
  aruTexPool& operator=(const aruTexPool&) = delete;

  void AttachDevice(IDirect3DDevice9* device);
  void SetFilters(uint32_t imageFilter, uint32_t mipFilter);
  int32_t LoadTexture(const char* name);
  int32_t LoadTexture(const char* name, D3DCOLOR colourKey, uint32_t mipLevels);
  // Normalises `name` in place and returns the first slot holding it with that kind, or -1.
  int32_t FindTexture(std::string& name, uint8_t kind) const;
  HRESULT BindTexture(int32_t index, DWORD stage);
  HRESULT UnbindStage(DWORD stage);
  void ReleaseTexture(int32_t index);
  void ReleaseAll();
  bool IsLoaded(int32_t index) const;
  int32_t GetCount() const { return static_cast<int32_t>(entries.size()); }
  uint32_t GetInitialTextureMemory() const { return initialTextureMemory; }
  D3DXIMAGE_INFO GetImageInfo(int32_t index) const;
  std::string GetDisplayName(int32_t index) const;
  // Prints StatisticsLines() to the engine's console.
  void DumpStatistics();
  std::vector<StatisticsLine> StatisticsLines() const;
  void Clear();

  static void NormaliseName(std::string& name);

 private:
  IDirect3DBaseTexture9* LoadFromFile(const aruTextureRecord& record, D3DXIMAGE_INFO* info) const;

  IDirect3DDevice9* poolDevice = nullptr;  // borrowed from the engine
  uint32_t initialTextureMemory = 0;
  uint32_t poolImageFilter = 0;
  uint32_t poolMipFilter = 0;
  D3DPOOL memoryPool = D3DPOOL_MANAGED;
  std::vector<std::unique_ptr<aruTextureRecord>> entries;
};
