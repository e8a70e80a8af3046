// The safe-mode start: every value of IsSetup, the message-box answers and the three ways of
// finding the configuration tool (the Setup key, the fallback beside the game, none at all).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "aru/core/engine_fixture.h"

namespace engine_testing {
namespace {

class RunStateTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    marker = dir.File("tool-ran");
    tool = dir.File("setup-tool.sh");
    testing_support::WriteFile(tool, "#!/bin/sh\ntouch '" + marker + "'\n");
    chmod(tool.c_str(), 0755);
    previousDirectory = std::filesystem::current_path();
    workDirectory = dir.path() / "work";
    std::filesystem::create_directories(workDirectory);
    std::filesystem::current_path(workDirectory);
  }
  void TearDown() override {
    std::filesystem::current_path(previousDirectory);
    unsetenv("ARU_MESSAGEBOX");
    EngineFixture::TearDown();
  }

  // Starts an engine, shuts it down, and returns Initialize's result.
  HRESULT StartAndStop(const char* answer) {
    if (answer) setenv("ARU_MESSAGEBOX", answer, 1);
    auto engine = std::make_unique<TestEngine>();
    g_engine = engine.get();
    const HRESULT result = engine->Initialize(params);
    engine.reset();
    g_engine = nullptr;
    return result;
  }

  bool ToolRan() {
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::filesystem::exists(marker);
  }

  void PutFallbackToolInWorkDirectory() {
    const std::string fallback = (workDirectory / "aruConfig").string();
    testing_support::WriteFile(fallback, "#!/bin/sh\ntouch '" + marker + "'\n");
    chmod(fallback.c_str(), 0755);
  }

  std::string marker;
  std::string tool;
  std::filesystem::path previousDirectory;
  std::filesystem::path workDirectory;
};

TEST_F(RunStateTest, CleanPreviousRunStartsNormally) {
  WriteConfig("[ARU]\nIsSetup=1\n");
  EXPECT_EQ(StartAndStop(nullptr), 0);
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
}

TEST_F(RunStateTest, MissingIsSetupRunsTheToolNamedBySetupAndExits) {
  WriteConfig("[ARU]\nSetup=" + tool + "\n");
  EXPECT_EQ(StartAndStop(nullptr), E_FAIL);
  EXPECT_TRUE(ToolRan());
  EXPECT_NE(Log().find("Running external configuration utility."), std::string::npos);
  EXPECT_NE(Log().find("Failed run state check."), std::string::npos);
  EXPECT_NE(Config().find("IsSetup=0"), std::string::npos);
}

TEST_F(RunStateTest, ZeroFallsBackToTheToolBesideTheGame) {
  WriteConfig("[ARU]\nIsSetup=0\nSetup=/no/such/program\n");
  PutFallbackToolInWorkDirectory();
  EXPECT_EQ(StartAndStop(nullptr), E_FAIL);
  EXPECT_TRUE(ToolRan());
  EXPECT_NE(Config().find("IsSetup=0"), std::string::npos);
}

TEST_F(RunStateTest, NoToolAnywhereShowsTheApologyAndStillWritesZero) {
  WriteConfig("[ARU]\nIsSetup=0\n");
  EXPECT_EQ(StartAndStop("ok"), E_FAIL);
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_NE(Config().find("IsSetup=0"), std::string::npos);
}

TEST_F(RunStateTest, CrashedRunAnsweredNoStartsTheGameAndEndsClean) {
  WriteConfig("[ARU]\nIsSetup=2\nSetup=" + tool + "\n");
  EXPECT_EQ(StartAndStop("no"), 0);
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
}

TEST_F(RunStateTest, CrashedRunAnsweredYesRunsTheToolAndWritesZero) {
  WriteConfig("[ARU]\nIsSetup=2\nSetup=" + tool + "\n");
  EXPECT_EQ(StartAndStop("yes"), E_FAIL);
  EXPECT_TRUE(ToolRan());
  EXPECT_EQ(Log().find("Running external configuration utility."), std::string::npos);
  EXPECT_NE(Config().find("IsSetup=0"), std::string::npos);
}

TEST_F(RunStateTest, CrashedRunAnsweredYesUsesTheFallbackTool) {
  WriteConfig("[ARU]\nIsSetup=2\n");
  PutFallbackToolInWorkDirectory();
  EXPECT_EQ(StartAndStop("yes"), E_FAIL);
  EXPECT_TRUE(ToolRan());
  EXPECT_NE(Config().find("IsSetup=0"), std::string::npos);
}

TEST_F(RunStateTest, OtherAnswersAndValuesStopWithTheRunStateUnchanged) {
  WriteConfig("[ARU]\nIsSetup=2\n");
  EXPECT_EQ(StartAndStop("cancel"), E_FAIL);
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
  WriteConfig("[ARU]\nIsSetup=7\n");
  EXPECT_EQ(StartAndStop(nullptr), E_FAIL);
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(marker));
}

}  // namespace
}  // namespace engine_testing
