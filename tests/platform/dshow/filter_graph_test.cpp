// The music graph on a loopback device: a WAV or Ogg Vorbis file rendered by content is heard
// after Run, its position follows what was mixed, Stop holds it, a seek back to 0 plays the
// start again after the end, and files that cannot be decoded fail RenderFile cleanly.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dsound.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/dsound/sound_test_support.h"

#ifdef RALLIX_HAVE_VORBISENC
#include <vorbis/vorbisenc.h>
#endif

using namespace sound_test;

namespace {

std::string TempPath(const char* name) { return ::testing::TempDir() + name; }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class FilterGraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseLoopbackSound(kRate);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
    ASSERT_EQ(graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)), S_OK);
  }
  void TearDown() override {
    if (position) position->Release();
    if (control) control->Release();
    if (graph) graph->Release();
    platform::UseDeviceSound();
  }

  HRESULT Render(const std::string& path) { return graph->RenderFile(Wide(path).c_str(), nullptr); }

  double Position() {
    REFTIME now = -1.0;
    EXPECT_EQ(position->get_CurrentPosition(&now), S_OK);
    return now;
  }

  // Mixes in small blocks, giving the stream's worker time to refill between them.
  Levels Mix(DWORD frames) {
    std::vector<SHORT> all;
    for (DWORD done = 0; done < frames; done += 512) {
      std::vector<SHORT> block = sound_test::Render(512);
      all.insert(all.end(), block.begin(), block.end());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return RootMeanSquare(all);
  }

  // Waits until the worker has queued the first chunks after Run or a seek.
  void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(60)); }

  IGraphBuilder* graph = nullptr;
  IMediaControl* control = nullptr;
  IMediaPosition* position = nullptr;
};

TEST_F(FilterGraphTest, WaveMusicIsHeardAfterRunAndItsPositionFollowsTheMix) {
  const std::string path = TempPath("music_tone.wav");
  WriteWave(path, 2, 16, kRate, Tone16(2, kRate, 12000.0), true);  // one second
  ASSERT_EQ(Render(path), S_OK);
  REFTIME length = 0.0;
  ASSERT_EQ(position->get_Duration(&length), S_OK);
  EXPECT_NEAR(length, 1.0, 1e-6);
  EXPECT_DOUBLE_EQ(Position(), 0.0);
  EXPECT_LT(Mix(2048).Both(), kSilence);  // not running yet

  ASSERT_EQ(control->Run(), S_OK);
  Settle();
  const Levels levels = Mix(8192);
  EXPECT_GT(levels.left, 1000.0);
  EXPECT_GT(levels.right, 1000.0);
  EXPECT_NEAR(Position(), 8192.0 / kRate, 0.02);

  ASSERT_EQ(control->Stop(), S_OK);
  Settle();
  const double held = Position();
  Mix(512);  // the mix that was under way when the pause arrived
  EXPECT_LT(Mix(4096).Both(), kSilence);
  EXPECT_DOUBLE_EQ(Position(), held);
  OAFilterState state = -1;
  control->GetState(0, &state);
  EXPECT_EQ(state, State_Stopped);
}

TEST_F(FilterGraphTest, AfterTheEndPositionIsTheDurationAndASeekToZeroPlaysAgain) {
  const std::string path = TempPath("music_short.wav");
  WriteWave(path, 1, 8, 22050, std::vector<BYTE>(2205, 0xF0));  // 0.1 s, 8-bit mono
  ASSERT_EQ(Render(path), S_OK);
  control->Run();
  Settle();
  Mix(8820);
  Settle();
  EXPECT_NEAR(Position(), 0.1, 1e-6);
  EXPECT_LT(Mix(1024).Both(), kSilence);

  ASSERT_EQ(position->put_CurrentPosition(0.0), S_OK);
  EXPECT_DOUBLE_EQ(Position(), 0.0);
  Settle();
  EXPECT_GT(Mix(1024).Both(), 1000.0);
  EXPECT_GT(Position(), 0.0);
}

TEST_F(FilterGraphTest, SeekMovesThePositionWhileStopped) {
  const std::string path = TempPath("music_seek.wav");
  WriteWave(path, 1, 16, kRate, Tone16(1, kRate * 2, 8000.0));
  ASSERT_EQ(Render(path), S_OK);
  ASSERT_EQ(position->put_CurrentPosition(1.5), S_OK);
  Settle();
  EXPECT_NEAR(Position(), 1.5, 1e-3);
  position->put_CurrentPosition(99.0);  // clamped to the end
  Settle();
  EXPECT_NEAR(Position(), 2.0, 1e-3);
  EXPECT_EQ(position->put_CurrentPosition(-1.0), E_INVALIDARG);
}

