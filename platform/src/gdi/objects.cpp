// GDI objects and their handles: the table of live objects, memory DCs with their selections
// and drawing attributes, DIB sections, fonts, deletion (deferred while an object is still
// selected, so nothing leaks whatever order the caller frees things in) and MulDiv.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_set>

#include "gdi/gdi_internal.h"
#include "gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

std::unordered_set<GdiObject*> liveObjects;  // guarded by GdiLock()

constexpr LONG kMaxBitmapSide = 32768;
constexpr int kMaxFontPixels = 2048;
constexpr int kDefaultCellHeight = 16;
constexpr int kLogicalPixelsPerInch = 96;

template <typename T>
T* Register(T* object) {
  liveObjects.insert(object);
  return object;
}

void Destroy(GdiObject* object) {
  liveObjects.erase(object);
  delete object;
}

// A DC's previous selection is let go; a deletion requested meanwhile happens now.
void Deselect(GdiObject* object) {
  if (!object) return;
  --object->selections;
  if (object->selections == 0 && object->deletePending) Destroy(object);
}

void Select(GdiObject* object) {
  if (object) ++object->selections;
}

Bitmap* StockBitmap() {
  static Bitmap* bitmap = [] {
    auto* created = Register(new Bitmap());
    created->width = 1;
    created->height = 1;
    created->pixels.assign(1, 0);
    created->stock = true;
    return created;
  }();
  return bitmap;
}

Font* StockFont() {
  static Font* font = [] {
    auto* created = Register(new Font());
    created->face = FontFace::Open("sans-serif", FW_NORMAL, false, 0, kDefaultCellHeight);
    created->stock = true;
    return created;
  }();
  return font;
}

}  // namespace

std::recursive_mutex& GdiLock() {
  static std::recursive_mutex lock;
  return lock;
}

GdiObject* FindObject(const void* handle, ObjectKind kind) {
  auto* object = static_cast<GdiObject*>(const_cast<void*>(handle));
  if (!handle || liveObjects.find(object) == liveObjects.end() || object->kind != kind) return nullptr;
  return object;
}

Bitmap* FindBitmap(const void* handle) { return static_cast<Bitmap*>(FindObject(handle, ObjectKind::Bitmap)); }
Font* FindFont(const void* handle) { return static_cast<Font*>(FindObject(handle, ObjectKind::Font)); }
DeviceContext* FindDc(const void* handle) {
  return static_cast<DeviceContext*>(FindObject(handle, ObjectKind::DeviceContext));
}

Font* SelectedFont(DeviceContext* dc) {
  Font* font = dc->font ? dc->font : StockFont();
  return font->face ? font : nullptr;
}

Bitmap* SelectedBitmap(DeviceContext* dc) { return dc->bitmap ? dc->bitmap : StockBitmap(); }

}  // namespace platform::gdi

using namespace platform::gdi;

HDC WINAPI CreateCompatibleDC(HDC /*dc*/) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  auto* dc = Register(new DeviceContext());
  dc->bitmap = StockBitmap();
  dc->font = StockFont();
  Select(dc->bitmap);
  Select(dc->font);
  return reinterpret_cast<HDC>(dc);
}

BOOL WINAPI DeleteDC(HDC handle) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  if (!dc) return FALSE;
  Deselect(dc->bitmap);
  Deselect(dc->font);
  Destroy(dc);
  return TRUE;
}

