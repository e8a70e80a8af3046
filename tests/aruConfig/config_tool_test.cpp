// The configuration tool's start-up and its reactions to the user, against a scripted
// Direct3D object: what the lists hold, which controls are enabled, and what a save writes.
#include <gtest/gtest.h>

#include "test_support.h"

namespace aruconfig::testing {
namespace {

class ConfigToolTest : public ::testing::Test {
 protected:
  void SetUp() override { script->adapters.push_back(StandardAdapter()); }

  void Start(const std::string& file = "") {
    if (!file.empty()) settings.Write(file);
    tool = std::make_unique<ConfigTool>(&model, &prompt, ScriptedFactory(script), settings.path());
    ASSERT_TRUE(tool->Start());
  }

  std::vector<std::string> Texts(int list) const {
    std::vector<std::string> texts;
    for (const ComboItem& item : model.Items(list)) texts.push_back(item.text);
    return texts;
  }

  std::shared_ptr<Direct3DScript> script = std::make_shared<Direct3DScript>();
  ScratchSettings settings;
  RecordingPrompt prompt;
  DialogModel model;
  std::unique_ptr<ConfigTool> tool;
};

TEST_F(ConfigToolTest, StartFillsTheListsAndSelectsTheirFirstItems) {
  Start();
  EXPECT_EQ(model.control(kStatusText).text, kBanner);
  EXPECT_EQ(Texts(kAdapterList), std::vector<std::string>{"Scripted adapter"});
  EXPECT_EQ(Texts(kDeviceList), std::vector<std::string>{"Hardware Rasterizer (HAL)"});
  EXPECT_EQ(model.SelectedValue(kDeviceList), D3DDEVTYPE_HAL);
  EXPECT_EQ(Texts(kFormatList).size(), 5u);
  // 640x480 is never offered; the item value is the mode's index among the format's modes.
  EXPECT_EQ(Texts(kModeList),
            (std::vector<std::string>{"800x600@60hz", "1024x768@60hz", "1280x1024@60hz", "1024x768@85hz"}));
  EXPECT_EQ(model.Items(kModeList)[0].value, 1);
  EXPECT_EQ(model.Items(kModeList)[3].value, 4);
  EXPECT_EQ(Texts(kFilterList), (std::vector<std::string>{"Anisotropic (Great)", "Linear Filter (Good)"}));
  for (int list : {kAdapterList, kDeviceList, kFormatList, kModeList, kFilterList}) {
    EXPECT_EQ(model.Selection(list), 0) << list;
  }
  EXPECT_EQ(model.report.back(), "This device meets all requirements.");
  EXPECT_TRUE(model.control(kFullScreenCheck).checked);  // the default when the file says nothing
  EXPECT_TRUE(model.control(kLaunchButton).enabled);
  EXPECT_FALSE(model.control(kPureDeviceCheck).enabled);
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ConfigToolTest, DeviceTypesAreThoseWhoseCapsCanBeRead) {
  script->adapters[0].devices[D3DDEVTYPE_SW] = GoodCaps();
  Start();
  EXPECT_EQ(Texts(kDeviceList),
            (std::vector<std::string>{"Hardware Rasterizer (HAL)", "Software Rasterizer (SW)"}));
  EXPECT_EQ(model.Items(kDeviceList)[1].value, D3DDEVTYPE_SW);
}

TEST_F(ConfigToolTest, PureDeviceIsEnabledOnlyForADeviceThatOffersIt) {
  D3DCAPS9 pure = GoodCaps();
  pure.DevCaps |= D3DDEVCAPS_PUREDEVICE;
  script->adapters[0].devices[D3DDEVTYPE_REF] = pure;
  Start("[ARU]\nHasPure=1\n");
  EXPECT_FALSE(model.control(kPureDeviceCheck).enabled);
  tool->OnListChanged(kDeviceList, 1);
  EXPECT_TRUE(model.control(kPureDeviceCheck).enabled);
  tool->Save();
  EXPECT_EQ(settings.Value("HasPure"), "1");
  tool->OnListChanged(kDeviceList, 0);
  tool->Save();
  EXPECT_EQ(settings.Value("HasPure"), "0");  // checked but disabled
}

TEST_F(ConfigToolTest, FormatsAreCheckedWithWindowedOppositeToFullScreen) {
  script->adapters[0].acceptsFormat = [](D3DFORMAT display, D3DFORMAT backBuffer, BOOL windowed) {
    return !windowed || (display == D3DFMT_X8R8G8B8 && backBuffer == D3DFMT_X8R8G8B8);
  };
  Start("[ARU]\nFullScreen=0\n");
  EXPECT_EQ(Texts(kFormatList), std::vector<std::string>{"32-bit X8, X8"});
  tool->OnCheckChanged(kFullScreenCheck, true);
  EXPECT_EQ(Texts(kFormatList).size(), 5u);
  EXPECT_EQ(model.Selection(kFormatList), 0);
  EXPECT_EQ(model.Selection(kDeviceList), 0);
}

TEST_F(ConfigToolTest, FullScreenKeepsTheFilterChoiceButOtherChangesResetIt) {
  Start();
  tool->OnListChanged(kFilterList, 1);
  tool->OnCheckChanged(kFullScreenCheck, false);
  EXPECT_EQ(model.Selection(kFilterList), 1);
  tool->OnListChanged(kModeList, 2);
  EXPECT_EQ(model.Selection(kFilterList), 0);
}

TEST_F(ConfigToolTest, OnlySmallModesGiveAnEmptyModeList) {
  ScriptedAdapter& adapter = script->adapters[0];
  adapter.modes = {Mode(640, 480, 60), Mode(720, 480, 60), Mode(1280, 720, 60), Mode(1920, 1080, 60)};
  Start();
  EXPECT_TRUE(model.Items(kModeList).empty());
  EXPECT_EQ(model.Selection(kModeList), kNoSelection);
  tool->Save();
  EXPECT_EQ(settings.Value("Resolution"), "-1");
  EXPECT_EQ(settings.Value("ResIndex"), "-1");
}

TEST_F(ConfigToolTest, TestButtonIsShownOnlyWhenTheFileAsksForIt) {
  Start();
  EXPECT_FALSE(model.control(kTestButton).visible);
  tool.reset();
  Start("[ARU]\nTest=0\n");
  EXPECT_FALSE(model.control(kTestButton).visible);
  tool.reset();
  Start("[ARU]\nTest=1\n");
  EXPECT_TRUE(model.control(kTestButton).visible);
}

TEST_F(ConfigToolTest, AFailedRequirementDisablesLaunchForTheRestOfTheRun) {
  ScriptedAdapter noSprites = StandardAdapter();
  noSprites.description = "No sprites";
  noSprites.devices[D3DDEVTYPE_HAL].MaxPointSize = 1.0f;
  script->adapters.push_back(noSprites);
  Start();
  tool->OnListChanged(kAdapterList, 1);
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
  EXPECT_EQ(model.report.back(), "This device is missing one or more required features.");
  tool->OnListChanged(kAdapterList, 0);
  EXPECT_EQ(model.report.back(), "This device meets all requirements.");
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
  tool->OnCheckChanged(kFullScreenCheck, false);
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
}

TEST_F(ConfigToolTest, SquareOnlyTexturesOnAnotherDeviceTypeDisableLaunch) {
  D3DCAPS9 square = GoodCaps();
  square.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  script->adapters[0].devices[D3DDEVTYPE_REF] = square;
  Start();
  tool->OnListChanged(kDeviceList, 1);
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
  tool->OnListChanged(kDeviceList, 0);
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
}

TEST_F(ConfigToolTest, ABadFirstDeviceStillLeavesLaunchEnabledAtStart) {
  script->adapters[0].devices[D3DDEVTYPE_HAL].MaxPointSize = 0.0f;
  Start();
  EXPECT_TRUE(model.control(kLaunchButton).enabled);
  tool->OnListChanged(kModeList, 1);  // does not re-check the device
  EXPECT_TRUE(model.control(kLaunchButton).enabled);
  tool->OnListChanged(kFormatList, 1);  // re-checks with the report of the first device
  EXPECT_FALSE(model.control(kLaunchButton).enabled);
}

TEST_F(ConfigToolTest, ChangingTheColourFormatKeepsTheModeByItsText) {
  Start();
  tool->OnListChanged(kModeList, 0);  // 800x600@60hz
  tool->OnListChanged(kFormatList, 4);  // 16-bit R5G6B5
  EXPECT_EQ(model.SelectedText(kModeList), "800x600@60hz");
  EXPECT_EQ(model.SelectedValue(kModeList), 1);

  tool->OnListChanged(kFormatList, 0);
  tool->OnListChanged(kModeList, 3);  // 1024x768@85hz exists only in 32 bits
  tool->OnListChanged(kFormatList, 4);
  EXPECT_EQ(model.Selection(kModeList), kNoSelection);
  EXPECT_EQ(Texts(kModeList).size(), 3u);
}

TEST_F(ConfigToolTest, ChangingToAFormatWithoutModesEmptiesTheModeList) {
  Start();
  tool->OnListChanged(kFormatList, 2);  // X1R5G5B5: the adapter has no such modes
  EXPECT_TRUE(model.Items(kModeList).empty());
  EXPECT_EQ(model.Selection(kModeList), kNoSelection);
}

TEST_F(ConfigToolTest, AntiAliasListOffersNonMaskingLevelsThenSampleCounts) {
  Start("[ARU]\nFullScreen=0\nUseAA=1\nAAIndex=3\n");
  EXPECT_EQ(Texts(kAntiAliasList),
            (std::vector<std::string>{"1X NonMasking", "2X NonMasking", "2 Samples", "4 Samples"}));
  const std::vector<AntiAliasEntry>& table = tool->antiAliasTable();
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[1].quality1, 2u);
  EXPECT_EQ(table[1].sampleType, 1u);
  EXPECT_EQ(table[3].quality1, 1u);
  EXPECT_EQ(table[3].sampleType, 4u);
  EXPECT_EQ(model.Selection(kAntiAliasList), 3);
  EXPECT_TRUE(model.control(kAntiAliasCheck).enabled);
  for (BOOL windowed : script->multisampleWindowed) EXPECT_TRUE(windowed);

