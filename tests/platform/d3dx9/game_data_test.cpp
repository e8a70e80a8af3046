// The game's own generated data (base/ in the run directory, written at build time) loads
// through the utility library: every model and every texture file.
#include <gtest/gtest.h>

#include <filesystem>

#include "d3dx9.h"
#include "platform/d3d9/null_device_fixture.h"

namespace {

std::vector<std::string> FilesWithExtension(const std::filesystem::path& folder, const std::string& extension) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
    if (it->path().extension() == extension) files.push_back(it->path().string());
  return files;
}

class GeneratedGameData : public NullDeviceTest {
 protected:
  std::filesystem::path base = std::filesystem::path(RALLIX_RUN_DIR) / "base";
};

TEST_F(GeneratedGameData, EveryModelLoadsWithMaterialsAndFaces) {
  std::vector<std::string> models = FilesWithExtension(base / "mdl", ".x");
  if (models.empty()) GTEST_SKIP() << "no generated models in " << base;
  for (const std::string& path : models) {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    ASSERT_EQ(D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, device, nullptr, &materials, nullptr, &count, &mesh),
              D3D_OK)
        << path;
    EXPECT_GT(mesh->GetNumFaces(), 0u) << path;
    EXPECT_GE(count, 1u) << path;
    EXPECT_GE(materials->GetBufferSize(), count * sizeof(D3DXMATERIAL)) << path;
    ID3DXMesh* engineFormat = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, 0x112, device, &engineFormat), D3D_OK) << path;
    EXPECT_EQ(D3DXComputeNormals(engineFormat, nullptr), D3D_OK) << path;
    engineFormat->Release();
    materials->Release();
    mesh->Release();
  }
}

TEST_F(GeneratedGameData, EveryTextureFileLoads) {
  std::vector<std::string> textures = FilesWithExtension(base, ".tex");
  if (textures.empty()) GTEST_SKIP() << "no generated textures in " << base;
  for (const std::string& path : textures) {
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 3, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_POINT, 0, &info, nullptr,
                                           &texture),
              D3D_OK)
        << path;
    EXPECT_GT(info.Width, 0u) << path;
    texture->Release();
  }
}

}  // namespace
