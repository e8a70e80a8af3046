// PNG files for the textures, through libpng: an encoder (8-bit RGB or RGBA, adaptive row
// filters, no time or text chunks so the bytes depend only on the pixels) and a checking decoder
// used by the tests and the contact sheet to read back what was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

// Writes RGB when every pixel is opaque, RGBA otherwise.
std::vector<uint8_t> encodePng(const Image& image);

// Decodes any PNG into 8-bit RGBA. On failure returns false and says why in `error`; chunk
// CRCs and the image data length are checked.
bool decodePng(const std::vector<uint8_t>& bytes, Image& image, std::string& error);

}  // namespace assetgen
