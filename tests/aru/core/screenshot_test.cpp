// The screenshot: the bitmap's header and pixel rows, the file-name sequence under
// "./base/shots/", a whole screenshot of the null device's front buffer, and the logged failure
// when the folder is missing.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "aru/services/service_engine.h"
#include "aru/test_support.h"
#include "core/screenshot.h"

using testing_support::ReadFile;
using testing_support::ScopedCurrentDirectory;
using testing_support::ServiceEngine;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}
uint16_t U16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

TEST(ScreenShotBitmap, HeaderDescribesABottomUp24BitImage) {
  uint8_t raw[kBitmapHeaderSize];
  WriteBitmapHeader(raw, 640, 480);
  const std::string header(reinterpret_cast<const char*>(raw), sizeof raw);
  EXPECT_EQ(header.substr(0, 2), "BM");
  EXPECT_EQ(U32(header, 2), 640u * 480 * 3 + 54);
  EXPECT_EQ(U32(header, 6), 0u);
  EXPECT_EQ(U32(header, 10), 54u);
  EXPECT_EQ(U32(header, 14), 40u);
  EXPECT_EQ(U32(header, 18), 640u);
  EXPECT_EQ(U32(header, 22), 480u);
  EXPECT_EQ(U16(header, 26), 1u);
  EXPECT_EQ(U16(header, 28), 24u);
  EXPECT_EQ(U32(header, 30), 0u);
  EXPECT_EQ(U32(header, 34), 640u * 480 * 3);
  for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(U32(header, at), 0u) << at;
}

TEST(ScreenShotBitmap, RowsRunFromTheBottomAndPixelsAreBlueGreenRed) {
  // 2 x 2 pixels of X8R8G8B8, top row first.
  const uint32_t pixels[4] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
  uint8_t out[12];
  ASSERT_TRUE(CopyPixelsBottomUp(reinterpret_cast<const uint8_t*>(pixels), 8, D3DFMT_X8R8G8B8, 2, 2, out));
  const uint8_t expected[12] = {0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0x33, 0x22, 0x11, 0x66, 0x55, 0x44};
  EXPECT_EQ(memcmp(out, expected, sizeof out), 0);
}

TEST(ScreenShotBitmap, SixteenBitPixelsAreWidenedAndOtherFormatsRefused) {
  const uint16_t pixels[2] = {0xF800, 0x001F};  // R5G6B5 red, blue
  uint8_t out[6];
  ASSERT_TRUE(CopyPixelsBottomUp(reinterpret_cast<const uint8_t*>(pixels), 4, D3DFMT_R5G6B5, 2, 1, out));
  const uint8_t expected[6] = {0, 0, 255, 255, 0, 0};
  EXPECT_EQ(memcmp(out, expected, sizeof out), 0);
  EXPECT_FALSE(CopyPixelsBottomUp(reinterpret_cast<const uint8_t*>(pixels), 4, D3DFMT_A4R4G4B4, 2, 1, out));
}

class ScreenShotFiles : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(temp.path() / "base/shots"); }
  void Touch(const std::string& name) { WriteFile(temp.File(name), "x"); }

  TempDir temp;
  ScopedCurrentDirectory inTemp{temp.path()};
};

// A 4 x 3 source whose pixel (x, y) holds x + 10 * y + 1 in its first byte.
std::vector<uint8_t> NumberedSource() {
  std::vector<uint8_t> source(4 * 3 * 4, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) source[(y * 4 + x) * 4] = static_cast<uint8_t>(x + 10 * y + 1);
  }
  return source;
}

TEST(ScreenShotArea, TheWindowIsCutOutOfTheDesktopAndWhatLiesOutsideIsBlack) {
  const std::vector<uint8_t> source = NumberedSource();
  std::vector<uint8_t> out(2 * 2 * 4, 0x55);
  CutOutArea(source.data(), 16, 4, 3, 1, 1, 2, 2, out.data());
  EXPECT_EQ(out[0], 12);
  EXPECT_EQ(out[4], 13);
  EXPECT_EQ(out[8], 22);
  EXPECT_EQ(out[12], 23);

  // Hanging over the right and bottom edges, and over the left and top edges.
  CutOutArea(source.data(), 16, 4, 3, 3, 2, 2, 2, out.data());
  EXPECT_EQ(out[0], 24);
  for (size_t pixel : {1u, 2u, 3u}) {
    EXPECT_EQ(out[pixel * 4], 0) << pixel;
    EXPECT_EQ(out[pixel * 4 + 3], 0xFF) << "opaque black, pixel " << pixel;
  }
  CutOutArea(source.data(), 16, 4, 3, -1, -1, 2, 2, out.data());
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[8], 0);
  EXPECT_EQ(out[12], 1);
  // Entirely outside: all black, nothing read.
  CutOutArea(source.data(), 16, 4, 3, 9, 0, 2, 2, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}));
}

