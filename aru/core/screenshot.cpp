// ScreenShot: grabs the front buffer into a system-memory surface, converts it to a bottom-up 24-bit
// bitmap and writes it to the next free "./base/shots/Shot*.bmp" name, logging every step so a
// failed screenshot can be diagnosed from the log. Failures return false and never end the game.
#include "core/screenshot.h"

#include <aru_platform.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <memory>
#include <new>

#include "core/aru.h"

namespace {
constexpr int32_t kLastShotNumber = 512;
constexpr uint32_t kInfoHeaderSize = 40;

void PutU16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool FileExists(const std::string& name) {
  std::ifstream file(platform::ResolvePath(name.c_str()), std::ios::binary);
  return file.is_open();
}
}  // namespace

void WriteBitmapHeader(uint8_t out[kBitmapHeaderSize], int32_t width, int32_t height) {
  const uint32_t imageSize = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 3;
  std::fill(out, out + kBitmapHeaderSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out + 2, imageSize + kBitmapHeaderSize);
  PutU32(out + 10, kBitmapHeaderSize);
  PutU32(out + 14, kInfoHeaderSize);
  PutU32(out + 18, static_cast<uint32_t>(width));
  PutU32(out + 22, static_cast<uint32_t>(height));
  PutU16(out + 26, 1);
  PutU16(out + 28, 24);
  PutU32(out + 34, imageSize);
}

bool CopyPixelsBottomUp(const uint8_t* source, int32_t pitch, uint32_t format, int32_t width, int32_t height,
                        uint8_t* out) {
  const bool wide = format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
  const bool is565 = format == D3DFMT_R5G6B5;
  if (!wide && !is565 && format != D3DFMT_X1R5G5B5 && format != D3DFMT_A1R5G5B5) return false;
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* row = source + static_cast<size_t>(y) * pitch;
    for (int32_t x = 0; x < width; ++x) {
      if (wide) {
        *out++ = row[x * 4 + 0];
        *out++ = row[x * 4 + 1];
        *out++ = row[x * 4 + 2];
        continue;
      }
      const uint32_t pixel = row[x * 2] | row[x * 2 + 1] << 8;
      const uint32_t green = is565 ? (pixel >> 5 & 0x3F) * 255 / 63 : (pixel >> 5 & 0x1F) * 255 / 31;
      const uint32_t red = is565 ? (pixel >> 11 & 0x1F) : (pixel >> 10 & 0x1F);
      *out++ = static_cast<uint8_t>((pixel & 0x1F) * 255 / 31);
      *out++ = static_cast<uint8_t>(green);
      *out++ = static_cast<uint8_t>(red * 255 / 31);
    }
  }
  return true;
}

void CutOutArea(const uint8_t* source, int32_t pitch, int32_t sourceWidth, int32_t sourceHeight, int32_t left,
                int32_t top, int32_t width, int32_t height, uint8_t* out) {
  const uint8_t black[4] = {0, 0, 0, 0xFF};
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) std::copy(black, black + 4, out + i * 4);
  const int32_t firstX = std::max(0, -left);
  const int32_t lastX = std::min(width, sourceWidth - left);
  if (firstX >= lastX) return;
  for (int32_t y = std::max(0, -top); y < height && top + y < sourceHeight; ++y) {
    const uint8_t* row = source + static_cast<size_t>(top + y) * pitch + static_cast<size_t>(left + firstX) * 4;
    std::copy(row, row + static_cast<size_t>(lastX - firstX) * 4, out + (static_cast<size_t>(y) * width + firstX) * 4);
  }
}

std::string ScreenShotName(int32_t number) {
  if (number < 0) return "./base/shots/Shot.bmp";
  return "./base/shots/Shot" + std::to_string(number) + ".bmp";
}

std::string ChooseScreenShotName(bool* plainExisted) {
  *plainExisted = FileExists(ScreenShotName(-1));
  if (!*plainExisted) return ScreenShotName(-1);
  for (int32_t number = 0; number < kLastShotNumber; ++number) {
    std::string name = ScreenShotName(number);
    if (!FileExists(name)) return name;
  }
  return ScreenShotName(kLastShotNumber);
}

