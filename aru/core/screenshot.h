// The pieces of the engine's screenshot that need no device: the 54-byte header of a bottom-up,
// uncompressed 24-bit bitmap, the copy of a 32-bit front-buffer image into its rows, and the
// file names tried under "./base/shots/", and the crash-safe write of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kBitmapHeaderSize = 54;

// File header and information header for a W x H, 24-bit, bottom-up image with unpadded rows.
void WriteBitmapHeader(uint8_t out[kBitmapHeaderSize], int32_t width, int32_t height);

// Copies a top-down image into bottom-up rows of blue, green and red bytes (width x height x 3).
// Rows of the source are `pitch` bytes apart; 32-bit pixels (X8R8G8B8, A8R8G8B8) are copied,
// 16-bit ones (R5G6B5, X1R5G5B5, A1R5G5B5) widened. Returns false for any other format.
bool CopyPixelsBottomUp(const uint8_t* source, int32_t pitch, uint32_t format, int32_t width, int32_t height,
                        uint8_t* out);

// Copies the width x height area whose top-left corner is at (left, top) out of a top-down
// 32-bit picture of sourceWidth x sourceHeight (rows `pitch` bytes apart) into `out`, top-down
// with rows of width * 4 bytes. Whatever of the area lies outside the picture is opaque black.
void CutOutArea(const uint8_t* source, int32_t pitch, int32_t sourceWidth, int32_t sourceHeight, int32_t left,
                int32_t top, int32_t width, int32_t height, uint8_t* out);

// "./base/shots/Shot.bmp" for -1, "./base/shots/Shot<n>.bmp" otherwise.
std::string ScreenShotName(int32_t number);

// The first name that does not exist: Shot.bmp, then Shot0.bmp .. Shot512.bmp; Shot512.bmp (to be
// overwritten) when all exist. `plainExisted` tells whether Shot.bmp was already there.
std::string ChooseScreenShotName(bool* plainExisted);

enum class BitmapSave { Saved, NotCreated, NotWritten };

// Writes the header and the width x height x 3 bytes of pixels to `name` through a file beside
// it that replaces it only when complete and on disk: a crash leaves the old file or the new one.
BitmapSave SaveBitmapFile(const std::string& name, int32_t width, int32_t height, const uint8_t* pixels);
