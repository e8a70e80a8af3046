// aruFont: the glyph sheet built with GDI (white glyphs whose coverage becomes a 4-bit alpha in
// an A4R4G4B4 texture) and the batched drawing of text in the engine's 2-D space.
#include "services/font.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "core/aru.h"

namespace {
constexpr DWORD kGlyphFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr uint32_t kBufferVertices = 300;
// A batch is drawn once more than this many vertices are pending: after 50 characters.
constexpr uint32_t kFlushAbove = 294;
constexpr float kGlyphDepth = 0.9f;
constexpr float kVirtualWidth = 1280.0f;
constexpr float kVirtualHeight = 1024.0f;
constexpr int kPointsPerInch = 72;

uint32_t PreferredSheetSize(uint32_t size) {
  if (size <= 20) return 256;
  if (size <= 40) return 512;
  return 1024;
}

// The GDI objects the sheet is drawn with; deleted in reverse order of creation.
struct GlyphCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HFONT font = nullptr;
  const uint32_t* pixels = nullptr;

  ~GlyphCanvas() {
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (dc != nullptr) DeleteDC(dc);
    if (font != nullptr) DeleteObject(font);
  }

  bool Open(uint32_t sheetSize) {
    dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(sheetSize);
    info.bmiHeader.biHeight = -static_cast<LONG>(sheetSize);  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<const uint32_t*>(bits);
    return bitmap != nullptr && pixels != nullptr && SetMapMode(dc, MM_TEXT) != 0;
  }
};
}  // namespace

aruFont::aruFont(ARU* owner) : engine(owner) {
  if (engine != nullptr && engine->GetDevice() != nullptr) CreateVertexBuffer();
}

aruFont::~aruFont() { Release(); }

void aruFont::SetEngine(ARU* owner) { engine = owner; }

HRESULT aruFont::CreateVertexBuffer() {
  if (vertices != nullptr) vertices->Release();
  vertices = nullptr;
  IDirect3DDevice9* device = engine != nullptr ? engine->GetDevice() : nullptr;
  if (device == nullptr) return E_FAIL;
  if (FAILED(device->CreateVertexBuffer(kBufferVertices * sizeof(aruGlyphVertex),
                                        D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vertices,
                                        nullptr))) {
    vertices = nullptr;
    return E_FAIL;
  }
  return 0;
}

HRESULT aruFont::Create(const char* face, uint32_t size, bool bold, bool italic, bool underline) {
  orientation = 1;
  if (texture != nullptr) texture->Release();
  texture = nullptr;
  textScale = 1;
  IDirect3DDevice9* device = engine != nullptr ? engine->GetDevice() : nullptr;
  if (device == nullptr) return E_FAIL;
  if (vertices == nullptr) CreateVertexBuffer();

  uint32_t sheetSize = PreferredSheetSize(size);
  D3DCAPS9 caps{};
  if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth != 0 && caps.MaxTextureWidth < sheetSize) {
    textScale = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(sheetSize);
    sheetSize = caps.MaxTextureWidth;
  }
  if (FAILED(device->CreateTexture(sheetSize, sheetSize, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture,
                                   nullptr))) {
    texture = nullptr;
    return E_FAIL;
  }
  textureWidth = textureHeight = sheetSize;
  if (FAILED(RasteriseSheet(face, size, bold, italic, underline))) {
    texture->Release();
    texture = nullptr;
    return E_FAIL;
  }
  return 0;
}

HRESULT aruFont::RasteriseSheet(const char* face, uint32_t size, bool bold, bool italic, bool underline) {
  GlyphCanvas canvas;
  if (!canvas.Open(textureWidth)) return E_FAIL;
  const int dotsPerInch = static_cast<int>(GetDeviceCaps(canvas.dc, LOGPIXELSY) * textScale);
  canvas.font = CreateFontA(-MulDiv(static_cast<int>(size), dotsPerInch, kPointsPerInch), 0, 0, 0,
                            bold ? FW_BOLD : FW_NORMAL, italic, underline, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, face);
  if (canvas.font == nullptr) return E_FAIL;
  height = static_cast<float>(size);
  SelectObject(canvas.dc, canvas.bitmap);
  SelectObject(canvas.dc, canvas.font);
  SetTextColor(canvas.dc, RGB(255, 255, 255));
  SetBkColor(canvas.dc, RGB(0, 0, 0));
  SetTextAlign(canvas.dc, TA_TOP | TA_LEFT);

  const float sheet = static_cast<float>(textureWidth);
  LONG x = 0;
  LONG y = 0;
  for (int code = kFirstCharacter; code <= kLastCharacter; ++code) {
    const char character = static_cast<char>(code);
    SIZE extent{};
    GetTextExtentPoint32A(canvas.dc, &character, 1, &extent);
    if (x + extent.cx + 1 > static_cast<LONG>(textureWidth)) {
      y += extent.cy + 1;
      x = 0;
    }
    ExtTextOutA(canvas.dc, x, y, ETO_OPAQUE, nullptr, &character, 1, nullptr);
    float* cell = cells[code - kFirstCharacter];
    cell[0] = x / sheet;
    cell[1] = y / sheet;
    cell[2] = (x + extent.cx) / sheet;
    cell[3] = (y + extent.cy) / sheet;
    x += extent.cx + 1;
  }
  GdiFlush();

  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0)) || locked.pBits == nullptr) return E_FAIL;
  for (uint32_t row = 0; row < textureHeight; ++row) {
    auto* out = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch);
    const uint32_t* in = canvas.pixels + row * textureWidth;
    for (uint32_t column = 0; column < textureWidth; ++column) {
      const uint16_t alpha = static_cast<uint16_t>(in[column] >> 4 & 0xF);
      out[column] = alpha != 0 ? static_cast<uint16_t>(alpha << 12 | 0x0FFF) : 0;
    }
  }
  texture->UnlockRect(0);
  return 0;
}

