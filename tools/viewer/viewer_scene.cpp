// The viewer's scene: builds the arena box from aruVB quads, loads the sphere, the model and the
// font, draws them with the engine's camera and lighting, and finishes with a screenshot.
#include "viewer_scene.h"

#include <d3dx9.h>

#include <algorithm>
#include <cstdio>

namespace viewer {
namespace {

constexpr uint32_t kFramesBeforeScreenshot = 5;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kAmbient = 0xFF606060;

struct Corner {
  float x, y, z;
};

// One rectangle of the box as two triangles, corners in clockwise order as seen from inside.
void AddFace(std::vector<aruNVertex>& out, Corner a, Corner b, Corner c, Corner d, Corner normal, float uRepeat,
             float vRepeat) {
  auto vertex = [&](Corner p, float u, float v) {
    return aruNVertex{p.x, p.y, p.z, normal.x, normal.y, normal.z, kWhite, u, v};
  };
  const aruNVertex va = vertex(a, 0, 0), vb = vertex(b, uRepeat, 0), vc = vertex(c, uRepeat, vRepeat),
                   vd = vertex(d, 0, vRepeat);
  out.insert(out.end(), {va, vb, vc, va, vc, vd});
}

std::unique_ptr<aruVB> MakeList(ARU* engine, const std::vector<aruNVertex>& vertices, int32_t texture) {
  auto list = std::make_unique<aruVB>(engine);
  list->SetPrimitiveType(D3DPT_TRIANGLELIST);
  list->SetTexture(texture);
  if (FAILED(list->Create(static_cast<uint32_t>(vertices.size()), static_cast<uint32_t>(vertices.size() / 3),
                          vertices.data()))) {
    return nullptr;
  }
  return list;
}

void WorldAt(ARU* engine, float x, float y, float z, float turnY) {
  aruMatrix world;
  world.Identity();
  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, turnY);
  world.Multiply(&turn._11);
  world.Translate(x, y, z);
  engine->SetWorldTransform(world);
}

}  // namespace

ViewerScene::ViewerScene(ARU* engine, const Options& options)
    : aruScene(engine), options(options), sphere(engine), model(engine), font(engine) {}

HRESULT ViewerScene::Initialize() {
  if (FAILED(BuildArena())) {
    fprintf(stderr, "aru-viewer: could not build the arena box\n");
    return E_FAIL;
  }
  const std::string folder = options.dataFolder + "/";
  const int32_t ball = engine->LoadTexture((folder + "ball.bmp").c_str(), 0, 3);
  if (!sphere.CreateSphere(1.1f, 24, 16, ball, true)) {
    fprintf(stderr, "aru-viewer: could not create the sphere\n");
    return E_FAIL;
  }
  if (!model.LoadX((folder + "model.x").c_str(), folder.c_str())) {
    fprintf(stderr, "aru-viewer: could not load %smodel.x\n", folder.c_str());
    return E_FAIL;
  }
  if (FAILED(font.Create("Verdana", 25, false, false, false))) {
    fprintf(stderr, "aru-viewer: could not create the font\n");
    return E_FAIL;
  }
  const float aspect = engine->GetScreenWidth() / engine->GetScreenHeight();
  engine->SetView(0, 0.8f, -10.5f, 0, -0.6f, 4, 0, 1, 0, 1, 1000, 0.785398f, aspect);
  SetUpLight();
  return 0;
}

HRESULT ViewerScene::BuildArena() {
  const std::string folder = options.dataFolder + "/";
  const int32_t brick = engine->LoadTexture((folder + "wall.bmp").c_str(), 0, 3);
  const int32_t checkers = engine->LoadTexture((folder + "floor.bmp").c_str(), 0, 3);
  // The box spans x -4..4, y -3..3, z -4..8 and is open towards the camera.
  std::vector<aruNVertex> wallFaces, floorFace, ceilingFace;
  AddFace(wallFaces, {-4, 3, 8}, {4, 3, 8}, {4, -3, 8}, {-4, -3, 8}, {0, 0, -1}, 4, 3);
  AddFace(wallFaces, {-4, 3, -4}, {-4, 3, 8}, {-4, -3, 8}, {-4, -3, -4}, {1, 0, 0}, 6, 3);
  AddFace(wallFaces, {4, 3, 8}, {4, 3, -4}, {4, -3, -4}, {4, -3, 8}, {-1, 0, 0}, 6, 3);
  AddFace(floorFace, {-4, -3, 8}, {4, -3, 8}, {4, -3, -4}, {-4, -3, -4}, {0, 1, 0}, 4, 6);
  AddFace(ceilingFace, {-4, 3, -4}, {4, 3, -4}, {4, 3, 8}, {-4, 3, 8}, {0, -1, 0}, 4, 6);
  walls = MakeList(engine, wallFaces, brick);
  floor = MakeList(engine, floorFace, checkers);
  ceiling = MakeList(engine, ceilingFace, checkers);
  return walls && floor && ceiling ? 0 : E_FAIL;
}

