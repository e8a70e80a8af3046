// The engine's sound on a loopback device: the device's log lines at start-up and shutdown,
// effects loaded from wave files and heard in the mix (restart, looping, 3-D placement), the
// refusal of broken files, music that KeepLooping rewinds, and the console statistics report.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "aru/core/engine_fixture.h"
#include "aru/test_support.h"
#include "core/aru.h"
#include "core/sound.h"
#include "platform/dsound/sound_test_support.h"

using namespace sound_test;

namespace {

class SoundEngine final : public ARU {
 public:
  HRESULT GameInitialize() override { return 0; }
  void AttachAudio(aruAudio* device) { audio = device; }
};

class EngineSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ARU_VIDEO", "null", 1);
    platform::UseLoopbackSound(kRate);
    logPath = dir.File("errlog.html");
    engine = std::make_unique<SoundEngine>();
    engine->SetPath(logPath.c_str());
    engine->Open("Sound Test", false);
    engine->AttachAudio(new aruAudio(engine.get()));
  }
  void TearDown() override {
    engine.reset();
    platform::UseDeviceSound();
  }

  std::string File(const char* name) { return dir.File(name); }

  // A mono 16-bit tone of `frames` frames written to a file and loaded.
  std::unique_ptr<aruSound> LoadTone(bool use3D, DWORD frames = 4410) {
    const std::string path = File("tone.sfx");
    WriteWave(path, 1, 16, kRate, Tone16(1, frames, 12000.0));
    auto sound = std::make_unique<aruSound>(engine.get(), use3D);
    EXPECT_EQ(sound->Load(path.c_str()), 0);
    return sound;
  }

  Levels LoopLevels(aruSound& sound) {
    sound.Play(true);
    Render(2048);
    Levels levels = RenderLevels(4410);
    sound.GetBuffer()->Stop();
    return levels;
  }

  std::vector<std::string> ConsoleTexts() const {
    std::vector<std::string> texts;
    for (const aruConsole::Line& line : engine->GetLines()) texts.push_back(line.text);
    return texts;
  }

  testing_support::TempDir dir;
  std::string logPath;
  std::unique_ptr<SoundEngine> engine;
};

TEST_F(EngineSoundTest, DeviceCreationWritesItsLinesAndReadsTheDevice) {
  const std::string log = testing_support::ReadFile(logPath);
  const char* expected[] = {"<b>DirectSound/DirectMusic Initialization</b>",
                            "<li>Created and initialized the DirectSound8 Interface.</li>",
                            "<li>Audio card NOT certified for DirectSound.</li>",
                            "<li>Created primary sound buffer.</li>",
                            "<li>Created 3D Listener.</li>"};
  size_t at = 0;
  for (const char* line : expected) {
    const size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found;
  }
  aruAudio* audio = engine->GetAudio();
  EXPECT_NE(audio->GetListener(), nullptr);
  EXPECT_NE(audio->GetPrimaryBuffer(), nullptr);
  EXPECT_EQ(audio->GetCaps().dwSize, 96u);
  EXPECT_GT(audio->GetCaps().dwMaxHwMixingAllBuffers, 0u);
  EXPECT_EQ(audio->GetSpeakerConfig(), uint32_t{DSSPEAKER_STEREO});
  EXPECT_FALSE(audio->IsCertified());
  EXPECT_EQ(engine->GetDepth(), 0);  // the heading was closed
}

TEST_F(EngineSoundTest, PlayedEffectIsHeardAndEndsOnItsOwn) {
  auto sound = LoadTone(false);
  EXPECT_EQ(sound->Get3DBuffer(), nullptr);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);
  ASSERT_EQ(sound->Play(false), 0);
  EXPECT_GT(RenderLevels(2000).left, 1000.0);
  Render(3000);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);
}

TEST_F(EngineSoundTest, PlayOnAPlayingEffectStartsItAgainFromTheBeginning) {
  // Loud for the first 2000 frames, then silent: what is heard tells where playback is.
  std::vector<BYTE> data = Tone16(1, 20000, 12000.0);
  std::fill(data.begin() + 4000, data.end(), BYTE{0});
  const std::string path = File("restart.sfx");
  WriteWave(path, 1, 16, kRate, data);
  aruSound sound(engine.get(), false);
  ASSERT_EQ(sound.Load(path.c_str()), 0);

  sound.Play(false);
  Render(6000);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);
  sound.Play(false);
  EXPECT_GT(RenderLevels(1000).left, 1000.0);
}

TEST_F(EngineSoundTest, LoopingEffectWraps) {
  auto sound = LoadTone(false, 2205);
  sound->Play(true);
  Render(22050);
  EXPECT_GT(RenderLevels(1000).left, 1000.0);
  DWORD status = 0;
  sound->GetBuffer()->GetStatus(&status);
  EXPECT_TRUE(status & DSBSTATUS_LOOPING);
}