TEST_F(ScreenShotFiles, NamesRunShotThenShot0Shot1) {
  bool plainExisted = true;
  EXPECT_EQ(ChooseScreenShotName(&plainExisted), "./base/shots/Shot.bmp");
  EXPECT_FALSE(plainExisted);
  Touch("base/shots/Shot.bmp");
  EXPECT_EQ(ChooseScreenShotName(&plainExisted), "./base/shots/Shot0.bmp");
  EXPECT_TRUE(plainExisted);
  Touch("base/shots/Shot0.bmp");
  EXPECT_EQ(ChooseScreenShotName(&plainExisted), "./base/shots/Shot1.bmp");
  // A gap is filled first.
  Touch("base/shots/Shot2.bmp");
  Touch("base/shots/Shot1.bmp");
  EXPECT_EQ(ChooseScreenShotName(&plainExisted), "./base/shots/Shot3.bmp");
}

TEST_F(ScreenShotFiles, WhenAllNamesAreTakenTheLastIsOverwritten) {
  Touch("base/shots/Shot.bmp");
  for (int n = 0; n <= 512; ++n) Touch("base/shots/Shot" + std::to_string(n) + ".bmp");
  bool plainExisted = false;
  EXPECT_EQ(ChooseScreenShotName(&plainExisted), "./base/shots/Shot512.bmp");
}

// The file replaces an older one whole and leaves nothing beside it; when it cannot take the
// name, the old entry stays as it was and the partial file is gone.
TEST_F(ScreenShotFiles, SavingReplacesTheOldFileWholeOrNotAtAll) {
  const uint8_t pixels[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  WriteFile(temp.File("base/shots/Shot.bmp"), std::string(5000, 'o'));
  ASSERT_EQ(SaveBitmapFile("./base/shots/Shot.bmp", 2, 2, pixels), BitmapSave::Saved);
  const std::string saved = ReadFile(temp.File("base/shots/Shot.bmp"));
  ASSERT_EQ(saved.size(), kBitmapHeaderSize + sizeof pixels);
  EXPECT_EQ(memcmp(saved.data() + kBitmapHeaderSize, pixels, sizeof pixels), 0);

  std::filesystem::create_directories(temp.path() / "base/shots/Shot0.bmp/inside");
  EXPECT_EQ(SaveBitmapFile("./base/shots/Shot0.bmp", 2, 2, pixels), BitmapSave::NotWritten);
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "base/shots/Shot0.bmp/inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path() / "base/shots"),
                          std::filesystem::directory_iterator()), 2);
  EXPECT_EQ(SaveBitmapFile("./base/nowhere/Shot.bmp", 2, 2, pixels), BitmapSave::NotCreated);
}

class ScreenShot : public ScreenShotFiles {
 protected:
  void SetUp() override {
    ASSERT_NE(engine.GetDevice(), nullptr);
    engine.SetBackBufferFormat(D3DFMT_A8R8G8B8);
    logPath = temp.File("log.html");
    engine.SetPath(logPath.c_str());  // the log keeps the pointer
    engine.Open("Test Log", false);
  }
  // Clears the back buffer to a colour and presents it.
  void ShowColour(D3DCOLOR colour) {
    IDirect3DDevice9* device = engine.GetDevice();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
    ASSERT_EQ(engine.PresentScene(), D3D_OK);
  }
  std::string Log() {
    engine.Close(1);
    return ReadFile(logPath);
  }

  std::string logPath;
  ServiceEngine engine{64, 32};
};

