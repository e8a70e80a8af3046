// The configuration tool's fixed rules: which display-mode sizes it offers, the labels of its
// lists, and the capability report's lines and verdict.
#include <gtest/gtest.h>

#include "capability_report.h"
#include "config_tables.h"

namespace aruconfig {
namespace {

TEST(ConfigTables, OffersOnlyTheThreeClassicSizesAndLargeModes) {
  struct Case {
    UINT width, height;
    bool offered;
  };
  const Case cases[] = {{800, 600, true},    {1024, 768, true},   {1280, 1024, true},  {1600, 1200, true},
                        {2560, 1600, true},  {640, 480, false},   {1280, 720, false},  {1280, 960, false},
                        {1920, 1080, false}, {1152, 864, false},  {1599, 1200, false}, {1600, 1199, false},
                        {800, 601, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsOfferedModeSize(c.width, c.height), c.offered) << c.width << "x" << c.height;
  }
}

TEST(ConfigTables, LabelsUseTheDialogsFormats) {
  EXPECT_EQ(ModeLabel(D3DDISPLAYMODE{1024, 768, 85, D3DFMT_X8R8G8B8}), "1024x768@85hz");
  EXPECT_EQ(ModeLabel(D3DDISPLAYMODE{1280, 1024, 0, D3DFMT_X8R8G8B8}), "1280x1024@0hz");
  EXPECT_EQ(NonMaskingLabel(3), "3X NonMasking");
  EXPECT_EQ(SamplesLabel(4), "4 Samples");
}

TEST(ConfigTables, ColourFormatRowsPairDisplayAndBackBufferFormats) {
  ASSERT_EQ(kColourFormats.size(), 5u);
  EXPECT_EQ(kColourFormats[1].display, D3DFMT_X8R8G8B8);
  EXPECT_EQ(kColourFormats[1].backBuffer, D3DFMT_A8R8G8B8);
  EXPECT_STREQ(kColourFormats[1].label, "32-bit X8, A8");
  EXPECT_EQ(kColourFormats[3].display, D3DFMT_X1R5G5B5);
  EXPECT_EQ(kColourFormats[3].backBuffer, D3DFMT_A1R5G5B5);
  EXPECT_EQ(kColourFormats[4].display, D3DFMT_R5G6B5);
  EXPECT_STREQ(kColourFormats[4].label, "16-bit");
}

TEST(CapabilityReport, ADeviceWithEveryCapabilityListsThemAllInOrder) {
  D3DCAPS9 caps{};
  caps.MaxActiveLights = 0xFFFFFFFFu;
  caps.MaxPointSize = 256.0f;
  caps.MaxTextureWidth = 8192;
  caps.MaxTextureHeight = 4096;
  caps.MaxPrimitiveCount = 65535;
  caps.TextureCaps = ~static_cast<DWORD>(D3DPTEXTURECAPS_SQUAREONLY);
  caps.DevCaps = D3DDEVCAPS_NPATCHES | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION |
                 D3DDEVCAPS_PUREDEVICE;
  caps.ShadeCaps = 0xFFFFFFFFu;
  caps.VertexProcessingCaps = 0xFFFFFFFFu;
  CapabilityReport report = BuildCapabilityReport(caps);
  const std::vector<std::string> expected = {
      "Maximum Active Lights: Unlimited",
      "Maximum Point Vertex size: 256.00",
      "Device supports point sprites.",
      "Maximum Texture Size: 8192x4096",
      "Maximum Primatives in one call: 65535",
      "Device supports non-square textures.",
      "Device supports Cube Mapping.",
      "Device supports Volume Mapping",
      "Alpha in texture pixels is supported.",
      "Device can draw alpha from texture palettes.",
      "Cube texture maps dimensions must be powers of 2.",
      "Device supports mipmapped cube textures.",
      "Device supports mipmapped textures.",
      "Device supports mipmapped volume textures.",
      "Perspective correction texturing is supported.",
      "Device supports N Patches.",
      "Device supports hardware TNL.",
      "Hardware acceleration.",
      "Supports pure device.",
      "Supports alpha component for Gouraud-blended transparency.",
      "Device supports Gouraud shading.",
      "Device supports Gouraud shading of fog.",
      "Supports Gouraud shading of specular highlights.",
      "Device supports directional lights.",
      "Device supports local viewer.",
      "Device supports selectable vertex color sources.",
      "Device supports positional lights.",
      "Device can generate texture coordinates.",
      "Device supports vertex tweening.",
      "This device meets all requirements.",
  };
  EXPECT_EQ(report.lines, expected);
  EXPECT_TRUE(report.meetsRequirements);
  EXPECT_TRUE(report.pureDevice);
}

TEST(CapabilityReport, ADeviceWithNothingFailsTheRequirements) {
  CapabilityReport report = BuildCapabilityReport(D3DCAPS9{});
  const std::vector<std::string> expected = {
      "Maximum Active Lights: 0",
      "Maximum Point Vertex size:  0.00",
      "Device does not support point sprites!",
      "Maximum Texture Size: 0x0",
      "Maximum Primatives in one call: 0",
      "Device supports non-square textures.",
      "Device doesn't support Hardware TNL.",
      "Device doesn't support hardware acceleration.",
      "This device is missing one or more required features.",
  };
  EXPECT_EQ(report.lines, expected);
  EXPECT_FALSE(report.meetsRequirements);
  EXPECT_FALSE(report.pureDevice);
}

TEST(CapabilityReport, SquareOnlyTexturesFailEvenWithPointSprites) {
  D3DCAPS9 caps{};
  caps.MaxPointSize = 64.0f;
  caps.MaxActiveLights = 8;
  caps.TextureCaps = D3DPTEXTURECAPS_SQUAREONLY;
  CapabilityReport report = BuildCapabilityReport(caps);
  EXPECT_EQ(report.lines[0], "Maximum Active Lights: 8");
  EXPECT_EQ(report.lines[2], "Device supports point sprites.");
  EXPECT_EQ(report.lines[5], "Fatal: Textures must always be square!");
  EXPECT_EQ(report.lines.back(), "This device is missing one or more required features.");
  EXPECT_FALSE(report.meetsRequirements);
}

TEST(CapabilityReport, APointSizeOfExactlyOneIsNoPointSprite) {
  D3DCAPS9 caps{};
  caps.MaxPointSize = 1.0f;
  EXPECT_EQ(BuildCapabilityReport(caps).lines[2], "Device does not support point sprites!");
  caps.MaxPointSize = 1.5f;
  EXPECT_EQ(BuildCapabilityReport(caps).lines[2], "Device supports point sprites.");
}

}  // namespace
}  // namespace aruconfig
