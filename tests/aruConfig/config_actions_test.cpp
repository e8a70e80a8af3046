// The configuration tool's buttons: Launch with and without a program to start, Exit's three
// answers, closing the window, and the device test with its behaviour flags and presentation
// parameters; last, a saved anti-alias choice creating a device on the null back end.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "test_support.h"

namespace aruconfig::testing {
namespace {

class ConfigActionsTest : public ::testing::Test {
 protected:
  void SetUp() override { script->adapters.push_back(StandardAdapter()); }

  void Start(const std::string& file) {
    settings.Write(file);
    tool = std::make_unique<ConfigTool>(&model, &prompt, ScriptedFactory(script), settings.path());
    ASSERT_TRUE(tool->Start());
  }

  std::shared_ptr<Direct3DScript> script = std::make_shared<Direct3DScript>();
  ScratchSettings settings;
  RecordingPrompt prompt;
  DialogModel model;
  std::unique_ptr<ConfigTool> tool;
};

bool WaitForFile(const std::filesystem::path& path) {
  for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::filesystem::exists(path);
}

TEST_F(ConfigActionsTest, LaunchWithoutAProgramSavesConfirmsAndCloses) {
  Start("[ARU]\nIsSetup=2\n");
  tool->OnButton(kLaunchButton);
  EXPECT_EQ(settings.Value("IsSetup"), "1");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].caption, "Configuration Successful");
  EXPECT_EQ(prompt.messages[0].text.rfind("Your product has been successfully configured. You may now run your "
                                          "product\nusing your selected options.",
                                          0),
            0u);
  EXPECT_TRUE(model.closed);
}

TEST_F(ConfigActionsTest, LaunchStartsTheProgramNamedByExe) {
  std::filesystem::path program = settings.folder() / "game.sh";
  std::filesystem::path marker = settings.folder() / "started";
  std::ofstream(program) << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  Start("[ARU]\nEXE=" + program.string() + "\n");
  tool->OnButton(kLaunchButton);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(model.closed);
  EXPECT_EQ(settings.Value("IsSetup"), "1");
  EXPECT_TRUE(WaitForFile(marker));
}

TEST_F(ConfigActionsTest, LaunchOfAMissingProgramSaysSoAfterSaving) {
  Start("[ARU]\nEXE=" + (settings.folder() / "no-such-game.exe").string() + "\n");
  tool->OnButton(kLaunchButton);
  EXPECT_EQ(settings.Value("IsSetup"), "1");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_NE(prompt.messages[0].text.find("could not be started"), std::string::npos);
  EXPECT_TRUE(model.closed);
}

TEST_F(ConfigActionsTest, ExitAsksAndFollowsTheAnswer) {
  const std::string original = "[ARU]\nIsSetup=0\n";
  Start(original);
  prompt.answers = {IDCANCEL};
  tool->OnButton(kExitButton);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "Save changes?");
  EXPECT_EQ(prompt.messages[0].caption, "Changes...");
  EXPECT_EQ(prompt.messages[0].type & 0x0F, static_cast<UINT>(MB_YESNOCANCEL));
  EXPECT_TRUE(prompt.messages[0].type & MB_DEFBUTTON3);
  EXPECT_FALSE(model.closed);
  EXPECT_EQ(settings.Read(), original);

  prompt.answers = {IDNO};
  tool->OnButton(kExitButton);
  EXPECT_TRUE(model.closed);
  EXPECT_EQ(settings.Read(), original);

  model.closed = false;
  prompt.answers = {IDYES};
  tool->OnButton(kExitButton);
  EXPECT_TRUE(model.closed);
  EXPECT_EQ(settings.Value("IsSetup"), "1");
}

TEST_F(ConfigActionsTest, ClosingTheWindowNeverSaves) {
  const std::string original = "[ARU]\nIsSetup=0\n";
  Start(original);
  tool->OnListChanged(kModeList, 2);
  tool->OnClose();
  EXPECT_TRUE(model.closed);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(settings.Read(), original);
}

