// The file encoders and their checkers: PNG round trips and rejection of damaged files, the
// canonical WAV header and its consistency checks.
#include <gtest/gtest.h>

#include "png_codec.h"
#include "wave.h"

namespace assetgen {
namespace {

Image gradient(int w, int h, bool translucent) {
  Image image{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<uint8_t>(x * 7);
      p[1] = static_cast<uint8_t>(y * 13);
      p[2] = static_cast<uint8_t>((x ^ y) * 5);
      p[3] = translucent ? static_cast<uint8_t>((x + y) * 3) : 255;
    }
  }
  return image;
}

TEST(Png, OpaqueAndTranslucentImagesSurviveARoundTrip) {
  for (bool translucent : {false, true}) {
    const Image original = gradient(37, 19, translucent);
    const std::vector<uint8_t> bytes = encodePng(original);
    EXPECT_EQ(bytes[25], translucent ? 6 : 2) << "colour type: RGBA only when needed";
    Image decoded;
    std::string error;
    ASSERT_TRUE(decodePng(bytes, decoded, error)) << error;
    EXPECT_EQ(decoded.width, 37);
    EXPECT_EQ(decoded.height, 19);
    EXPECT_EQ(decoded.rgba, original.rgba);
  }
}

TEST(Png, EncodingIsReproducible) {
  const Image image = gradient(64, 32, true);
  EXPECT_EQ(encodePng(image), encodePng(image));
}

TEST(Png, DamagedFilesAreRejectedWithAReason) {
  const std::vector<uint8_t> good = encodePng(gradient(16, 16, true));
  Image image;
  std::string error;

  std::vector<uint8_t> bad = good;
  bad[0] = 'X';
  EXPECT_FALSE(decodePng(bad, image, error));
  EXPECT_NE(error.find("signature"), std::string::npos);

  bad = good;
  bad[40] ^= 0xFF;  // inside the image data: the chunk's CRC no longer matches
  EXPECT_FALSE(decodePng(bad, image, error));
  EXPECT_NE(error.find("CRC"), std::string::npos);

  bad.assign(good.begin(), good.begin() + 30);
  EXPECT_FALSE(decodePng(bad, image, error));

  bad = good;
  bad[8] = 0x7F;  // IHDR claims a length far beyond the file
  EXPECT_FALSE(decodePng(bad, image, error));

  EXPECT_FALSE(decodePng({}, image, error));
}

TEST(Png, ImageDataShorterThanTheHeaderPromisesIsRejected) {
  std::vector<uint8_t> bytes = encodePng(gradient(16, 16, false));
  // Claim a taller image than the data holds, keeping the IHDR CRC valid.
  Image tall = gradient(16, 17, false);
  const std::vector<uint8_t> tallBytes = encodePng(tall);
  std::copy(tallBytes.begin() + 8, tallBytes.begin() + 33, bytes.begin() + 8);
  Image image;
  std::string error;
  EXPECT_FALSE(decodePng(bytes, image, error));
  EXPECT_NE(error.find("inflate"), std::string::npos) << error;
}

TEST(Wav, HeaderIsTheCanonicalFortyFourBytes) {
  const std::vector<float> samples = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 2.0f};
  const std::vector<uint8_t> bytes = encodeWav(samples, 22050);
  ASSERT_EQ(bytes.size(), 44u + samples.size() * 2);
  WavInfo info;
  std::string error;
  ASSERT_TRUE(checkWav(bytes, info, error)) << error;
  EXPECT_EQ(info.format, 1);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleRate, 22050u);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.dataBytes, samples.size() * 2);
  const std::vector<float> back = wavSamples(bytes);
  ASSERT_EQ(back.size(), samples.size());
  EXPECT_NEAR(back[1], 0.5f, 1e-3f);
  EXPECT_NEAR(back[5], 1.0f, 1e-3f) << "out-of-range samples are clipped";
  EXPECT_NEAR(back[4], -1.0f, 1e-3f);
}

TEST(Wav, InconsistentHeadersAreRejected) {
  const std::vector<uint8_t> good = encodeWav(std::vector<float>(100, 0.1f));
  WavInfo info;
  std::string error;
  std::vector<uint8_t> bad = good;
  bad.pop_back();  // data size no longer matches the file
  EXPECT_FALSE(checkWav(bad, info, error));
  bad = good;
  bad[32] = 4;  // block align disagrees with mono 16-bit
  EXPECT_FALSE(checkWav(bad, info, error));
  bad = good;
  bad[20] = 3;  // not PCM
  EXPECT_FALSE(checkWav(bad, info, error));
  bad = good;
  std::copy_n("LIST", 4, bad.begin() + 36);  // an extra chunk where "data" must be
  EXPECT_FALSE(checkWav(bad, info, error));
  bad.assign(good.begin(), good.begin() + 40);
  EXPECT_FALSE(checkWav(bad, info, error));
  EXPECT_FALSE(checkWav(encodeWav({}), info, error)) << "no samples";
}

}  // namespace
}  // namespace assetgen