  tool->Save();
  EXPECT_EQ(settings.Value("UseAA"), "1");
  EXPECT_EQ(settings.Value("Samples"), "4");
  EXPECT_EQ(settings.Value("Quality1"), "1");
  EXPECT_EQ(settings.Value("Quality2"), "1");
  EXPECT_EQ(settings.Value("AAIndex"), "3");
}

TEST_F(ConfigToolTest, NoMultisampleSupportDisablesAntiAliasAndKeepsTheSavedEntry) {
  script->adapters[0].multisampleLevels.clear();
  Start("[ARU]\nUseAA=1\nSamples=4\nQuality1=2\nQuality2=3\nAAIndex=2\n");
  EXPECT_TRUE(model.Items(kAntiAliasList).empty());
  EXPECT_FALSE(model.control(kAntiAliasCheck).enabled);
  EXPECT_FALSE(model.control(kAntiAliasList).enabled);
  EXPECT_TRUE(model.control(kAntiAliasCheck).checked);
  tool->Save();
  EXPECT_EQ(settings.Value("UseAA"), "0");
  EXPECT_EQ(settings.Value("Samples"), "4");
  EXPECT_EQ(settings.Value("Quality1"), "2");
  EXPECT_EQ(settings.Value("Quality2"), "3");
  EXPECT_EQ(settings.Value("AAIndex"), "2");
}

TEST_F(ConfigToolTest, MultisampleNeedsBothTheDepthAndTheBackBufferFormat) {
  // Levels differ by surface only through the scripted table, so a type missing from it is
  // refused for both; a type present for both is offered with the smaller level count.
  script->adapters[0].multisampleLevels = {{D3DMULTISAMPLE_8_SAMPLES, 2}};
  Start();
  EXPECT_EQ(Texts(kAntiAliasList), std::vector<std::string>{"8 Samples"});
  EXPECT_EQ(tool->antiAliasTable()[0].quality1, 2u);
  EXPECT_EQ(tool->antiAliasTable()[0].sampleType, 8u);
}

TEST_F(ConfigToolTest, SaveWritesEveryKeyInOrder) {
  script->adapters[0].textureFormats = {D3DFMT_DXT1, D3DFMT_DXT3};
  Start("[ARU]\nTest=1\n");
  tool->OnListChanged(kModeList, 2);
  tool->OnCheckChanged(kShowFpsCheck, true);
  tool->OnListChanged(kFilterList, 1);
  tool->Save();
  const std::vector<std::string> expected = {
      "Test",      "Adapter",  "Device",   "Format",    "BackBuffer", "UseAA",     "Samples",   "Quality1",
      "Quality2",  "AAIndex",  "FullScreen", "ShowFPS", "Resolution", "ResIndex", "FormIndex", "DevIndex",
      "AdapIndex", "IsSetup",  "HasPure",  "DXTN",      "Filter",     "FiltIndex"};
  EXPECT_EQ(settings.Keys(), expected);
  EXPECT_EQ(settings.Value("Device"), "1");
  EXPECT_EQ(settings.Value("Format"), "22");
  EXPECT_EQ(settings.Value("BackBuffer"), "22");
  EXPECT_EQ(settings.Value("UseAA"), "0");
  EXPECT_EQ(settings.Value("Samples"), "1");  // the first entry, non-masking level 1
  EXPECT_EQ(settings.Value("FullScreen"), "1");
  EXPECT_EQ(settings.Value("ShowFPS"), "1");
  EXPECT_EQ(settings.Value("Resolution"), "3");
  EXPECT_EQ(settings.Value("ResIndex"), "2");
  EXPECT_EQ(settings.Value("IsSetup"), "1");
  EXPECT_EQ(settings.Value("DXTN"), "3");
  EXPECT_EQ(settings.Value("Filter"), "2");
  EXPECT_EQ(settings.Value("FiltIndex"), "1");
}

TEST_F(ConfigToolTest, TheSecondColourRowSavesItsAlphaBackBuffer) {
  Start();
  tool->OnListChanged(kFormatList, 1);
  tool->Save();
  EXPECT_EQ(settings.Value("Format"), "22");
  EXPECT_EQ(settings.Value("BackBuffer"), "21");
  EXPECT_EQ(settings.Value("FormIndex"), "1");
  EXPECT_EQ(settings.Value("DXTN"), "0");
}

TEST_F(ConfigToolTest, SavedSelectionsAreRestoredAtStart) {
  Start("[ARU]\nFormIndex=4\nFiltIndex=1\nResIndex=2\nShowFPS=1\nFullScreen=0\n");
  EXPECT_EQ(model.Selection(kFormatList), 4);
  EXPECT_EQ(model.Selection(kFilterList), 1);
  EXPECT_EQ(model.Selection(kModeList), 2);
  EXPECT_TRUE(model.control(kShowFpsCheck).checked);
  EXPECT_FALSE(model.control(kFullScreenCheck).checked);
}

TEST_F(ConfigToolTest, IndicesBeyondTheListsKeepTheFirstItems) {
  Start("[ARU]\nAdapIndex=99\nResIndex=-1\nDevIndex=5\nFormIndex=-3\nAAIndex=40\nFiltIndex=2\n");
  for (int list : {kAdapterList, kDeviceList, kFormatList, kModeList, kAntiAliasList, kFilterList}) {
    EXPECT_EQ(model.Selection(list), 0) << list;
  }
  tool->Save();
  EXPECT_EQ(settings.Value("Adapter"), "0");
  EXPECT_EQ(settings.Value("Device"), "1");
}

TEST_F(ConfigToolTest, AGarbageFileReadsAsDefaults) {
  Start("\x01\x02 not a settings file\n[ARU\nFullScreen\n=5\nAdapIndex=abc\n");
  EXPECT_TRUE(model.control(kFullScreenCheck).checked);
  EXPECT_EQ(model.Selection(kAdapterList), 0);
  tool->Save();
  EXPECT_EQ(settings.Value("IsSetup"), "1");
}

TEST_F(ConfigToolTest, AnUnwritableSettingsPathIsNotAnError) {
  tool = std::make_unique<ConfigTool>(&model, &prompt, ScriptedFactory(script),
                                      (settings.folder() / "missing" / "config.cfg").string());
  ASSERT_TRUE(tool->Start());
  tool->Save();
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.folder() / "missing"));
}

