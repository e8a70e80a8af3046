// DirectSound on a loopback device: what a played buffer puts into the mix, play/stop/cursor
// semantics, looping, 3-D placement and distance, the listener with deferred settings, the
// primary buffer's volume, capabilities and the refusal of formats the mixer cannot play.
#include <gtest/gtest.h>

#include <dsound.h>

#include <cstring>

#include "platform/dsound/sound_test_support.h"

using namespace sound_test;

namespace {

class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseLoopbackSound(kRate);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &directSound, nullptr), DS_OK);
    ASSERT_NE(directSound, nullptr);
    ASSERT_EQ(directSound->SetCooperativeLevel(kWindow, DSSCL_EXCLUSIVE), DS_OK);
  }
  void TearDown() override {
    for (IDirectSoundBuffer* buffer : buffers) buffer->Release();
    if (listener) listener->Release();
    if (primary) primary->Release();
    if (directSound) directSound->Release();
    platform::UseDeviceSound();
  }

  IDirectSoundBuffer* Create(WORD channels, WORD bits, DWORD bytes, DWORD flags, HRESULT* result = nullptr) {
    WAVEFORMATEX format = PcmFormat(channels, bits, kRate);
    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = flags;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    const HRESULT hr = directSound->CreateSoundBuffer(&description, &buffer, nullptr);
    if (result) *result = hr;
    if (buffer) buffers.push_back(buffer);
    return buffer;
  }

  static void Fill(IDirectSoundBuffer* buffer, const std::vector<BYTE>& bytes, DWORD offset = 0) {
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD size1 = 0, size2 = 0;
    ASSERT_EQ(buffer->Lock(offset, static_cast<DWORD>(bytes.size()), &part1, &size1, &part2, &size2, 0), DS_OK);
    std::memcpy(part1, bytes.data(), size1);
    if (size2) std::memcpy(part2, bytes.data() + size1, size2);
    ASSERT_EQ(buffer->Unlock(part1, size1, part2, size2), DS_OK);
  }

  // A mono 16-bit buffer holding a tone of the given number of frames.
  IDirectSoundBuffer* ToneBuffer(DWORD frames, DWORD flags = DSBCAPS_STATIC) {
    IDirectSoundBuffer* buffer = Create(1, 16, frames * 2, flags);
    if (buffer) Fill(buffer, Tone16(1, frames, 12000.0));
    return buffer;
  }

  void CreatePrimary(DWORD flags) {
    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = flags;
    ASSERT_EQ(directSound->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
    if (flags & DSBCAPS_CTRL3D) {
      ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
    }
  }

  IDirectSound3DBuffer8* ThreeD(IDirectSoundBuffer* buffer) {
    IDirectSound3DBuffer8* threeD = nullptr;
    EXPECT_EQ(buffer->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&threeD)), DS_OK);
    return threeD;
  }

  // Level of a looping 3-D tone placed by the caller, after the mixer has settled.
  Levels LevelsOf(IDirectSoundBuffer* buffer) {
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    Render(2048);
    Levels levels = RenderLevels(4410);
    buffer->Stop();
    return levels;
  }

  IDirectSound8* directSound = nullptr;
  IDirectSoundBuffer* primary = nullptr;
  IDirectSound3DListener* listener = nullptr;
  std::vector<IDirectSoundBuffer*> buffers;
};

TEST_F(DirectSoundTest, PlayedBufferIsHeardOnlyWhilePlaying) {
  IDirectSoundBuffer* buffer = ToneBuffer(4410);
  ASSERT_NE(buffer, nullptr);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);

  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  DWORD status = 0;
  buffer->GetStatus(&status);
  EXPECT_EQ(status, DWORD{DSBSTATUS_PLAYING});
  const Levels playing = RenderLevels(2000);
  EXPECT_GT(playing.left, 1000.0);
  EXPECT_NEAR(playing.left, playing.right, 1.0);  // a plain buffer sits in the middle

  Render(3000);  // past the end of the 4410 frames
  buffer->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);
}

