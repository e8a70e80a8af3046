// The built data through the engine's own loaders, as the game calls them from its run
// directory: every texture through D3DX on the null device, every paddle model through the .x
// loader, every effect into a DirectSound buffer (and heard), every music track through the
// music graph.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dsound.h>

#include <cstring>

#include "d3dx9.h"
#include "fixture.h"
#include "platform/d3d9/null_device_fixture.h"
#include "platform/dsound/sound_test_support.h"
#include "png_codec.h"
#include "xfile.h"

namespace assetgen::testing {
namespace {

// The game opens "./base/..." relative to its current directory.
class InRunDirectory {
 public:
  InRunDirectory() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(runDir()); }
  ~InRunDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

std::vector<std::string> filesUnder(const std::string& folder, const std::string& extension) {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(runDir() / folder)) {
    if (entry.path().extension() == extension) {
      out.push_back(std::filesystem::relative(entry.path(), runDir()).generic_string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

class EngineLoaders : public NullDeviceTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(runDir() / "base" / ".generated")) {
      GTEST_FAIL() << "no generated data in " << runDir() << ": build the base_data target first";
    }
    NullDeviceTest::SetUp();
  }
  InRunDirectory here_;
};

// The texture pool's call for scene textures: sizes from the file, three mip levels.
TEST_F(EngineLoaders, EveryTextureLoadsWithItsOwnSize) {
  const std::vector<std::string> textures = filesUnder("base", ".tex");
  ASSERT_GT(textures.size(), 100u);
  for (const std::string& path : textures) {
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    const std::string name = "./" + path;
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device, name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 3, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_POINT, 0, &info, nullptr,
                                           &texture),
              D3D_OK)
        << path;
    if (!texture) continue;
    Image image;
    std::string error;
    ASSERT_TRUE(decodePng(readBytes(runDir() / path), image, error)) << path;
    EXPECT_EQ(info.Width, static_cast<UINT>(image.width)) << path;
    EXPECT_EQ(info.Height, static_cast<UINT>(image.height)) << path;
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG) << path;
    texture->Release();
  }
}

// Names as the code writes them: backslashes and capitals, found through the platform's rule.
TEST_F(EngineLoaders, TexturesResolveByTheNamesTheGameUses) {
  for (const char* name : {".\\base\\tex\\menu\\LetsGo1.tex", ".\\base\\tex\\menu\\Prev2.tex", "./base/tex/Color1.tex",
                           ".\\base\\menu\\arrow.tex"}) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device, name, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_POINT, 0, nullptr, nullptr,
                                           &texture),
              D3D_OK)
        << name;
    if (texture) texture->Release();
  }
}

TEST_F(EngineLoaders, EveryPaddleModelLoadsWithATexturedFaceAndAPlainRim) {
  const std::vector<std::string> models = filesUnder("base/mdl", ".x");
  ASSERT_GE(models.size(), 2u);
  for (const std::string& path : models) {
    SCOPED_TRACE(path);
    ID3DXBuffer* materials = nullptr;
    ID3DXMesh* mesh = nullptr;
    DWORD count = 0;
    ASSERT_EQ(D3DXLoadMeshFromXA(("./" + path).c_str(), D3DXMESH_MANAGED, device, nullptr, &materials, nullptr, &count,
                                 &mesh),
              D3D_OK);
    XMesh parsed;
    std::string error;
    const std::vector<uint8_t> bytes = readBytes(runDir() / path);
    ASSERT_TRUE(parseX(std::string(bytes.begin(), bytes.end()), parsed, error)) << error;
    EXPECT_EQ(mesh->GetNumFaces(), parsed.faces.size());
    ASSERT_EQ(count, 2u);
    const auto* list = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    ASSERT_NE(list[0].pTextureFilename, nullptr);
    EXPECT_TRUE(std::filesystem::is_regular_file(runDir() / "base/tex" / list[0].pTextureFilename))
        << list[0].pTextureFilename;
    EXPECT_TRUE(list[1].pTextureFilename == nullptr || list[1].pTextureFilename[0] == '\0');
    EXPECT_GT(list[0].MatD3D.Diffuse.r, 0.5f) << "the face shows its skin at full brightness";
    materials->Release();
    mesh->Release();
  }
}

class SoundLoaders : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(runDir() / "base" / ".generated")) {
      GTEST_FAIL() << "no generated data in " << runDir() << ": build the base_data target first";
    }
    platform::UseLoopbackSound(sound_test::kRate);
  }
  void TearDown() override { platform::UseDeviceSound(); }
  InRunDirectory here_;
};

// As the engine's sound loader does: the format and data size at fixed offsets of the header,
// a static 3-D buffer of that size, the samples copied in; then played and heard.
TEST_F(SoundLoaders, EveryEffectFillsADirectSoundBufferAndIsHeard) {
  IDirectSound8* sound = nullptr;
  ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), DS_OK);
  ASSERT_EQ(sound->SetCooperativeLevel(sound_test::kWindow, DSSCL_EXCLUSIVE), DS_OK);
  for (const char* name : {"paddle1", "paddle2", "score", "wall", "power", "screenshot", "click", "over", "win",
                           "lose", "perfect"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = readBytes(runDir() / "base/sfx" / (std::string(name) + ".sfx"));
    ASSERT_GT(bytes.size(), 44u);
    WAVEFORMATEX format{};
    std::memcpy(&format, &bytes[20], 16);
    uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, &bytes[40], 4);
    EXPECT_EQ(format.nChannels, 1) << "3-D sounds must be mono";
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D;
    desc.dwBufferBytes = dataBytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(sound->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    ASSERT_EQ(buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER), DS_OK);
    std::memcpy(first, &bytes[44], std::min<size_t>(firstBytes, dataBytes));
    ASSERT_EQ(buffer->Unlock(first, firstBytes, second, secondBytes), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const sound_test::Levels levels = sound_test::RootMeanSquare(sound_test::Render(sound_test::kRate / 20));
    EXPECT_GT(levels.Both(), 10 * sound_test::kSilence);
    buffer->Stop();
    buffer->Release();
  }
  sound->Release();
}

TEST_F(SoundLoaders, EveryMusicTrackRendersAsALoopOfAtLeastThirtySeconds) {
  for (const char* name : {".\\base\\sfx\\intro.sfx", ".\\base\\sfx\\inter.sfx", ".\\base\\sfx\\credits.sfx"}) {
    IGraphBuilder* graph = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    const std::string absolute = (runDir() / storedName(name)).string();
    const std::wstring wide(absolute.begin(), absolute.end());
    EXPECT_EQ(graph->RenderFile(wide.c_str(), nullptr), S_OK) << name;
    IMediaPosition* position = nullptr;
    ASSERT_EQ(graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)), S_OK);
    REFTIME duration = 0;
    EXPECT_EQ(position->get_Duration(&duration), S_OK);
    EXPECT_GE(duration, 30.0) << name;
    position->Release();
    graph->Release();
  }
}

}  // namespace
}  // namespace assetgen::testing