TEST_F(ConfigActionsTest, DeviceTestTriesEveryBehaviourInOrderAndRecreatesDirect3D) {
  Start("[ARU]\nTest=1\n");
  tool->OnButton(kTestButton);
  const std::vector<DWORD> expected = {
      D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, D3DCREATE_HARDWARE_VERTEXPROCESSING,
      D3DCREATE_MIXED_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING};
  EXPECT_EQ(script->createBehaviours, expected);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "Failed to create a device. Check the settings and try again.");
  EXPECT_EQ(prompt.messages[0].caption, "Test Device Failed!.");
  EXPECT_TRUE(model.control(kTestButton).enabled);
  EXPECT_EQ(script->created, 2);
  EXPECT_EQ(script->alive, 1);
}

TEST_F(ConfigActionsTest, FullScreenTestUsesTheSelectedModeAndStopsAtTheFirstSuccess) {
  script->acceptedBehaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING;
  Start("[ARU]\nTest=1\nFullScreen=1\nFormIndex=1\nResIndex=3\n");
  tool->OnButton(kTestButton);
  ASSERT_EQ(script->createBehaviours.size(), 2u);
  const D3DPRESENT_PARAMETERS& p = script->createParameters.back();
  EXPECT_FALSE(p.Windowed);
  EXPECT_EQ(p.BackBufferWidth, 1024u);
  EXPECT_EQ(p.BackBufferHeight, 768u);
  EXPECT_EQ(p.FullScreen_RefreshRateInHz, 85u);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(p.BackBufferCount, 1u);
  EXPECT_TRUE(p.EnableAutoDepthStencil);
  EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_FLIP);
  EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
  EXPECT_NE(p.hDeviceWindow, nullptr);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "Successfully created and released the device.");
  EXPECT_EQ(prompt.messages[0].caption, "Test Device Success.");
}

TEST_F(ConfigActionsTest, WindowedAntiAliasedTestUsesTheDesktopFormatAndDiscards) {
  script->adapters[0].desktopFormat = D3DFMT_R5G6B5;
  Start("[ARU]\nTest=1\nFullScreen=0\nUseAA=1\nAAIndex=1\n");
  tool->OnButton(kTestButton);
  ASSERT_FALSE(script->createParameters.empty());
  const D3DPRESENT_PARAMETERS& p = script->createParameters[0];
  EXPECT_TRUE(p.Windowed);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(p.BackBufferWidth, 0u);
  EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
  EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONMASKABLE);
  EXPECT_EQ(p.MultiSampleQuality, 1u);  // "2X NonMasking": quality level 2, counted from 1
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
}

// The null back end answers as the game's device will: the saved "Samples"/"Quality1" pair of
// every anti-alias entry must create a device the way the game reads them.
TEST(ConfigToolOnNullDevice, EverySavedAntiAliasChoiceCreatesTheGamesDevice) {
  setenv("ARU_VIDEO", "null", 1);
  ScratchSettings settings;
  settings.Write("[ARU]\nFullScreen=0\n");
  RecordingPrompt prompt;
  DialogModel model;
  ConfigTool tool(&model, &prompt, CreateSystemDirect3D, settings.path());
  ASSERT_TRUE(tool.Start());
  std::vector<std::string> labels;
  for (const ComboItem& item : model.Items(kAntiAliasList)) labels.push_back(item.text);
  EXPECT_EQ(labels, (std::vector<std::string>{"1X NonMasking", "2X NonMasking", "2 Samples", "4 Samples"}));

  HWND window = CreateWindowExA(0, kTestWindowClass, "AA", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  IDirect3D9* direct3D = CreateSystemDirect3D();
  ASSERT_NE(direct3D, nullptr);
  for (size_t index = 0; index < labels.size(); ++index) {
    tool.OnListChanged(kAntiAliasList, static_cast<int>(index));
    tool.OnCheckChanged(kAntiAliasCheck, true);
    tool.Save();
    D3DPRESENT_PARAMETERS p{};
    p.Windowed = TRUE;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.BackBufferFormat = static_cast<D3DFORMAT>(std::stoi(settings.Value("BackBuffer")));
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(std::stoi(settings.Value("Samples")));
    p.MultiSampleQuality = std::stoi(settings.Value("Quality1")) - 1;
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK)
        << labels[index];
    if (device) device->Release();
  }
  EXPECT_EQ(settings.Value("Samples"), "4");
  EXPECT_EQ(settings.Value("UseAA"), "1");
  direct3D->Release();
  DestroyWindow(window);
}

}  // namespace
}  // namespace aruconfig::testing