HBITMAP WINAPI CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, VOID** bits, HANDLE section,
                                DWORD /*offset*/) {
  if (bits) *bits = nullptr;
  if (!info || section || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  bool supported = header.biSize >= sizeof(BITMAPINFOHEADER) && header.biPlanes == 1 && header.biBitCount == 32 &&
                   (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS);
  LONG height = header.biHeight == INT32_MIN ? 0 : std::abs(header.biHeight);
  if (!supported || header.biWidth <= 0 || header.biWidth > kMaxBitmapSide || height == 0 || height > kMaxBitmapSide)
    return nullptr;
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  auto* bitmap = new (std::nothrow) Bitmap();
  if (!bitmap) return nullptr;
  bitmap->width = header.biWidth;
  bitmap->height = height;
  bitmap->topDown = header.biHeight < 0;
  bitmap->pixels.assign(size_t(bitmap->width) * size_t(height), 0);
  Register(bitmap);
  if (bits) *bits = bitmap->pixels.data();
  return reinterpret_cast<HBITMAP>(bitmap);
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD /*charSet*/, DWORD /*outPrecision*/,
                         DWORD /*clipPrecision*/, DWORD quality, DWORD /*pitchAndFamily*/, LPCSTR faceName) {
  if (height == INT32_MIN || std::abs(height) > kMaxFontPixels) return nullptr;
  if (width != 0 || escapement != 0 || orientation != 0) return nullptr;  // no stretched or rotated text
  int emHeight = height < 0 ? -height : 0;
  int cellHeight = height > 0 ? height : (height == 0 ? kDefaultCellHeight : 0);
  std::unique_ptr<FontFace> face = FontFace::Open(faceName, weight, italic != 0, emHeight, cellHeight);
  if (!face) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  auto* font = Register(new Font());
  font->face = std::move(face);
  font->antialiased = quality != NONANTIALIASED_QUALITY;
  font->underline = underline != 0;
  font->strikeOut = strikeOut != 0;
  return reinterpret_cast<HFONT>(font);
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  if (!dc) return nullptr;
  GdiObject** slot = nullptr;
  if (Bitmap* bitmap = FindBitmap(object); bitmap && !bitmap->deletePending) {
    slot = reinterpret_cast<GdiObject**>(&dc->bitmap);
  } else if (Font* font = FindFont(object); font && !font->deletePending) {
    slot = reinterpret_cast<GdiObject**>(&dc->font);
  } else {
    return nullptr;
  }
  GdiObject* previous = *slot;
  auto* selected = static_cast<GdiObject*>(object);
  if (previous == selected) return previous;
  Select(selected);
  *slot = selected;
  Deselect(previous);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  GdiObject* found = FindObject(object, ObjectKind::Bitmap);
  if (!found) found = FindObject(object, ObjectKind::Font);
  if (!found || found->deletePending) return FALSE;
  if (found->stock) return TRUE;
  if (found->selections > 0) {
    found->deletePending = true;
    return TRUE;
  }
  Destroy(found);
  return TRUE;
}

namespace {

template <typename Field, typename Value>
Value Exchange(HDC handle, Field DeviceContext::*field, Value value, Value failure) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  if (!dc) return failure;
  Value previous = static_cast<Value>(dc->*field);
  dc->*field = static_cast<Field>(value);
  return previous;
}

}  // namespace

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
  return Exchange(dc, &DeviceContext::textColor, color, COLORREF(CLR_INVALID));
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
  return Exchange(dc, &DeviceContext::backgroundColor, color, COLORREF(CLR_INVALID));
}

int WINAPI SetBkMode(HDC dc, int mode) {
  if (mode != OPAQUE && mode != TRANSPARENT) return 0;
  return Exchange(dc, &DeviceContext::backgroundMode, mode, 0);
}

UINT WINAPI SetTextAlign(HDC dc, UINT align) {
  return Exchange(dc, &DeviceContext::textAlign, align, UINT(GDI_ERROR));
}

// Only MM_TEXT (one logical unit per pixel, y down) is offered.
int WINAPI SetMapMode(HDC dc, int mode) {
  if (mode != MM_TEXT) return 0;
  return Exchange(dc, &DeviceContext::mapMode, mode, 0);
}

int WINAPI GetDeviceCaps(HDC handle, int index) {
  std::lock_guard<std::recursive_mutex> hold(GdiLock());
  DeviceContext* dc = FindDc(handle);
  if (!dc) return 0;
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kLogicalPixelsPerInch;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case HORZRES:
      return SelectedBitmap(dc)->width;
    case VERTRES:
      return SelectedBitmap(dc)->height;
    default:
      return 0;
  }
}

BOOL WINAPI GdiFlush() { return TRUE; }

int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = int64_t(number) * numerator;
  int64_t half = std::abs(int64_t(denominator)) / 2;
  bool negative = (product < 0) != (denominator < 0);
  int64_t quotient = (std::abs(product) + half) / std::abs(int64_t(denominator));
  if (negative) quotient = -quotient;
  if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
  return int(quotient);
}
