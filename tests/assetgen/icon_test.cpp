// The program icon file: its directory agrees with the images it holds, pixels are stored
// bottom-up in BGRA order, the AND mask marks exactly the clear pixels, and unusable images are
// refused.
#include <gtest/gtest.h>

#include <stdexcept>

#include "icon.h"

namespace assetgen {
namespace {

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// A 40 x 40 picture: opaque red in the top rows, fully clear in the left column, blue elsewhere.
Image marked() {
  Image image{40, 40, std::vector<uint8_t>(40 * 40 * 4)};
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * 40 + x) * 4];
      const bool top = y < 4;
      p[0] = top ? 255 : 0;
      p[2] = top ? 0 : 255;
      p[3] = x == 0 ? 0 : 255;
    }
  }
  return image;
}

TEST(Icon, DirectoryEntriesPointAtContiguousImagesOfTheirSize) {
  std::vector<Image> images;
  for (int size : kIconSizes) images.push_back(paintIcon(size));
  const std::vector<uint8_t> file = encodeIco(images);
  ASSERT_GE(file.size(), 6u);
  EXPECT_EQ(le16(file, 0), 0u);
  EXPECT_EQ(le16(file, 2), 1u) << "type 1 is an icon";
  ASSERT_EQ(le16(file, 4), images.size());
  size_t expectedOffset = 6 + 16 * images.size();
  for (size_t i = 0; i < images.size(); ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = images[i].width;
    EXPECT_EQ(file[entry], size == 256 ? 0 : size) << "256 is written as 0";
    EXPECT_EQ(le16(file, entry + 6), 32u);
    const uint32_t bytes = le32(file, entry + 8);
    const uint32_t offset = le32(file, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    ASSERT_LE(static_cast<size_t>(offset) + bytes, file.size());
    EXPECT_EQ(le32(file, offset), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(le32(file, offset + 4), static_cast<uint32_t>(size));
    EXPECT_EQ(le32(file, offset + 8), static_cast<uint32_t>(2 * size)) << "colour and mask halves";
    const size_t maskRow = static_cast<size_t>((size + 31) / 32) * 4;
    EXPECT_EQ(bytes, 40 + static_cast<size_t>(size) * size * 4 + maskRow * size);
    expectedOffset += bytes;
  }
  EXPECT_EQ(expectedOffset, file.size());
}

TEST(Icon, PixelsAreBottomUpBgraAndTheMaskMarksClearPixels) {
  const std::vector<uint8_t> file = encodeIco({marked()});
  const size_t pixels = le32(file, 6 + 12) + 40;
  const auto pixel = [&](int x, int rowFromBottom) { return &file[pixels + (rowFromBottom * 40 + x) * 4]; };
  EXPECT_EQ(pixel(5, 39)[2], 255) << "the top (red) row is stored last, red in the third byte";
  EXPECT_EQ(pixel(5, 39)[0], 0);
  EXPECT_EQ(pixel(5, 0)[0], 255) << "the bottom row is blue, first byte";
  const size_t mask = pixels + 40 * 40 * 4;
  const size_t maskRow = 8;  // 40 bits padded to two 32-bit words
  for (int row = 0; row < 40; ++row) {
    EXPECT_EQ(file[mask + row * maskRow], 0x80) << "only the clear left column is masked, row " << row;
    for (size_t b = 1; b < maskRow; ++b) EXPECT_EQ(file[mask + row * maskRow + b], 0);
  }
}

TEST(Icon, PaintedIconHasAnOpaqueCentreAndClearCorners) {
  for (int size : kIconSizes) {
    const Image image = paintIcon(size);
    ASSERT_EQ(image.width, size);
    const auto alpha = [&](int x, int y) { return image.rgba[(static_cast<size_t>(y) * size + x) * 4 + 3]; };
    EXPECT_EQ(alpha(size / 2, size / 2), 255) << size;
    EXPECT_EQ(alpha(0, 0), 0) << size;
  }
}

TEST(Icon, ImagesThatCannotBeIconsAreRefused) {
  EXPECT_THROW(encodeIco({Image{32, 16, std::vector<uint8_t>(32 * 16 * 4)}}), std::invalid_argument);
  EXPECT_THROW(encodeIco({Image{512, 512, std::vector<uint8_t>(512 * 512 * 4)}}), std::invalid_argument);
  EXPECT_THROW(encodeIco({Image{8, 8, std::vector<uint8_t>(10)}}), std::invalid_argument);
}

}  // namespace
}  // namespace assetgen