TEST_F(EngineSoundTest, StereoEffectAskedForAs3DLoadsAsAPlainSound) {
  const std::string path = File("stereo.sfx");
  WriteWave(path, 2, 16, kRate, Tone16(2, 4410, 12000.0));
  aruSound sound(engine.get(), true);
  ASSERT_EQ(sound.Load(path.c_str()), 0);
  EXPECT_FALSE(sound.Is3D());
  EXPECT_EQ(sound.Get3DBuffer(), nullptr);
  EXPECT_EQ(sound.Play(false), 0);
  EXPECT_GT(RenderLevels(1000).Both(), 1000.0);
}

TEST_F(EngineSoundTest, ThreeDEffectToTheRightIsLouderOnTheRightAndFainterFarAway) {
  auto sound = LoadTone(true);
  IDirectSound3DBuffer8* threeD = sound->Get3DBuffer();
  ASSERT_NE(threeD, nullptr);
  DWORD mode = 99;
  threeD->GetMode(&mode);
  EXPECT_EQ(mode, DWORD{DS3DMODE_HEADRELATIVE});

  threeD->SetPosition(2.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
  const Levels right = LoopLevels(*sound);
  EXPECT_GT(right.right, 2.0 * right.left);

  threeD->SetPosition(0.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
  const double near = LoopLevels(*sound).Both();
  threeD->SetPosition(0.0f, 0.0f, 10.0f, DS3D_IMMEDIATE);
  EXPECT_LT(LoopLevels(*sound).Both(), near / 5.0);
}

TEST_F(EngineSoundTest, BrokenEffectFilesFailWithoutReadingPastTheEnd) {
  aruSound sound(engine.get(), false);
  EXPECT_EQ(sound.Load(File("missing.sfx").c_str()), E_FAIL);

  const std::string shortFile = File("short.sfx");
  testing_support::WriteFile(shortFile, std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24));  // 24 bytes
  EXPECT_EQ(sound.Load(shortFile.c_str()), E_FAIL);

  const std::string noChannels = File("nochannels.sfx");
  WriteWave(noChannels, 0, 16, kRate, std::vector<BYTE>(400, 0));
  EXPECT_EQ(sound.Load(noChannels.c_str()), E_FAIL);

  const std::string noRate = File("norate.sfx");
  WriteWave(noRate, 1, 16, 0, std::vector<BYTE>(400, 0));
  EXPECT_EQ(sound.Load(noRate.c_str()), E_FAIL);

  const std::string notPcm = File("float.sfx");
  WriteWave(notPcm, 1, 16, kRate, std::vector<BYTE>(400, 0), false, 3);
  EXPECT_EQ(sound.Load(notPcm.c_str()), E_FAIL);

  const std::string headerOnly = File("empty.sfx");
  WriteWave(headerOnly, 1, 16, kRate, {});
  EXPECT_EQ(sound.Load(headerOnly.c_str()), E_FAIL);

  EXPECT_EQ(sound.Play(false), E_FAIL);  // nothing loaded
  EXPECT_EQ(sound.GetBuffer(), nullptr);
}

// Less sound data than the smallest buffer the device makes is a damaged file: refused like
// the others, never an exception that would end the game.
TEST_F(EngineSoundTest, DataBelowTheSmallestBufferIsRefusedAndFourBytesLoad) {
  struct Case {
    WORD channels, bits;
    size_t bytes;
    HRESULT expected;
  };
  const Case cases[] = {{1, 16, 2, E_FAIL}, {1, 8, 3, E_FAIL}, {2, 8, 2, E_FAIL},
                        {1, 16, 4, 0},      {1, 8, 4, 0},      {2, 16, 4, 0}};
  const std::string path = File("short.sfx");
  for (const Case& c : cases) {
    WriteWave(path, c.channels, c.bits, kRate, std::vector<BYTE>(c.bytes, 0x40));
    for (bool use3D : {false, true}) {
      aruSound sound(engine.get(), use3D);
      HRESULT result = S_OK;
      EXPECT_NO_THROW(result = sound.Load(path.c_str()));
      EXPECT_EQ(result, c.expected) << c.channels << " channels, " << c.bits << " bits, " << c.bytes << " bytes";
      EXPECT_EQ(sound.GetBuffer() != nullptr, c.expected == 0);
    }
  }
  // The file the fuzzer found: a two-byte data chunk in a longer file.
  aruSound sound(engine.get(), true);
  HRESULT result = S_OK;
  EXPECT_NO_THROW(result = sound.Load(RALLIX_SOURCE_DIR "/tests/fuzz/corpus/wave/tiny_data.sfx"));
  EXPECT_EQ(result, E_FAIL);
}

TEST_F(EngineSoundTest, DataSizeLargerThanTheFileStopsAtTheEnd) {
  const std::string path = File("oversized.sfx");
  WriteWave(path, 1, 16, kRate, Tone16(1, 500, 12000.0));
  {
    std::fstream patch(path, std::ios::binary | std::ios::in | std::ios::out);
    patch.seekp(40);
    WriteLittle(patch, 0x7FFFFFF0u, 4);
  }
  aruSound sound(engine.get(), false);
  ASSERT_EQ(sound.Load(path.c_str()), 0);
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD size1 = 0, size2 = 0;
  ASSERT_EQ(sound.GetBuffer()->Lock(0, 0, &part1, &size1, &part2, &size2, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(size1, 1000u);
  const std::vector<BYTE> expected = Tone16(1, 500, 12000.0);
  EXPECT_EQ(std::memcmp(part1, expected.data(), 1000), 0);
  sound.GetBuffer()->Unlock(part1, size1, part2, size2);
}

TEST_F(EngineSoundTest, LoadingANullNameReleasesTheSound) {
  auto sound = LoadTone(true);
  ASSERT_NE(sound->GetBuffer(), nullptr);
  EXPECT_EQ(sound->Load(nullptr), 0);
  EXPECT_EQ(sound->GetBuffer(), nullptr);
  EXPECT_EQ(sound->Get3DBuffer(), nullptr);
  EXPECT_EQ(sound->Play(false), E_FAIL);
}

TEST_F(EngineSoundTest, StatisticsReportTheDeviceOnTheConsole) {
  IDirectSound3DListener* listener = engine->GetAudio()->GetListener();
  listener->SetRolloffFactor(0.2f, DS3D_DEFERRED);
  listener->SetPosition(0.0f, 0.0f, -250.0f, DS3D_DEFERRED);
  listener->CommitDeferredSettings();

  const size_t before = engine->GetLines().size();
  engine->GetAudio()->DumpStatistics(nullptr);
  EXPECT_EQ(engine->GetLines().size(), before);
  engine->GetAudio()->DumpStatistics(engine.get());

  const std::vector<std::string> texts = ConsoleTexts();
  ASSERT_EQ(texts.size() - before, 31u);
  const auto line = [&](size_t index) { return texts[before + index]; };
  const auto colour = [&](size_t index) { return engine->GetLines()[before + index].colour; };
  EXPECT_EQ(line(0), "=== DirectSound Statistics ===");
  EXPECT_EQ(colour(0), 0xFFFFFFB8u);
  EXPECT_EQ(line(1), "SoundCard is NOT DirectSound Certified.");
  EXPECT_EQ(colour(1), 0xFFFF0000u);
  EXPECT_EQ(line(2), "Speakers: (4) Stereo speakers.");
  EXPECT_EQ(line(3), "Caps dwTotalHwMemBytes: 0");
  EXPECT_EQ(line(4).rfind("Caps dwFreeHw3DAllBuffers: ", 0), 0u);
  EXPECT_EQ(line(18), "Caps dwMaxSecondarySampleRate: 200000");
  EXPECT_EQ(line(19), "Caps dwMinSecondarySampleRate: 100");
  EXPECT_EQ(line(21), "Caps dwPrimaryBuffers: 1");
  EXPECT_EQ(line(22), "Caps dwUnlockTransferRateHwBuffers: 0");
  EXPECT_EQ(line(23), "3D Listener dwSize: 64");
  EXPECT_EQ(line(24), "3D Listener flDistanceFactor: 1.0000");
  EXPECT_EQ(line(25), "3D Listener flDopplerFactor: 1.0000");
  EXPECT_EQ(line(26), "3D Listener flRolloffFactor: 0.2000");
  EXPECT_EQ(line(27), "3D Listener vOrientFront: (0.0000, 0.0000, 1.0000)");
  EXPECT_EQ(line(28), "3D Listener vOrientTop: (0.0000, 1.0000, 0.0000)");
  EXPECT_EQ(line(29), "3D Listener vPosition: (0.0000, 0.0000, -250.0000)");
  EXPECT_EQ(line(30), "3D Listener vVelocity: (0.0000, 0.0000, 0.0000)");
}

TEST(SoundSpeakerNames, EveryConfigurationHasItsNameAndOthersNone) {
  EXPECT_STREQ(aruAudio::SpeakerName(0), "(0) No speakers.");
  EXPECT_STREQ(aruAudio::SpeakerName(1), "(1) Headphones.");
  EXPECT_STREQ(aruAudio::SpeakerName(2), "(2) Single speaker.");
  EXPECT_STREQ(aruAudio::SpeakerName(3), "(3) Quadraphonic speakers.");
  EXPECT_STREQ(aruAudio::SpeakerName(4), "(4) Stereo speakers.");
  EXPECT_STREQ(aruAudio::SpeakerName(5), "(5) Surround speakers.");
  EXPECT_STREQ(aruAudio::SpeakerName(6), "(6) Five surround speakers with a subwoofer.");
  EXPECT_STREQ(aruAudio::SpeakerName(7), "(7) Seven surround speakers with a subwoofer.");
  EXPECT_STREQ(aruAudio::SpeakerName(8), "");
  EXPECT_STREQ(aruAudio::SpeakerName(DSSPEAKER_COMBINED(DSSPEAKER_STEREO, DSSPEAKER_GEOMETRY_WIDE)), "");
}

// Music files are named relative to the current directory, as the game names them.
class MusicTest : public EngineSoundTest {
 protected:
  void SetUp() override {
    EngineSoundTest::SetUp();
    previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    EngineSoundTest::TearDown();
  }
  static void Wait() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }
  static Levels Mix(DWORD frames) {
    std::vector<SHORT> all;
    for (DWORD done = 0; done < frames; done += 512) {
      std::vector<SHORT> block = Render(512);
      all.insert(all.end(), block.begin(), block.end());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return RootMeanSquare(all);
  }
  std::filesystem::path previous;
};

TEST_F(MusicTest, KeepLoopingRewindsOnlyAfterTheEnd) {
  std::filesystem::create_directories(dir.path() / "base" / "sfx");
  WriteWave(File("base/sfx/intro.sfx"), 2, 16, kRate, Tone16(2, kRate / 5, 12000.0));  // 0.2 s
  aruMP3 music;
  ASSERT_TRUE(music.HasGraph());
  ASSERT_EQ(music.Load(".\\base\\sfx\\intro.sfx"), 0);
  ASSERT_EQ(music.Play(), 0);
  Wait();
  EXPECT_GT(Mix(2048).Both(), 1000.0);

  // Halfway: nothing to do.
  music.KeepLooping();
  Wait();
  EXPECT_GT(Mix(1024).Both(), 1000.0);

  Mix(kRate / 5);  // well past the end
  Wait();
  EXPECT_LT(Mix(1024).Both(), kSilence);
  music.KeepLooping();
  Wait();
  EXPECT_GT(Mix(2048).Both(), 1000.0);

  EXPECT_EQ(music.Stop(), 0);
  Wait();
  Mix(512);
  EXPECT_LT(Mix(2048).Both(), kSilence);
  music.Release();
  EXPECT_FALSE(music.HasGraph());
  EXPECT_EQ(music.Play(), 0);  // released: does nothing
  music.KeepLooping();
}

TEST_F(MusicTest, MissingOrUndecodableMusicFailsToLoad) {
  aruMP3 music;
  EXPECT_LT(music.Load(".\\base\\sfx\\missing.sfx"), 0);
  testing_support::WriteFile(File("noise.sfx"), "not music");
  aruMP3 other;
  EXPECT_EQ(other.Load("noise.sfx"), VFW_E_UNKNOWN_FILE_TYPE);
  EXPECT_EQ(other.Load(std::string(300, 'x').c_str()), E_FAIL);  // longer than a path may be
}

class EngineStartTest : public engine_testing::EngineFixture {};

TEST_F(EngineStartTest, EngineWithSoundLogsTheDeviceAtStartAndRelease) {
  platform::UseLoopbackSound(kRate);
  WriteConfig("[ARU]\nIsSetup=1\nFullScreen=0\n");
  params.createSound = true;
  {
    engine_testing::TestEngine engine;
    ASSERT_EQ(engine.Initialize(params), 0) << Log();
    ASSERT_NE(engine.GetAudio(), nullptr);
    engine.GetAudio()->GetPrimaryBuffer()->SetVolume(-1200);
  }
  platform::UseDeviceSound();
  const std::string log = Log();
  EXPECT_NE(log.find("<li>Set cooperative level to DSSCL_EXCLUSIVE.</li>"), std::string::npos);
  EXPECT_NE(log.find("<li>Created 3D Listener.</li>"), std::string::npos);
  EXPECT_NE(log.find("<b>Created DirectSound</b>"), std::string::npos);
  EXPECT_NE(log.find("<li>Old Volume: 0</li>"), std::string::npos);
  EXPECT_NE(log.find("<li>Deleted DirectSound and DirectMusic Interfaces.</li>"), std::string::npos);
  EXPECT_EQ(log.find("DirectSound: <font"), std::string::npos);  // no DirectSound failure at all
}

}  // namespace