BitmapSave SaveBitmapFile(const std::string& name, int32_t width, int32_t height, const uint8_t* pixels) {
  // The picture goes to a file beside its name first and is moved over it once complete, so a
  // crash while writing never leaves a cut-off bitmap under the final name.
  const std::string partial = name + ".partial";
  std::ofstream file(platform::ResolvePath(partial.c_str()), std::ios::binary | std::ios::trunc);
  if (!file.is_open()) return BitmapSave::NotCreated;
  uint8_t header[kBitmapHeaderSize];
  WriteBitmapHeader(header, width, height);
  file.write(reinterpret_cast<const char*>(header), sizeof header);
  const size_t pixelBytes = static_cast<size_t>(width) * height * 3;
  file.write(reinterpret_cast<const char*>(pixels), static_cast<std::streamsize>(pixelBytes));
  file.close();
  if (!file || !MoveFileExA(partial.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(partial.c_str());
    return BitmapSave::NotWritten;
  }
  return BitmapSave::Saved;
}

bool ARU::ScreenShot() { return ScreenShotTo(nullptr); }

bool ARU::ScreenShotTo(const char* fileName) {
  BeginList("ScreenShot()");
  const int32_t width = static_cast<int32_t>(screenWidth);
  const int32_t height = static_cast<int32_t>(screenHeight);
  // The front-buffer copy always arrives as A8R8G8B8 in a system-memory surface, whatever the
  // back buffer's format (a scratch surface cannot receive it: the device cannot reach one).
  // Full screen it is the screen; windowed it is the whole desktop with the picture at the
  // window's client area, which is cut out of it. The surface also reaches as far as the
  // picture does, for a picture larger than the part of the desktop right of and below it.
  int32_t grabWidth = width;
  int32_t grabHeight = height;
  POINT origin{0, 0};
  D3DDISPLAYMODE desktop{};
  if (!fullScreen && direct3D != nullptr && SUCCEEDED(direct3D->GetAdapterDisplayMode(adapter, &desktop))) {
    if (window != nullptr) ClientToScreen(window, &origin);
    grabWidth = std::max(static_cast<int32_t>(desktop.Width), static_cast<int32_t>(origin.x) + width);
    grabHeight = std::max(static_cast<int32_t>(desktop.Height), static_cast<int32_t>(origin.y) + height);
  }
  IDirect3DSurface9* surface = nullptr;
  const HRESULT created = device == nullptr ? E_FAIL
                                            : device->CreateOffscreenPlainSurface(
                                                  grabWidth, grabHeight, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                  &surface, nullptr);
  if (Direct3DResult(created) || surface == nullptr) {
    Line("Failed to create an image surface.");
    EndList();
    return false;
  }
  Line("Created an image surface.");

  if (Direct3DResult(device->GetFrontBufferData(0, surface))) {
    surface->Release();
    Line("Failed to grab the front buffer.");
    EndList();
    return false;
  }
  Line("Grabbed the front buffer.");

  const size_t pixelBytes = static_cast<size_t>(width) * height * 3;
  std::unique_ptr<uint8_t[]> pixels;
  std::unique_ptr<uint8_t[]> area;
  try {
    area.reset(new uint8_t[static_cast<size_t>(width) * height * 4]);
    pixels.reset(new uint8_t[pixelBytes + 1]);
    MemorySize("Allocated memory for bitmap ", static_cast<uint32_t>(pixelBytes + 1));
  } catch (const std::exception& caught) {
    surface->Release();
    Exception(caught);
    Value("ScreenShot(): <font color=\"red\">Could not allocate memory for bitmap bits.</font>", true);
    EndList();
    return false;
  }

  D3DLOCKED_RECT locked{};
  if (Direct3DResult(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)) || locked.pBits == nullptr) {
    surface->Release();
    Value("<font color=\"red\">ScreenShot() Failed:</font> Failed to lock rectangle.", true);
    EndList();
    return false;
  }
  Line("Locked rectangle successfully.");
  D3DSURFACE_DESC description{};
  surface->GetDesc(&description);
  const bool copied = description.Format == D3DFMT_A8R8G8B8;
  if (copied) {
    CutOutArea(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, grabWidth, grabHeight, origin.x, origin.y,
               width, height, area.get());
    CopyPixelsBottomUp(area.get(), width * 4, D3DFMT_A8R8G8B8, width, height, pixels.get());
  }
  Line(Direct3DResult(surface->UnlockRect()) ? "Could not unlock rectangle." : "Unlocked rectangle.");
  surface->Release();
  Line("Safe released surface.");
  if (!copied) {
    Value("<font color=\"red\">ScreenShot() Failed:</font> The front buffer's pixel format cannot be saved.", true);
    EndList();
    return false;
  }

  std::string name;
  if (fileName != nullptr) {
    name = fileName;
  } else {
    bool plainExisted = false;
    name = ChooseScreenShotName(&plainExisted);
    if (plainExisted) {
      Line("\"./base/shots/Shot.bmp\" filename already exists. Lets find a new one shall we?");
      Line(("Settled on filename \"" + name + "\".").c_str());
    }
  }

  const BitmapSave saved = SaveBitmapFile(name, width, height, pixels.get());
  if (saved == BitmapSave::NotCreated) {
    Value("<font color=\"red\">ScreenShot() Failed:</font> Could not create the bitmap file.", true);
    EndList();
    return false;
  }
  Line("Opened bitmap for write binary mode.");
  if (saved == BitmapSave::NotWritten) {
    Value("<font color=\"red\">ScreenShot() Failed:</font> Could not write the bitmap file.", true);
    EndList();
    return false;
  }
  Line(("Wrote screenshot to file \"" + name + "\".").c_str());
  pixels.reset();
  Line("Safe deleted byte array.");
  EndList();
  return true;
}