void ViewerScene::SetUpLight() {
  IDirect3DDevice9* device = engine->GetDevice();
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 0.95f, 0.85f, 1.0f};
  light.Specular = {0.6f, 0.6f, 0.6f, 1.0f};
  light.Direction = {0.35f, -0.6f, 0.7f};
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  D3DMATERIAL9 material{};
  material.Diffuse = material.Ambient = {1, 1, 1, 1};
  device->SetMaterial(&material);
  engine->SetLighting(true, kAmbient);
}

HRESULT ViewerScene::RestoreDeviceObjects() {
  SetUpLight();
  return font.Restore();
}

HRESULT ViewerScene::InvalidateDeviceObjects() {
  font.Invalidate();
  return 0;
}

void ViewerScene::DrawScene() {
  engine->Apply();
  IDirect3DDevice9* device = engine->GetDevice();
  D3DMATERIAL9 plain{};
  plain.Diffuse = plain.Ambient = {1, 1, 1, 1};
  device->SetMaterial(&plain);
  WorldAt(engine, 0, 0, 0, 0);
  walls->Draw();
  floor->Draw();
  ceiling->Draw();
  WorldAt(engine, -1.9f, -1.9f, 2.5f, 0.4f);
  sphere.Draw();
  WorldAt(engine, 1.6f, -1.2f, 1.5f, -0.5f);
  model.Draw();

  engine->Begin2D();
  RECT extent{};
  font.DrawText(&extent, 40, 990, 0xFFFFFF40, "Quillmark Rallix viewer: arena box, sphere, model and text");
  font.DrawTextf(&extent, 40, 950, 0xFFFFFFFF, "Back buffer %dx%d, frame %u",
                 static_cast<int>(engine->GetScreenWidth()), static_cast<int>(engine->GetScreenHeight()), frames);
}

HRESULT ViewerScene::Render() {
  DrawScene();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (frames == 0) startCount = now.QuadPart;
  if (frames > 0 && options.benchmarkSeconds > 0) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frameSeconds.push_back(static_cast<double>(now.QuadPart - lastCount) / frequency.QuadPart);
    const double elapsed = static_cast<double>(now.QuadPart - startCount) / frequency.QuadPart;
    if (elapsed < options.benchmarkSeconds) {
      lastCount = now.QuadPart;
      ++frames;
      return 0;
    }
    ReportBenchmark();
  }
  lastCount = now.QuadPart;
  ++frames;
  if (frames > kFramesBeforeScreenshot && (options.benchmarkSeconds <= 0 || !frameSeconds.empty())) {
    if (options.exitCode != nullptr) *options.exitCode = Finish() ? 0 : 1;
    engine->Quit();
  }
  return 0;
}

void ViewerScene::ReportBenchmark() {
  std::vector<double> sorted = frameSeconds;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  printf("aru-viewer: %zu frames at %dx%d, median frame %.3f ms, median %.1f frames per second\n", sorted.size(),
         static_cast<int>(engine->GetScreenWidth()), static_cast<int>(engine->GetScreenHeight()), median * 1000.0,
         1.0 / median);
  fflush(stdout);
}

bool ViewerScene::Finish() {
  if (options.outputFile.empty()) return true;
  // The front buffer holds the previous, fully presented frame.
  if (!engine->ScreenShotTo(options.outputFile.c_str())) {
    fprintf(stderr, "aru-viewer: could not write %s\n", options.outputFile.c_str());
    return false;
  }
  return true;
}

HRESULT ViewerScene::Destroy() {
  font.Release();
  model.Release();
  sphere.Release();
  walls.reset();
  floor.reset();
  ceiling.reset();
  return 0;
}

}  // namespace viewer
