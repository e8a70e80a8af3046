// Generated test data of the viewer: textures with patterns that show orientation and filtering
// (bricks, a checkerboard, a banded ball, stripes) and a small paddle-like .x model.
#include "viewer_data.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <vector>

#include "core/screenshot.h"

namespace viewer {
namespace {

using Pattern = std::function<uint32_t(int x, int y)>;  // 0xRRGGBB at (x, y), y from the top

bool WriteBitmap(const std::string& path, int size, const Pattern& pattern) {
  std::vector<uint8_t> bytes(kBitmapHeaderSize + static_cast<size_t>(size) * size * 3);
  WriteBitmapHeader(bytes.data(), size, size);
  uint8_t* out = bytes.data() + kBitmapHeaderSize;
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const uint32_t rgb = pattern(x, y);
      *out++ = static_cast<uint8_t>(rgb);
      *out++ = static_cast<uint8_t>(rgb >> 8);
      *out++ = static_cast<uint8_t>(rgb >> 16);
    }
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.good();
}

uint32_t Bricks(int x, int y) {
  const int row = y / 16;
  const int shifted = x + (row % 2) * 16;
  const bool mortar = y % 16 < 2 || shifted % 32 < 2;
  return mortar ? 0xD8D0C0 : (row % 3 == 0 ? 0xA04030 : 0xB85038);
}

uint32_t Checkers(int x, int y) { return ((x / 16 + y / 16) % 2 == 0) ? 0x3060C0 : 0xE0E8F0; }

uint32_t BandedBall(int x, int y) {
  if (y / 16 % 2 == 0) return 0xF0C020;
  return x / 16 % 2 == 0 ? 0xE03020 : 0x202020;
}

uint32_t Stripes(int x, int y) { return ((x + y) / 8 % 2 == 0) ? 0x20B040 : 0xF0F0F0; }

// A box from (-2, -0.5, -0.25) to (2, 0.5, 0.25): the front face is striped, the back face
// wooden-looking bricks, and the four sides untextured with a plain red material.
const char* const kModel = R"(xof 0302txt 0032
Frame Paddle {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
  Mesh PaddleBox {
    24;
    -2.0;0.5;-0.25;, 2.0;0.5;-0.25;, 2.0;-0.5;-0.25;, -2.0;-0.5;-0.25;,
    2.0;0.5;0.25;, -2.0;0.5;0.25;, -2.0;-0.5;0.25;, 2.0;-0.5;0.25;,
    -2.0;0.5;0.25;, 2.0;0.5;0.25;, 2.0;0.5;-0.25;, -2.0;0.5;-0.25;,
    -2.0;-0.5;-0.25;, 2.0;-0.5;-0.25;, 2.0;-0.5;0.25;, -2.0;-0.5;0.25;,
    -2.0;0.5;0.25;, -2.0;0.5;-0.25;, -2.0;-0.5;-0.25;, -2.0;-0.5;0.25;,
    2.0;0.5;-0.25;, 2.0;0.5;0.25;, 2.0;-0.5;0.25;, 2.0;-0.5;-0.25;;
    12;
    3;0,1,2;, 3;0,2,3;,
    3;4,5,6;, 3;4,6,7;,
    3;8,9,10;, 3;8,10,11;,
    3;12,13,14;, 3;12,14,15;,
    3;16,17,18;, 3;16,18,19;,
    3;20,21,22;, 3;20,22,23;;
    MeshTextureCoords {
      24;
      0.0;0.0;, 4.0;0.0;, 4.0;1.0;, 0.0;1.0;,
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;,
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;,
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;,
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;,
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;;
    }
    MeshMaterialList {
      3;
      12;
      0,0,1,1,2,2,2,2,2,2,2,2;
      Material {
        1.0;1.0;1.0;1.0;;
        20.0;
        0.5;0.5;0.5;;
        0.0;0.0;0.0;;
        TextureFilename { "stripes.bmp"; }
      }
      Material {
        1.0;1.0;1.0;1.0;;
        10.0;
        0.0;0.0;0.0;;
        0.0;0.0;0.0;;
        TextureFilename { "wall.bmp"; }
      }
      Material {
        0.9;0.2;0.1;1.0;;
        5.0;
        0.0;0.0;0.0;;
        0.0;0.0;0.0;;
      }
    }
  }
}
)";

}  // namespace

bool WriteTestData(const std::string& folder) {
  const std::string prefix = folder + "/";
  if (!WriteBitmap(prefix + "wall.bmp", 128, Bricks)) return false;
  if (!WriteBitmap(prefix + "floor.bmp", 128, Checkers)) return false;
  if (!WriteBitmap(prefix + "ball.bmp", 128, BandedBall)) return false;
  if (!WriteBitmap(prefix + "stripes.bmp", 64, Stripes)) return false;
  std::ofstream model(prefix + "model.x", std::ios::binary);
  model << kModel;
  return model.good();
}

}  // namespace viewer