TEST_F(FilterGraphTest, FilesThatCannotBeDecodedFailRenderFile) {
  EXPECT_EQ(Render(TempPath("no_such_music.wav")), static_cast<HRESULT>(0x80070002));

  const std::string garbage = TempPath("music_garbage.sfx");
  std::ofstream(garbage, std::ios::binary) << "this is not music at all";
  EXPECT_EQ(Render(garbage), VFW_E_UNKNOWN_FILE_TYPE);

  const std::string truncated = TempPath("music_truncated.wav");
  std::ofstream(truncated, std::ios::binary).write("RIFF\x10\0\0\0WAVEfmt ", 16);
  EXPECT_EQ(Render(truncated), VFW_E_INVALID_FILE_FORMAT);

  const std::string wide = TempPath("music_24bit.wav");
  WriteWave(wide, 1, 24, kRate, std::vector<BYTE>(300, 0));
  EXPECT_EQ(Render(wide), VFW_E_UNSUPPORTED_STREAM);

  const std::string noChannels = TempPath("music_nochannels.wav");
  WriteWave(noChannels, 0, 16, kRate, std::vector<BYTE>(300, 0));
  EXPECT_EQ(Render(noChannels), VFW_E_UNSUPPORTED_STREAM);

  const std::string badOgg = TempPath("music_bad.ogg");
  std::ofstream(badOgg, std::ios::binary) << "OggS but nothing that follows makes sense";
  EXPECT_EQ(Render(badOgg), VFW_E_INVALID_FILE_FORMAT);

  REFTIME length = 0.0;
  EXPECT_EQ(position->get_Duration(&length), VFW_E_NOT_FOUND);
  EXPECT_EQ(control->Run(), S_OK);  // an empty graph runs and plays nothing
}

TEST_F(FilterGraphTest, DataSizeBeyondTheFileIsCutAtTheEnd) {
  const std::string path = TempPath("music_oversized.wav");
  WriteWave(path, 1, 16, kRate, Tone16(1, 4410, 8000.0));
  std::fstream patch(path, std::ios::binary | std::ios::in | std::ios::out);
  patch.seekp(40);
  WriteLittle(patch, 0x7FFFFFF0u, 4);
  patch.close();
  ASSERT_EQ(Render(path), S_OK);
  REFTIME length = 0.0;
  position->get_Duration(&length);
  EXPECT_NEAR(length, 0.1, 1e-6);
}

TEST_F(FilterGraphTest, PathsWithBackslashesAndOtherCaseResolve) {
  const std::string directory = ::testing::TempDir();
  WriteWave(directory + "Music_Case.wav", 1, 16, kRate, Tone16(1, 441, 8000.0));
  std::string windowsStyle = directory + "MUSIC_CASE.WAV";
  for (char& c : windowsStyle)
    if (c == '/') c = '\\';
  EXPECT_EQ(Render(windowsStyle), S_OK);
  EXPECT_EQ(Render(windowsStyle), VFW_E_WRONG_STATE);  // one file per graph
}

#ifdef RALLIX_HAVE_VORBISENC
// Encodes mono 16-bit samples as an Ogg Vorbis file.
void WriteVorbis(const std::string& path, const std::vector<BYTE>& samples, int rate) {
  vorbis_info info;
  vorbis_info_init(&info);
  ASSERT_EQ(vorbis_encode_init_vbr(&info, 1, rate, 0.4f), 0);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  std::ofstream out(path, std::ios::binary);
  auto writePage = [&](const ogg_page& page) {
    out.write(reinterpret_cast<const char*>(page.header), page.header_len);
    out.write(reinterpret_cast<const char*>(page.body), page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) writePage(page);

  const int frames = static_cast<int>(samples.size() / 2);
  float** buffer = vorbis_analysis_buffer(&dsp, frames);
  for (int i = 0; i < frames; ++i)
    buffer[0][i] = static_cast<int16_t>(samples[2 * i] | (samples[2 * i + 1] << 8)) / 32768.0f;
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&stream, &packet);
      while (ogg_stream_pageout(&stream, &page)) writePage(page);
    }
  }
  while (ogg_stream_flush(&stream, &page)) writePage(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
}

TEST_F(FilterGraphTest, OggVorbisMusicIsDecodedAndHeard) {
  const std::string path = TempPath("music_tone.sfx");  // the extension says nothing
  WriteVorbis(path, Tone16(1, kRate / 2, 12000.0), kRate);
  ASSERT_EQ(Render(path), S_OK);
  REFTIME length = 0.0;
  ASSERT_EQ(position->get_Duration(&length), S_OK);
  EXPECT_NEAR(length, 0.5, 0.01);
  control->Run();
  Settle();
  EXPECT_GT(Mix(4096).Both(), 1000.0);
  EXPECT_NEAR(Position(), 4096.0 / kRate, 0.02);
}

TEST_F(FilterGraphTest, TruncatedOggVorbisPlaysWhatIsThereAndEnds) {
  const std::string path = TempPath("music_cut.ogg");
  WriteVorbis(path, Tone16(1, kRate, 12000.0), kRate);
  std::ifstream in(path, std::ios::binary);
  std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(whole.data(), static_cast<std::streamsize>(whole.size() / 2));
  const HRESULT result = Render(path);
  if (result == S_OK) {
    control->Run();
    Settle();
    Mix(kRate + 8192);
    Settle();
    REFTIME length = 0.0;
    position->get_Duration(&length);
    EXPECT_LE(Position(), length + 1e-6);
  } else {
    EXPECT_EQ(result, VFW_E_INVALID_FILE_FORMAT);
  }
}
#endif

}  // namespace
