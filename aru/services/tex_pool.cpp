// The texture pool: name normalisation, shared loading through D3DX, binding with the lazy
// reload of dropped textures, and the statistics report printed to the console.
#include "services/tex_pool.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "core/aru.h"

namespace {
constexpr D3DCOLOR kReportColour = 0xFFFFFFB8;
constexpr D3DCOLOR kFailedColour = 0xFFFF0000;
constexpr D3DCOLOR kLoadedColour = 0xFF00FF00;
constexpr double kBytesPerMegabyte = 1000000.0;
constexpr double kBytesPerKilobyte = 1000.0;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}
}  // namespace

aruTexPool::~aruTexPool() { Clear(); }

void aruTexPool::AttachDevice(IDirect3DDevice9* device) {
  poolDevice = device;
  initialTextureMemory = device != nullptr ? device->GetAvailableTextureMem() : 0;
}

void aruTexPool::SetFilters(uint32_t imageFilter, uint32_t mipFilter) {
  poolImageFilter = imageFilter;
  poolMipFilter = mipFilter;
}

void aruTexPool::NormaliseName(std::string& name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

int32_t aruTexPool::FindTexture(std::string& name, uint8_t kind) const {
  NormaliseName(name);
  for (size_t i = 0; i < entries.size(); ++i) {
    const aruTextureRecord* record = entries[i].get();
    if (record != nullptr && record->kind == kind && record->name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t aruTexPool::LoadTexture(const char* name) { return LoadTexture(name, 0, 1); }

int32_t aruTexPool::LoadTexture(const char* name, D3DCOLOR colourKey, uint32_t mipLevels) {
  auto record = std::make_unique<aruTextureRecord>();
  record->name = name != nullptr ? name : "";
  const int32_t existing = FindTexture(record->name, kImageFile);
  if (existing >= 0) return existing;

  record->imageFilter = poolImageFilter;
  record->mipFilter = poolMipFilter;
  record->colourKey = colourKey;
  record->kind = kImageFile;
  record->mipLevels = mipLevels;
  record->texture = LoadFromFile(*record, &record->info);
  if (record->texture == nullptr) return -1;

  if (entries.size() == entries.capacity()) entries.reserve(entries.size() + entries.size() / 2 + 1);
  entries.push_back(std::move(record));
  return static_cast<int32_t>(entries.size()) - 1;
}

IDirect3DBaseTexture9* aruTexPool::LoadFromFile(const aruTextureRecord& record, D3DXIMAGE_INFO* info) const {
  if (poolDevice == nullptr) return nullptr;
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result = D3DXCreateTextureFromFileExA(
      poolDevice, record.name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, record.mipLevels, 0, D3DFMT_UNKNOWN,
      memoryPool, record.imageFilter, record.mipFilter, record.colourKey, info, nullptr, &texture);
  if (FAILED(result)) return nullptr;
  return texture;
}

HRESULT aruTexPool::BindTexture(int32_t index, DWORD stage) {
  if (poolDevice == nullptr) return E_FAIL;
  const HRESULT cleared = poolDevice->SetTexture(stage, nullptr);
  if (index < 0 || index >= GetCount() || entries[index] == nullptr) return cleared;
  aruTextureRecord& record = *entries[index];
  if (record.texture == nullptr) record.texture = LoadFromFile(record, nullptr);
  return poolDevice->SetTexture(stage, record.texture);
}

HRESULT aruTexPool::UnbindStage(DWORD stage) {
  if (poolDevice == nullptr) return E_FAIL;
  return poolDevice->SetTexture(stage, nullptr);
}

void aruTexPool::ReleaseTexture(int32_t index) {
  if (index < 0 || index >= GetCount() || entries[index] == nullptr) return;
  aruTextureRecord& record = *entries[index];
  if (record.texture != nullptr) record.texture->Release();
  record.texture = nullptr;
}

void aruTexPool::ReleaseAll() {
  for (int32_t i = 0; i < GetCount(); ++i) ReleaseTexture(i);
}

bool aruTexPool::IsLoaded(int32_t index) const {
  return index >= 0 && index < GetCount() && entries[index] != nullptr && entries[index]->texture != nullptr;
}

D3DXIMAGE_INFO aruTexPool::GetImageInfo(int32_t index) const {
  if (entries.empty()) return D3DXIMAGE_INFO{};
  const size_t slot = std::min(static_cast<size_t>(std::max(index, 0)), entries.size() - 1);
  return entries[slot] != nullptr ? entries[slot]->info : D3DXIMAGE_INFO{};
}

std::string aruTexPool::GetDisplayName(int32_t index) const {
  if (index < 0 || index >= GetCount() || entries[index] == nullptr) return "";
  return "\"" + entries[index]->name + "\"";
}

std::vector<aruTexPool::StatisticsLine> aruTexPool::StatisticsLines() const {
  std::vector<StatisticsLine> lines;
  lines.push_back({"=== Texture Pool Statistics ===", kReportColour});
  for (int32_t i = 0; i < GetCount(); ++i) {
    const aruTextureRecord* record = entries[i].get();
    if (record == nullptr) continue;
    const std::string name = GetDisplayName(i);
    const D3DXIMAGE_INFO& info = record->info;
    if (info.Width == 0 || info.Height == 0) {
      lines.push_back({Format("#%d FAILED %s", i, name.c_str()), kFailedColour});
      continue;
    }
    const bool loaded = record->texture != nullptr;
    lines.push_back({Format("#%d%s %s %dx%d Mip:%d Fmt:%d Dpth:%d t:%d", i, loaded ? " L " : " F ", name.c_str(),
                            static_cast<int>(info.Width), static_cast<int>(info.Height),
                            static_cast<int>(info.MipLevels), static_cast<int>(info.Format),
                            static_cast<int>(info.Depth), static_cast<int>(record->kind)),
                     loaded ? kLoadedColour : kReportColour});
  }
  const uint32_t available = poolDevice != nullptr ? poolDevice->GetAvailableTextureMem() : initialTextureMemory;
  const uint32_t used = initialTextureMemory - available;
  const uint32_t poolBytes = static_cast<uint32_t>(GetCount() * sizeof(aruTextureRecord));
  lines.push_back({Format("Number of Textures: %d", GetCount()), kReportColour});
  lines.push_back({Format("%.3f MB Available Texture Memory", initialTextureMemory / kBytesPerMegabyte), kReportColour});
  lines.push_back({Format("%.3f MB used by textures", used / kBytesPerMegabyte), kReportColour});
  lines.push_back({Format("%.3f KB used by pool", poolBytes / kBytesPerKilobyte), kReportColour});
  return lines;
}

void aruTexPool::DumpStatistics() {
  // The pool is a base of the engine object, whose console prints the report.
  aruConsole& console = *static_cast<ARU*>(this);
  for (const StatisticsLine& line : StatisticsLines()) console.Print(line.text.c_str(), line.colour);
}

void aruTexPool::Clear() {
  ReleaseAll();
  entries.clear();
  entries.shrink_to_fit();
}