TEST_F(DirectSoundTest, StopKeepsThePositionAndPlayOnAPlayingBufferDoesNotRestart) {
  IDirectSoundBuffer* buffer = ToneBuffer(44100);
  buffer->Play(0, 0, 0);
  Render(1000);
  DWORD played = 0;
  buffer->GetCurrentPosition(&played, nullptr);
  EXPECT_NEAR(static_cast<double>(played), 2000.0, 64.0);

  buffer->Play(0, 0, 0);
  DWORD again = 0;
  buffer->GetCurrentPosition(&again, nullptr);
  EXPECT_GE(again, played);

  buffer->Stop();
  DWORD stopped = 0;
  buffer->GetCurrentPosition(&stopped, nullptr);
  Render(1000);
  DWORD later = 0;
  buffer->GetCurrentPosition(&later, nullptr);
  EXPECT_EQ(stopped, later);

  buffer->Play(0, 0, 0);
  Render(500);
  buffer->GetCurrentPosition(&later, nullptr);
  EXPECT_NEAR(static_cast<double>(later), stopped + 1000.0, 64.0);
}

TEST_F(DirectSoundTest, StopRewindPlayStartsFromTheBeginning) {
  // First 2000 frames loud, the rest silent: what is heard tells where playback is.
  const DWORD frames = 20000;
  IDirectSoundBuffer* buffer = Create(1, 16, frames * 2, DSBCAPS_STATIC);
  std::vector<BYTE> bytes = Tone16(1, frames, 12000.0);
  std::fill(bytes.begin() + 4000, bytes.end(), BYTE{0});
  Fill(buffer, bytes);

  buffer->Play(0, 0, 0);
  Render(6000);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);

  buffer->Stop();
  ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK);
  buffer->Play(0, 0, 0);
  DWORD position = 99;
  buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_LT(position, 64u);
  EXPECT_GT(RenderLevels(1000).left, 1000.0);
}