void aruFont::FlushBatch(aruGlyphVertex*& locked, uint32_t& pending) {
  if (vertices == nullptr) return;
  IDirect3DDevice9* device = engine->GetDevice();
  if (locked != nullptr) vertices->Unlock();
  if (pending > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, pending / 3);
  pending = 0;
  locked = nullptr;
}

RECT* aruFont::DrawText(RECT* extent, float x, float y, D3DCOLOR colour, const char* text) {
  static RECT unused;
  if (extent == nullptr) extent = &unused;
  extent->left = extent->right = static_cast<LONG>(x);
  extent->top = extent->bottom = static_cast<LONG>(y);
  if (engine == nullptr || engine->GetDevice() == nullptr || text == nullptr) return extent;
  IDirect3DDevice9* device = engine->GetDevice();
  aruMatrix identity;
  identity.Identity();
  engine->SetWorldTransform(identity);
  device->SetFVF(kGlyphFVF);
  device->SetStreamSource(0, vertices, 0, sizeof(aruGlyphVertex));
  aruGlyphVertex* locked = nullptr;
  void* data = nullptr;
  if (vertices != nullptr && SUCCEEDED(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
    locked = static_cast<aruGlyphVertex*>(data);
  }
  device->SetTexture(0, texture);

  const float toScreenX = engine->GetScreenWidth() / kVirtualWidth;
  const float toScreenY = engine->GetScreenHeight() / kVirtualHeight;
  const float startX = x * toScreenX;
  float penX = startX;
  float penY = y * toScreenY - height;
  const float* space = GetCell(' ');
  uint32_t pending = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '\n') {
      penX = startX;
      penY -= (space[3] - space[1]) * textureHeight;
      continue;
    }
    if (*c < kFirstCharacter || *c > kLastCharacter) continue;
    const float* cell = GetCell(*c);
    const float width = (cell[2] - cell[0]) * textureWidth / textScale;
    const float glyphHeight = (cell[3] - cell[1]) * textureHeight / textScale;
    extent->right += static_cast<LONG>(width);
    const float drawnWidth = width * toScreenX;
    const float drawnHeight = glyphHeight * toScreenY;
    if (*c != ' ' && locked != nullptr) {
      const float left = penX - 0.5f, right = penX + drawnWidth - 0.5f;
      const float bottom = penY - 0.5f, top = penY + drawnHeight - 0.5f;
      aruGlyphVertex* out = locked + pending;
      out[0] = {left, top, kGlyphDepth, colour, cell[0], cell[1]};
      out[1] = {right, top, kGlyphDepth, colour, cell[2], cell[1]};
      out[2] = {left, bottom, kGlyphDepth, colour, cell[0], cell[3]};
      out[3] = {right, top, kGlyphDepth, colour, cell[2], cell[1]};
      out[4] = {right, bottom, kGlyphDepth, colour, cell[2], cell[3]};
      out[5] = {left, bottom, kGlyphDepth, colour, cell[0], cell[3]};
      pending += 6;
    }
    penX += drawnWidth;
    if (pending > kFlushAbove) {
      FlushBatch(locked, pending);
      if (SUCCEEDED(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD))) locked = static_cast<aruGlyphVertex*>(data);
    }
  }
  FlushBatch(locked, pending);
  device->SetTexture(0, nullptr);
  return extent;
}

RECT* aruFont::DrawTextf(RECT* extent, float x, float y, D3DCOLOR colour, const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return DrawText(extent, x, y, colour, text);
}

void aruFont::Invalidate() {
  if (vertices != nullptr) vertices->Release();
  vertices = nullptr;
}

HRESULT aruFont::Restore() { return CreateVertexBuffer(); }

void aruFont::Release() {
  Invalidate();
  if (texture != nullptr) texture->Release();
  texture = nullptr;
}
