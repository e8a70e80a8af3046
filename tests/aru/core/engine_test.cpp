// The engine object's life cycle on the null device: start-up and shutdown logs, the run state
// written to IsSetup, scene changes, the main loop's message/frame alternation, device loss and
// the full-screen toggle.
#include <d3d9_test.h>
#include <gtest/gtest.h>

#include <memory>

#include "aru/core/engine_fixture.h"

namespace engine_testing {
namespace {

class EngineTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    WriteConfig("[ARU]\nIsSetup=1\nFullScreen=0\n");
    engine = std::make_unique<TestEngine>();
    g_engine = engine.get();
  }
  // Shuts the engine down with no shell available, so a failed run does not open the log.
  void Shutdown() {
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    engine.reset();
    setenv("PATH", path.c_str(), 1);
    g_engine = nullptr;
  }
  void TearDown() override {
    if (engine) Shutdown();
    EngineFixture::TearDown();
  }
  RecordingScene* Scene(const char* name) { return new RecordingScene(engine.get(), &journal, name); }

  std::unique_ptr<TestEngine> engine;
  Journal journal;
};

TEST_F(EngineTest, StartsWritesPhasesAndEndsCleanly) {
  ASSERT_EQ(engine->Initialize(params), 0);
  EXPECT_EQ(engine->gameInitializeCalls, 1);
  EXPECT_EQ(engine->GetScreenWidth(), 1280.0f);
  Shutdown();
  const std::string log = Log();
  EXPECT_EQ(log.rfind("<html>\n<head>\n  <title>Test Log</title>", 0), 0u);
  EXPECT_NE(log.find("Initialization Phase"), std::string::npos);
  EXPECT_NE(log.find("<b>Created a device!</b>"), std::string::npos);
  EXPECT_NE(log.find("ARU Successfully Initialized, Let's Go!"), std::string::npos);
  EXPECT_NE(log.find("Closing configuration file with exitcode 1"), std::string::npos);
  EXPECT_EQ(Occurrences(log, "<ul>"), Occurrences(log, "</ul>"));
  EXPECT_EQ(log.substr(log.size() - 15), "</body>\n</html>");
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
}

TEST_F(EngineTest, FailingGameInitializeSkipsTheLoopAndRecordsRunStateTwo) {
  engine->gameResult = E_FAIL;
  EXPECT_EQ(engine->Initialize(params), E_FAIL);
  EXPECT_EQ(engine->GetRunState(), 2);
  Shutdown();
  const std::string log = Log();
  EXPECT_NE(log.find("Game Initialization Failed!"), std::string::npos);
  EXPECT_EQ(log.find("Let's Go!"), std::string::npos);
  EXPECT_EQ(Occurrences(log, "<ul>"), Occurrences(log, "</ul>"));
  EXPECT_NE(Config().find("IsSetup=2"), std::string::npos);
}

TEST_F(EngineTest, ThrowingGameInitializeWritesTheExceptionBlock) {
  engine->throwInGame = true;
  EXPECT_EQ(engine->Initialize(params), E_FAIL);
  Shutdown();
  const std::string log = Log();
  EXPECT_NE(log.find("Game initialization raised an exception."), std::string::npos);
  EXPECT_NE(log.find("<li>Caught: \"game failed\"</li>"), std::string::npos);
  EXPECT_NE(log.find("Extra: Run-Time Error."), std::string::npos);
  EXPECT_EQ(Occurrences(log, "<ul>"), Occurrences(log, "</ul>"));
}

TEST_F(EngineTest, SceneChangedDuringRenderHappensAfterTheFrame) {
  ASSERT_EQ(engine->Initialize(params), 0);
  RecordingScene* first = Scene("A");
  RecordingScene* second = Scene("B");
  first->onRender = [&](RecordingScene& scene) { scene.Engine()->ChangeScene(second); };
  second->onRender = [](RecordingScene& scene) { scene.Engine()->Quit(); };
  engine->Run(first);
  EXPECT_EQ(journal.events,
            (std::vector<std::string>{"A:init", "A:render", "A:destroy", "B:init", "B:render"}));
  EXPECT_EQ(engine->GetPresentScene(), second);
  Shutdown();
  EXPECT_EQ(journal.Count("B:destroy"), 1);
  EXPECT_NE(Log().find("Last-Chance Deleted Scene "), std::string::npos);
}