TEST_F(DirectSoundTest, SetCurrentPositionWhilePlayingJumps) {
  IDirectSoundBuffer* buffer = ToneBuffer(44100);
  buffer->Play(0, 0, 0);
  Render(100);
  ASSERT_EQ(buffer->SetCurrentPosition(40001), DS_OK);  // rounded down to a whole sample
  DWORD position = 0;
  buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_EQ(position, 40000u);
  EXPECT_EQ(buffer->SetCurrentPosition(88200), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LoopingBufferWrapsAndKeepsSounding) {
  IDirectSoundBuffer* buffer = ToneBuffer(2205);  // 50 ms
  ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  Render(44100);
  DWORD status = 0;
  buffer->GetStatus(&status);
  EXPECT_EQ(status, DWORD{DSBSTATUS_PLAYING | DSBSTATUS_LOOPING});
  EXPECT_GT(RenderLevels(1000).left, 1000.0);
  DWORD position = 0;
  buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_LT(position, 4410u);

  // Play without the flag on a playing buffer ends the loop at the buffer's end.
  buffer->Play(0, 0, 0);
  Render(2205);
  buffer->GetStatus(&status);
  EXPECT_EQ(status, 0u);
}

TEST_F(DirectSoundTest, EightBitSilenceIsCentredAndToneIsHeard) {
  IDirectSoundBuffer* buffer = Create(2, 8, 8820, DSBCAPS_STATIC);
  std::vector<BYTE> bytes(8820, 0x80);
  Fill(buffer, bytes);
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  EXPECT_LT(RenderLevels(1000).Both(), kSilence);

  for (size_t i = 0; i < bytes.size(); i += 2) bytes[i] = (i / 2) % 100 < 50 ? 0xE0 : 0x20;  // left only
  Fill(buffer, bytes);
  Render(512);
  const Levels levels = RenderLevels(2000);
  EXPECT_GT(levels.left, 1000.0);
  EXPECT_LT(levels.right, levels.left / 10.0);
}

TEST_F(DirectSoundTest, LockAcrossTheEndSplitsIntoTwoRegions) {
  IDirectSoundBuffer* buffer = Create(1, 16, 1000, DSBCAPS_STATIC);
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD size1 = 0, size2 = 0;
  ASSERT_EQ(buffer->Lock(800, 400, &part1, &size1, &part2, &size2, 0), DS_OK);
  EXPECT_EQ(size1, 200u);
  EXPECT_EQ(size2, 200u);
  EXPECT_EQ(static_cast<BYTE*>(part1) - static_cast<BYTE*>(part2), 800);
  EXPECT_EQ(buffer->Lock(0, 10, &part1, &size1, nullptr, nullptr, 0), DSERR_INVALIDCALL);  // already locked
  EXPECT_EQ(buffer->Unlock(static_cast<BYTE*>(part1) + 2, size1, part2, size2), DSERR_INVALIDPARAM);
  EXPECT_EQ(buffer->Unlock(part1, size1, part2, size2), DS_OK);
  EXPECT_EQ(buffer->Unlock(part1, size1, part2, size2), DSERR_INVALIDCALL);

  ASSERT_EQ(buffer->Lock(0, 0, &part1, &size1, &part2, &size2, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(size1, 1000u);
  EXPECT_EQ(size2, 0u);
  buffer->Unlock(part1, size1, part2, size2);
  EXPECT_EQ(buffer->Lock(1000, 10, &part1, &size1, &part2, &size2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(buffer->Lock(0, 1001, &part1, &size1, &part2, &size2, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, FormatsTheMixerCannotPlayAreRefused) {
  HRESULT result = DS_OK;
  EXPECT_EQ(Create(0, 16, 1000, DSBCAPS_STATIC, &result), nullptr);
  EXPECT_EQ(result, DSERR_BADFORMAT);
  EXPECT_EQ(Create(1, 24, 1200, DSBCAPS_STATIC, &result), nullptr);
  EXPECT_EQ(result, DSERR_BADFORMAT);
  EXPECT_EQ(Create(6, 16, 1200, DSBCAPS_STATIC, &result), nullptr);
  EXPECT_EQ(result, DSERR_BADFORMAT);
  EXPECT_EQ(Create(1, 16, 0, DSBCAPS_STATIC, &result), nullptr);
  EXPECT_EQ(result, DSERR_INVALIDPARAM);

  WAVEFORMATEX format = PcmFormat(1, 16, 0);
  DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 1000, 0, &format, GUID_NULL};
  IDirectSoundBuffer* buffer = nullptr;
  EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);
  format = PcmFormat(1, 16, kRate);
  format.wFormatTag = 3;  // floating point
  EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);
  format = PcmFormat(1, 16, kRate);
  description.dwSize = 12;
  EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
  EXPECT_EQ(buffer, nullptr);
}

TEST_F(DirectSoundTest, ThreeDNeedsAMonoBufferAndTheFlag) {
  HRESULT result = DS_OK;
  EXPECT_EQ(Create(2, 16, 4000, DSBCAPS_STATIC | DSBCAPS_CTRL3D, &result), nullptr);
  EXPECT_EQ(result, DSERR_INVALIDPARAM);

  IDirectSoundBuffer* plain = Create(1, 16, 4000, DSBCAPS_STATIC);
  void* threeD = reinterpret_cast<void*>(1);
  EXPECT_EQ(plain->QueryInterface(IID_IDirectSound3DBuffer8, &threeD), E_NOINTERFACE);
  EXPECT_EQ(threeD, nullptr);

  IDirectSoundBuffer8* buffer8 = nullptr;
  ASSERT_EQ(plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer8)), DS_OK);
  EXPECT_EQ(static_cast<IDirectSoundBuffer*>(buffer8), plain);
  buffer8->Release();
}

TEST_F(DirectSoundTest, HeadRelativeSoundOnTheRightIsLouderOnTheRight) {
  IDirectSoundBuffer* buffer = ToneBuffer(4410, DSBCAPS_STATIC | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer8* threeD = ThreeD(buffer);
  ASSERT_NE(threeD, nullptr);
  ASSERT_EQ(threeD->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE), DS_OK);

  threeD->SetPosition(3.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
  const Levels right = LevelsOf(buffer);
  EXPECT_GT(right.right, 2.0 * right.left);

  threeD->SetPosition(-3.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
  const Levels left = LevelsOf(buffer);
  EXPECT_GT(left.left, 2.0 * left.right);

  // Ahead and behind are both centred in stereo (z only changes sign between the systems).
  threeD->SetPosition(0.0f, 0.0f, 2.0f, DS3D_IMMEDIATE);
  const Levels ahead = LevelsOf(buffer);
  EXPECT_NEAR(ahead.left, ahead.right, ahead.left * 0.05);
  threeD->Release();
}

TEST_F(DirectSoundTest, ThreeDSoundIsFainterFartherAway) {
  IDirectSoundBuffer* buffer = ToneBuffer(4410, DSBCAPS_STATIC | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer8* threeD = ThreeD(buffer);
  threeD->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE);
  threeD->SetPosition(0.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
  const double near = LevelsOf(buffer).Both();
  threeD->SetPosition(0.0f, 0.0f, 4.0f, DS3D_IMMEDIATE);
  const double far = LevelsOf(buffer).Both();
  // Inverse distance from the minimum distance 1: four times as far is a quarter as loud.
  EXPECT_NEAR(far / near, 0.25, 0.03);

  threeD->SetMinDistance(4.0f, DS3D_IMMEDIATE);
  EXPECT_NEAR(LevelsOf(buffer).Both() / near, 1.0, 0.05);
  threeD->Release();
}

TEST_F(DirectSoundTest, ListenerOrientationDecidesLeftAndRight) {
  CreatePrimary(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME);
  IDirectSoundBuffer* buffer = ToneBuffer(4410, DSBCAPS_STATIC | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer8* threeD = ThreeD(buffer);
  threeD->SetPosition(5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE);  // world space, right of the origin

  const Levels facingForward = LevelsOf(buffer);
  EXPECT_GT(facingForward.right, 2.0 * facingForward.left);

  // Turned round to face -z, +x is on the listener's left.
  ASSERT_EQ(listener->SetOrientation(0, 0, -1, 0, 1, 0, DS3D_IMMEDIATE), DS_OK);
  const Levels facingBack = LevelsOf(buffer);
  EXPECT_GT(facingBack.left, 2.0 * facingBack.right);
  threeD->Release();
}

TEST_F(DirectSoundTest, DeferredListenerSettingsWaitForTheCommit) {
  CreatePrimary(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME);
  IDirectSoundBuffer* buffer = ToneBuffer(4410, DSBCAPS_STATIC | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer8* threeD = ThreeD(buffer);
  threeD->SetPosition(0.0f, 0.0f, 8.0f, DS3D_IMMEDIATE);
  const double attenuated = LevelsOf(buffer).Both();

  ASSERT_EQ(listener->SetRolloffFactor(0.0f, DS3D_DEFERRED), DS_OK);
  ASSERT_EQ(listener->SetPosition(1.0f, 2.0f, 3.0f, DS3D_DEFERRED), DS_OK);
  EXPECT_NEAR(LevelsOf(buffer).Both(), attenuated, attenuated * 0.02);

  ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
  EXPECT_GT(LevelsOf(buffer).Both(), 4.0 * attenuated);

  DS3DLISTENER parameters{};
  parameters.dwSize = sizeof(DS3DLISTENER);
  ASSERT_EQ(listener->GetAllParameters(&parameters), DS_OK);
  EXPECT_EQ(parameters.dwSize, 64u);
  EXPECT_FLOAT_EQ(parameters.flRolloffFactor, 0.0f);
  EXPECT_FLOAT_EQ(parameters.vPosition.z, 3.0f);
  EXPECT_FLOAT_EQ(parameters.vOrientFront.z, 1.0f);
  EXPECT_FLOAT_EQ(parameters.vOrientTop.y, 1.0f);
  EXPECT_FLOAT_EQ(parameters.flDistanceFactor, 1.0f);
  EXPECT_FLOAT_EQ(parameters.flDopplerFactor, 1.0f);

  parameters.dwSize = 60;
  EXPECT_EQ(listener->GetAllParameters(&parameters), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetRolloffFactor(11.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetDistanceFactor(0.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
  EXPECT_EQ(listener->SetPosition(0, 0, 0, 7), DSERR_INVALIDPARAM);
  threeD->Release();
}

TEST_F(DirectSoundTest, DeferredBufferPositionMovesOnlyOnCommit) {
  CreatePrimary(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D);
  IDirectSoundBuffer* buffer = ToneBuffer(4410, DSBCAPS_STATIC | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer8* threeD = ThreeD(buffer);
  threeD->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE);
  threeD->SetPosition(-4.0f, 0.0f, 0.0f, DS3D_IMMEDIATE);
  threeD->SetPosition(4.0f, 0.0f, 0.0f, DS3D_DEFERRED);
  const Levels before = LevelsOf(buffer);
  EXPECT_GT(before.left, before.right);
  listener->CommitDeferredSettings();
  const Levels after = LevelsOf(buffer);
  EXPECT_GT(after.right, after.left);
  threeD->Release();
}

TEST_F(DirectSoundTest, PrimaryVolumeIsInHundredthsOfADecibel) {
  CreatePrimary(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME);
  LONG volume = 1;
  ASSERT_EQ(primary->GetVolume(&volume), DS_OK);
  EXPECT_EQ(volume, 0);

  IDirectSoundBuffer* buffer = ToneBuffer(4410);
  const double full = LevelsOf(buffer).Both();
  ASSERT_EQ(primary->SetVolume(-600), DS_OK);  // -6 dB: about half the amplitude
  EXPECT_NEAR(LevelsOf(buffer).Both() / full, 0.501, 0.03);
  primary->GetVolume(&volume);
  EXPECT_EQ(volume, -600);
  primary->SetVolume(DSBVOLUME_MIN);
  EXPECT_LT(LevelsOf(buffer).Both(), full * 0.01);

  EXPECT_EQ(primary->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(primary->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(primary->Stop(), DS_OK);
  void* part = nullptr;
  DWORD size = 0;
  EXPECT_EQ(primary->Lock(0, 4, &part, &size, nullptr, nullptr, 0), DSERR_PRIOLEVELNEEDED);
}

TEST_F(DirectSoundTest, PrimaryWithoutTheControlsHasNoVolumeOrListener) {
  CreatePrimary(DSBCAPS_PRIMARYBUFFER);
  LONG volume = 0;
  EXPECT_EQ(primary->GetVolume(&volume), DSERR_CONTROLUNAVAIL);
  void* object = nullptr;
  EXPECT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, &object), E_NOINTERFACE);
  EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, &object), E_NOINTERFACE);

  DSBUFFERDESC description{};
  description.dwSize = sizeof(DSBUFFERDESC);
  description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
  description.dwBufferBytes = 4096;
  IDirectSoundBuffer* second = nullptr;
  EXPECT_EQ(directSound->CreateSoundBuffer(&description, &second, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, CapsCountTheMixersVoices) {
  DSCAPS caps{};
  caps.dwSize = 95;
  EXPECT_EQ(directSound->GetCaps(&caps), DSERR_INVALIDPARAM);
  caps.dwSize = sizeof(DSCAPS);
  EXPECT_EQ(caps.dwSize, 96u);
  ASSERT_EQ(directSound->GetCaps(&caps), DS_OK);
  EXPECT_GT(caps.dwMaxHwMixingAllBuffers, 0u);
  EXPECT_GT(caps.dwMaxHw3DAllBuffers, 0u);
  EXPECT_LE(caps.dwMaxHw3DAllBuffers, caps.dwMaxHwMixingAllBuffers);
  EXPECT_EQ(caps.dwPrimaryBuffers, 1u);
  EXPECT_EQ(caps.dwMinSecondarySampleRate, DWORD{DSBFREQUENCY_MIN});
  EXPECT_EQ(caps.dwMaxSecondarySampleRate, DWORD{DSBFREQUENCY_MAX});
  EXPECT_TRUE(caps.dwFlags & DSCAPS_SECONDARY16BIT);
  EXPECT_FALSE(caps.dwFlags & DSCAPS_CERTIFIED);
  const DWORD freeBefore = caps.dwFreeHwMixingAllBuffers;

  Create(1, 16, 1000, DSBCAPS_STATIC);
  ASSERT_EQ(directSound->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwFreeHwMixingAllBuffers, freeBefore - 1);

  DWORD certified = 99;
  ASSERT_EQ(directSound->VerifyCertification(&certified), DS_OK);
  EXPECT_EQ(certified, DWORD{DS_UNCERTIFIED});
  DWORD speakers = 99;
  ASSERT_EQ(directSound->GetSpeakerConfig(&speakers), DS_OK);
  EXPECT_EQ(speakers, DWORD{DSSPEAKER_STEREO});
}

TEST_F(DirectSoundTest, CooperativeLevelNeedsAWindowAndAKnownLevel) {
  EXPECT_EQ(directSound->SetCooperativeLevel(nullptr, DSSCL_EXCLUSIVE), DSERR_INVALIDPARAM);
  EXPECT_EQ(directSound->SetCooperativeLevel(kWindow, 9), DSERR_INVALIDPARAM);
  EXPECT_EQ(directSound->SetCooperativeLevel(kWindow, DSSCL_PRIORITY), DS_OK);
  void* object = nullptr;
  EXPECT_EQ(directSound->QueryInterface(IID_IDirectSound8, &object), DS_OK);
  static_cast<IDirectSound8*>(object)->Release();
}

TEST_F(DirectSoundTest, BuffersOutliveTheReleasedDeviceObject) {
  IDirectSoundBuffer* buffer = ToneBuffer(4410);
  directSound->Release();
  directSound = nullptr;
  EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
  EXPECT_GT(RenderLevels(1000).left, 1000.0);
}

}  // namespace
