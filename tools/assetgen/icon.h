// The program icon: the game's ball and paddle on its night-blue plate, painted at the usual
// icon sizes and stored as a .ico file (32-bit images with an AND mask) that the Windows
// resource compiler embeds as icon resource 101, and as PNG files for Linux desktops.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace assetgen {

// Icon sizes written, smallest first.
inline constexpr int kIconSizes[] = {16, 32, 48, 256};
// Sizes of the Linux desktop icons (PNG files in the hicolor theme beside base/).
inline constexpr int kDesktopIconSizes[] = {48, 128, 256};

Image paintIcon(int size);

// One .ico file holding every image (square, at most 256 pixels a side) as a bottom-up BGRA
// bitmap followed by its 1-bit transparency mask.
std::vector<uint8_t> encodeIco(const std::vector<Image>& images);

}  // namespace assetgen