TEST_F(EngineTest, FailingSceneInitializeIsDestroyedTwiceAndEndsTheRun) {
  ASSERT_EQ(engine->Initialize(params), 0);
  RecordingScene* broken = Scene("A");
  broken->initResult = E_FAIL;
  engine->Run(broken);
  EXPECT_TRUE(engine->IsQuitting());
  EXPECT_EQ(engine->GetRunState(), 2);
  EXPECT_EQ(journal.Count("A:render"), 0);
  Shutdown();
  EXPECT_EQ(journal.Count("A:destroy"), 2);
  const std::string log = Log();
  EXPECT_NE(log.find("Failed initializing scene "), std::string::npos);
  EXPECT_NE(Config().find("IsSetup=2"), std::string::npos);
}

TEST_F(EngineTest, ChangeToNoSceneDestroysThePresentOneAndKeepsDrawing) {
  ASSERT_EQ(engine->Initialize(params), 0);
  RecordingScene* only = Scene("A");
  engine->ChangeScene(only);
  ASSERT_TRUE(engine->ApplySceneChange());
  engine->ChangeScene(nullptr);
  EXPECT_TRUE(engine->ApplySceneChange());
  EXPECT_EQ(engine->GetPresentScene(), nullptr);
  EXPECT_EQ(journal.events, (std::vector<std::string>{"A:init", "A:destroy"}));

  platform::NullDeviceCounters before, after;
  ASSERT_TRUE(platform::NullDeviceGetCounters(engine->GetDevice(), &before));
  EXPECT_EQ(engine->RenderFrame(), 0);
  ASSERT_TRUE(platform::NullDeviceGetCounters(engine->GetDevice(), &after));
  EXPECT_EQ(after.clears, before.clears + 1);
  EXPECT_EQ(after.presents, before.presents + 1);
}

// A scene whose deletion is noted, to see that a replaced pending change does not leak it.
class CountedScene : public RecordingScene {
 public:
  CountedScene(ARU* engine, Journal* journal, std::string name)
      : RecordingScene(engine, journal, name), journal(journal), name(std::move(name)) {}
  ~CountedScene() override { journal->Add(name + ":deleted"); }

 private:
  Journal* journal;
  std::string name;
};

TEST_F(EngineTest, ASecondChangeBeforeTheFirstIsAppliedDropsTheFirstScene) {
  ASSERT_EQ(engine->Initialize(params), 0);
  auto* skipped = new CountedScene(engine.get(), &journal, "A");
  auto* chosen = new CountedScene(engine.get(), &journal, "B");
  engine->ChangeScene(skipped);
  engine->ChangeScene(chosen);
  engine->ChangeScene(chosen);  // the same scene again is kept
  ASSERT_TRUE(engine->ApplySceneChange());
  EXPECT_EQ(engine->GetPresentScene(), chosen);
  EXPECT_EQ(journal.events, (std::vector<std::string>{"A:deleted", "B:init"}));
  // A change to no scene drops a waiting one too; the present scene stays until it is applied.
  auto* waiting = new CountedScene(engine.get(), &journal, "C");
  engine->ChangeScene(waiting);
  engine->ChangeScene(nullptr);
  EXPECT_EQ(journal.Count("C:deleted"), 1);
  EXPECT_EQ(journal.Count("B:deleted"), 0);
}

