// aruFont draws text: at creation the printable ASCII characters of a TrueType face are
// rasterised with GDI into one glyph sheet, and drawing builds two textured triangles per
// character into a dynamic vertex buffer, drawn in batches of at most 50 characters.
#pragma once

#include <d3d9.h>

#include <cstdint>

class ARU;

// Position, colour and one texture coordinate set: flexible vertex format 0x142.
struct aruGlyphVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};
static_assert(sizeof(aruGlyphVertex) == 24, "glyph vertices are 24 bytes");

class aruFont {
 public:
  static constexpr char kFirstCharacter = 32;
  static constexpr char kLastCharacter = 126;
  static constexpr int kCellCount = kLastCharacter - kFirstCharacter + 1;

  // The engine may be given later with SetEngine, when the font is a member of an engine base.
  explicit aruFont(ARU* engine = nullptr);
  ~aruFont();
  aruFont(const aruFont&) = delete;
  aruFont& operator=(const aruFont&) = delete;

  void SetEngine(ARU* engine);
  HRESULT Create(const char* face, uint32_t size, bool bold, bool italic, bool underline);
  float LineHeight(float factor) const { return factor * height; }
  // Draws text at (x, y) of the 1280 x 1024 virtual screen (y up) and returns its extent; the
  // right edge is where a caret after the text goes.
  RECT* DrawText(RECT* extent, float x, float y, D3DCOLOR colour, const char* text);
  RECT* DrawTextf(RECT* extent, float x, float y, D3DCOLOR colour, const char* format, ...)
      __attribute__((format(printf, 6, 7)));
  void Invalidate();
  HRESULT Restore();
  void Release();

  uint32_t GetTextureWidth() const { return textureWidth; }
  uint32_t GetTextureHeight() const { return textureHeight; }
  float GetTextScale() const { return textScale; }
  // Texture rectangle (left u, top v, right u, bottom v) of a character 32..126.
  const float* GetCell(char character) const { return cells[character - kFirstCharacter]; }

 private:
  HRESULT CreateVertexBuffer();
  HRESULT RasteriseSheet(const char* face, uint32_t size, bool bold, bool italic, bool underline);
  void FlushBatch(aruGlyphVertex*& locked, uint32_t& pending);

  ARU* engine;
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DTexture9* texture = nullptr;
  uint32_t textureWidth = 0;
  uint32_t textureHeight = 0;
  float cells[kCellCount][4] = {};
  float textScale = 1;
  uint8_t orientation = 0;
  float height = 0;
};