TEST_F(ScreenShot, WritesTheFrontBufferAsABitmapAndLogsEachStep) {
  std::filesystem::create_directories(temp.path() / "base/shots");
  ShowColour(0xFF336699);
  ASSERT_TRUE(engine.ScreenShot());
  const std::string file = ReadFile(temp.File("base/shots/Shot.bmp"));
  ASSERT_EQ(file.size(), 54u + 64 * 32 * 3);
  EXPECT_EQ(U32(file, 18), 64u);
  EXPECT_EQ(U32(file, 22), 32u);
  for (size_t at = 54; at < file.size(); at += 3) {
    ASSERT_EQ(static_cast<uint8_t>(file[at]), 0x99) << at;
    ASSERT_EQ(static_cast<uint8_t>(file[at + 1]), 0x66) << at;
    ASSERT_EQ(static_cast<uint8_t>(file[at + 2]), 0x33) << at;
  }
  ASSERT_TRUE(engine.ScreenShot());
  EXPECT_TRUE(std::filesystem::exists(temp.path() / "base/shots/Shot0.bmp"));
  const std::string log = Log();
  for (const char* line : {"ScreenShot()", "Created an image surface.", "Grabbed the front buffer.",
                           "Allocated memory for bitmap ", "Locked rectangle successfully.", "Unlocked rectangle.",
                           "Safe released surface.", "Opened bitmap for write binary mode.",
                           "Wrote screenshot to file \"./base/shots/Shot.bmp\".", "Safe deleted byte array.",
                           "\"./base/shots/Shot.bmp\" filename already exists. Lets find a new one shall we?",
                           "Settled on filename \"./base/shots/Shot0.bmp\"."}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
}

TEST_F(ScreenShot, MissingFolderFailsWithTheLoggedLineAndNoFile) {
  std::filesystem::remove_all(temp.path() / "base");
  ShowColour(0xFF000000);
  EXPECT_FALSE(engine.ScreenShot());
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "base"));
  EXPECT_NE(Log().find("<font color=\"red\">ScreenShot() Failed:</font> Could not create the bitmap file.true"),
            std::string::npos);
}

TEST_F(ScreenShot, ScreenShotToWritesTheNamedFile) {
  ShowColour(0xFFFFFFFF);
  ASSERT_TRUE(engine.ScreenShotTo(temp.File("picture.bmp").c_str()));
  const std::string file = ReadFile(temp.File("picture.bmp"));
  ASSERT_EQ(file.size(), 54u + 64 * 32 * 3);
  EXPECT_EQ(static_cast<uint8_t>(file[60]), 0xFF);
}

TEST_F(ScreenShot, WithoutAConfiguredFormatThePictureIsTakenInTheDesktopFormat) {
  engine.SetBackBufferFormat(D3DFMT_UNKNOWN);
  ShowColour(0xFF102030);
  ASSERT_TRUE(engine.ScreenShotTo(temp.File("unknown.bmp").c_str()));
  const std::string file = ReadFile(temp.File("unknown.bmp"));
  ASSERT_EQ(file.size(), 54u + 64 * 32 * 3);
  EXPECT_EQ(static_cast<uint8_t>(file[54]), 0x30);
  EXPECT_EQ(static_cast<uint8_t>(file[56]), 0x10);
}

TEST_F(ScreenShot, ASixteenBitBackBufferIsSavedFromTheThirtyTwoBitFrontBufferCopy) {
  std::filesystem::create_directories(temp.path() / "base/shots");
  engine.SetBackBufferFormat(D3DFMT_R5G6B5);
  ShowColour(0xFF00FF00);
  ASSERT_TRUE(engine.ScreenShot());
  const std::string file = ReadFile(temp.File("base/shots/Shot.bmp"));
  ASSERT_EQ(file.size(), 54u + 64 * 32 * 3);
  EXPECT_EQ(U16(file, 28), 24u);
  EXPECT_EQ(static_cast<uint8_t>(file[54]), 0x00);
  EXPECT_EQ(static_cast<uint8_t>(file[55]), 0xFF);
  const std::string log = Log();
  EXPECT_NE(log.find("Grabbed the front buffer."), std::string::npos);
  EXPECT_EQ(log.find("Failed to grab the front buffer."), std::string::npos);
}

}  // namespace