TEST_F(EngineTest, MainLoopHandlesOneMessageOrOneFramePerIteration) {
  ASSERT_EQ(engine->Initialize(params), 0);
  RecordingScene* scene = Scene("A");
  scene->onRender = [](RecordingScene& s) { s.Engine()->Quit(); };
  // Drain what start-up posted, then queue three messages of our own.
  MSG pending;
  while (PeekMessageA(&pending, NULL, 0, 0, PM_REMOVE)) {
  }
  MessageJournal() = &journal;
  for (int i = 0; i < 3; ++i) PostMessageA(engine->GetWindow(), WM_USER + 1, 0, 0);
  engine->Run(scene);
  // The first message is handled before the first scene is initialised (the change follows the
  // iteration); the frame waits until the queue is empty.
  EXPECT_EQ(journal.events, (std::vector<std::string>{"msg", "A:init", "msg", "msg", "A:render"}));
  EXPECT_EQ(scene->frames, 1);
}

TEST_F(EngineTest, DestroyMessageEndsTheLoop) {
  ASSERT_EQ(engine->Initialize(params), 0);
  PostMessageA(engine->GetWindow(), WM_DESTROY, 0, 0);
  engine->Run(Scene("A"));
  EXPECT_TRUE(engine->IsQuitting());
  EXPECT_EQ(journal.Count("A:render"), 0);
  Shutdown();
  EXPECT_NE(Config().find("IsSetup=1"), std::string::npos);
}

TEST_F(EngineTest, LostDeviceIsInvalidatedResetAndRestored) {
  ASSERT_EQ(engine->Initialize(params), 0);
  RecordingScene* scene = Scene("A");
  engine->ChangeScene(scene);
  ASSERT_TRUE(engine->ApplySceneChange());
  ASSERT_EQ(engine->RenderFrame(), 0);
  ASSERT_TRUE(platform::NullDeviceSetLost(engine->GetDevice(), true));
  EXPECT_EQ(engine->RenderFrame(), 0);
  EXPECT_EQ(scene->frames, 1) << "nothing is drawn while the device is lost";
  // A reset attempt while still lost leaves the objects invalidated; the next one must cope.
  EXPECT_EQ(engine->ResetDevice(), 0);
  ASSERT_TRUE(platform::NullDeviceSetLost(engine->GetDevice(), false));
  EXPECT_EQ(engine->RenderFrame(), 0);
  EXPECT_EQ(engine->GetDevice()->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(engine->RenderFrame(), 0);
  EXPECT_EQ(scene->frames, 2);
  EXPECT_EQ(journal.Count("A:invalidate"), 2);
  EXPECT_EQ(journal.Count("A:restore"), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("Objects Invalidated..."), std::string::npos);
  EXPECT_NE(log.find("Objects reinitialized..."), std::string::npos);
  EXPECT_EQ(engine->GetRunState(), 1);
}

TEST_F(EngineTest, AltEnterTwiceReturnsToTheStartingWindowedMode) {
  ASSERT_EQ(engine->Initialize(params), 0);
  const float width = engine->GetScreenWidth();
  engine->ToggleFullScreen();
  EXPECT_TRUE(engine->IsFullScreen());
  engine->ToggleFullScreen();
  EXPECT_FALSE(engine->IsFullScreen());
  EXPECT_EQ(engine->GetScreenWidth(), width);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(engine->GetWindow(), &rect));
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480);
  EXPECT_EQ(rect.left, static_cast<LONG>(width / 2 - 320));
  EXPECT_EQ(rect.top, static_cast<LONG>(engine->GetScreenHeight() / 2 - 240));
  // The frames after the switch find the device usable (after a reset if needed).
  engine->RenderFrame();
  engine->RenderFrame();
  EXPECT_EQ(engine->GetDevice()->TestCooperativeLevel(), D3D_OK);
}

TEST_F(EngineTest, ScaleMapsTheVirtualScreenToTheBackBuffer) {
  ASSERT_EQ(engine->Initialize(params), 0);
  // The null device's desktop is 1280 x 1024, the virtual screen itself.
  EXPECT_EQ(engine->ScaleX(640.0f), 640.0f);
  EXPECT_EQ(engine->ScaleY(512.0f), 512.0f);
  EXPECT_EQ(engine->FractionX(0.5f), 640.0f);
}

}  // namespace
}  // namespace engine_testing