TEST_F(ConfigToolTest, NoAdaptersLeaveEveryDeviceListEmpty) {
  script->adapters.clear();
  Start();
  for (int list : {kAdapterList, kDeviceList, kFormatList, kModeList, kAntiAliasList}) {
    EXPECT_TRUE(model.Items(list).empty()) << list;
  }
  EXPECT_FALSE(model.control(kAntiAliasCheck).enabled);
  tool->OnCheckChanged(kFullScreenCheck, false);
  tool->Save();
  EXPECT_EQ(settings.Value("Format"), "0");
}

TEST_F(ConfigToolTest, NoDirect3DEndsTheToolWithAMessage) {
  script->failCreation = true;
  tool = std::make_unique<ConfigTool>(&model, &prompt, ScriptedFactory(script), settings.path());
  EXPECT_FALSE(tool->Start());
  EXPECT_TRUE(model.closed);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "Failed to create a Direct3D Interface. Please try again later.");
  EXPECT_EQ(prompt.messages[0].caption, "Major Error");
}

TEST(ConfigToolLists, AListOutOfSpaceSaysSo) {
  auto script = std::make_shared<Direct3DScript>();
  for (int i = 0; i < 3; ++i) script->adapters.push_back(StandardAdapter());
  ScratchSettings settings;
  RecordingPrompt prompt;
  DialogModel model(2);
  ConfigTool tool(&model, &prompt, ScriptedFactory(script), settings.path());
  ASSERT_TRUE(tool.Start());
  EXPECT_EQ(model.Items(kAdapterList).size(), 2u);
  ASSERT_FALSE(prompt.messages.empty());
  EXPECT_EQ(prompt.messages[0].text, "Out of space to set combo item.");
  EXPECT_EQ(prompt.messages[0].caption, "Error.");
}

}  // namespace
}  // namespace aruconfig::testing
