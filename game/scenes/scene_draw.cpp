// The match scenes' shared drawing helpers.
#include "scenes/scene_draw.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "rallix_game.h"
#include "scenes/scene2.h"
#include "services/mesh.h"
#include "services/vb.h"

namespace scenedraw {

namespace {
constexpr float pi = std::numbers::pi_v<float>;
}  // namespace

const char* const splatTextures[splatCount] = {".\\base\\tex\\goal.tex", ".\\base\\tex\\reflect.tex",
                                               ".\\base\\tex\\part2.tex", ".\\base\\tex\\part2.tex",
                                               ".\\base\\tex\\boom.tex"};

GoalSplat* Splat(RallixGame* game, int index) {
  GoalSplat* splats[splatCount] = {&game->goalSplat, &game->hitSplat, &game->sideSplat,
                                    &game->floorSplat, &game->powerSplat};
  return splats[index];
}

void RotationY(float angle, float out[16]) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float m[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  std::memcpy(out, m, sizeof m);
}
void RotationX(float angle, float out[16]) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float m[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
  std::memcpy(out, m, sizeof m);
}
void RotationZ(float angle, float out[16]) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float m[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::memcpy(out, m, sizeof m);
}

void MakeSquare(float side, D3DCOLOR colour, aruNVertex out[4]) {
  const float h = side * 0.5f;
  out[0] = {-h, h, 0, 0, 0, -1, colour, 0, 0};
  out[1] = {h, h, 0, 0, 0, -1, colour, 1, 0};
  out[2] = {-h, -h, 0, 0, 0, -1, colour, 0, 1};
  out[3] = {h, -h, 0, 0, 0, -1, colour, 1, 1};
}

void ScaleMesh(aruCMesh* mesh) {
  const float half[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1};
  mesh->Transform(half);
}

void RestoreMesh(RallixGame* game, aruCMesh* mesh, int32_t texture, bool paddle) {
  if (mesh == nullptr) return;
  mesh->Reload();
  if (paddle) ScaleMesh(mesh);
  Reskin(game, mesh, texture, false);
}

void BuildArena(RallixGame* game, aruVB* arena) {
  if (arena == nullptr) return;
  const float scale[3] = {game->arenaScale.x, game->arenaScale.y, game->arenaScale.z};
  aruNVertex vertices[20];
  scene2::MakeArenaVertices(scale, vertices);
  arena->Create(20, 2, vertices);
  game->BuildCollisionTriangles();
}

void BuildSplatQuads(RallixGame* game, aruVB* const (&quads)[splatCount]) {
  for (int i = 0; i < splatCount; ++i) {
    if (quads[i] == nullptr) continue;
    aruNVertex vertices[4];
    MakeSquare(Splat(game, i)->size, game->Is32Bit() ? 0xFFFFFFFF : 0xAAFFFFFF, vertices);
    quads[i]->Create(4, 2, vertices);
  }
}

void Reskin(RallixGame* game, aruCMesh* mesh, int32_t skin, bool releaseOwn) {
  int32_t* textures = mesh->GetTextures();
  if (textures == nullptr) return;
  for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i) {
    if (releaseOwn && textures[i] >= 0 && textures[i] != skin) game->ReleaseTexture(textures[i]);
    textures[i] = skin;
  }
}

bool IsOpaqueTexture(RallixGame* game, int32_t texture) {
  if (texture < 0) return false;
  const D3DFORMAT format = game->aruTexPool::GetImageInfo(texture).Format;
  return format == D3DFMT_R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 ||
         format == D3DFMT_X1R5G5B5;
}

void SetMatchCamera(RallixGame* game) {
  const aruVector3& paddle = game->playerPaddle;
  float eye[3] = {0.0f, 0.0f, -19.2f};
  float at[3] = {0.0f, 0.0f, 0.0f};
  if (game->cameraMode == 1 || game->cameraMode == 2) {
    eye[0] = paddle.x;
    eye[1] = paddle.y;
    eye[2] = game->cameraMode == 1 ? paddle.z : paddle.z - 5.0f;
    at[0] = paddle.x;
    at[1] = paddle.y;
  }
  game->SetView(eye[0], eye[1], eye[2], at[0], at[1], at[2], 0.0f, 1.0f, 0.0f, 1.0f, 1000.0f,
                pi / 4.0f, 1.25f);
  // The 2-D pass of the previous frame turned depth testing off.
  game->Apply();
}

void DrawArena(RallixGame* game, aruVB* arena, bool opaque) {
  constexpr int arenaFaceCount = 5;
  IDirect3DDevice9* device = game->GetDevice();
  aruMatrix world;
  world.Identity();
  game->SetWorldTransform(world);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  // Seen from inside, whichever way the faces wind.
  game->SetCullMode(D3DCULL_NONE);
  // An arena map without alpha would blend to its own colour: drawing it unblended gives the
  // same pixels and saves reading the whole screen back (the dearest part of a software frame).
  DWORD blending = FALSE;
  device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
  if (opaque) device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  for (int face = 0; face < arenaFaceCount; ++face) arena->Draw(4 * face, 2);
  if (opaque) device->SetRenderState(D3DRS_ALPHABLENDENABLE, blending);
  game->SetCullMode(D3DCULL_CCW);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
}

void DrawMeshAt(RallixGame* game, aruCMesh* mesh, const float* rotation, float x, float y, float z) {
  aruMatrix world;
  world.Identity();
  if (rotation != nullptr) world.Multiply(rotation);
  world.Translate(x, y, z);
  game->SetWorldTransform(world);
  mesh->Draw();
}

void DrawSpinningBall(RallixGame* game, aruCMesh* ballMesh, const aruVector3& at) {
  float spin[16], tilt[16];
  RotationY(game->ball.spinAngle, spin);
  RotationZ(pi / 4.0f, tilt);
  aruMatrix rotation;
  rotation.Identity();
  rotation.Multiply(spin);
  rotation.Multiply(tilt);
  DrawMeshAt(game, ballMesh, rotation.m, at.x, at.y, at.z);
  game->ball.Spin();
}

}  // namespace scenedraw
