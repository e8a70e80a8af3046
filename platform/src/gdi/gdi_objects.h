// The objects behind GDI handles: memory DCs, 32-bit DIB sections and fonts. Handles are
// pointers to these objects; every call checks a handle against the table of live objects
// first, so a stale or foreign handle is refused instead of followed.
#pragma once

#include <memory>
#include <vector>

#include "gdi/font_face.h"
#include "wingdi.h"

namespace platform::gdi {

enum class ObjectKind { Bitmap, Font, DeviceContext };

struct GdiObject {
  explicit GdiObject(ObjectKind objectKind) : kind(objectKind) {}
  virtual ~GdiObject() = default;
  ObjectKind kind;
  int selections = 0;          // DCs that have this object selected
  bool deletePending = false;  // DeleteObject while selected: freed when released by its DC
  bool stock = false;          // default objects of a new DC; never freed
};

// A DIB section: rows of 32-bit BGRX pixels, top-down or bottom-up as the header said.
struct Bitmap : GdiObject {
  Bitmap() : GdiObject(ObjectKind::Bitmap) {}
  LONG width = 0;
  LONG height = 0;
  bool topDown = true;
  std::vector<uint32_t> pixels;
  uint32_t* Row(LONG y) { return &pixels[size_t(topDown ? y : height - 1 - y) * size_t(width)]; }
};

struct Font : GdiObject {
  Font() : GdiObject(ObjectKind::Font) {}
  std::unique_ptr<FontFace> face;
  bool antialiased = true;
  bool underline = false;
  bool strikeOut = false;
};

struct DeviceContext : GdiObject {
  DeviceContext() : GdiObject(ObjectKind::DeviceContext) {}
  Bitmap* bitmap = nullptr;
  Font* font = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF backgroundColor = RGB(255, 255, 255);
  int backgroundMode = OPAQUE;
  UINT textAlign = TA_TOP | TA_LEFT;
  int mapMode = MM_TEXT;
};

// Looks a handle up among the live objects of the given kind; null when it is not one.
GdiObject* FindObject(const void* handle, ObjectKind kind);
Bitmap* FindBitmap(const void* handle);
Font* FindFont(const void* handle);
DeviceContext* FindDc(const void* handle);

}  // namespace platform::gdi
