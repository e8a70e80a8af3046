// Drawing helpers shared by the match scenes (single-player and network): rotation matrices,
// the splat square, the paddle scaling and re-skinning, the arena and splat quads and the meshes
// rebuilt after a device reset, and the five splats in drawing order.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

class RallixGame;
class aruCMesh;
class aruVB;
class aruVector3;
struct aruNVertex;
class GoalSplat;

namespace scenedraw {

constexpr int splatCount = 5;
constexpr const char* textureFolder = ".\\base\\tex\\";
// goal, hit, side, floor and power, in the order of Splat().
extern const char* const splatTextures[splatCount];

GoalSplat* Splat(RallixGame* game, int index);

void RotationX(float angle, float out[16]);
void RotationY(float angle, float out[16]);
void RotationZ(float angle, float out[16]);

// A square of the given side in the x-y plane, centred on the origin, facing -z, as a strip.
void MakeSquare(float side, D3DCOLOR colour, aruNVertex out[4]);
// Halves the mesh in every direction, as the paddles are drawn.
void ScaleMesh(aruCMesh* mesh);
// Replaces every subset texture of the mesh by the skin, releasing the mesh's own when asked.
void Reskin(RallixGame* game, aruCMesh* mesh, int32_t skin, bool releaseOwn);
// A mesh after the device came back: reloaded, halved again when it is a paddle, and given its
// texture again. Nothing happens to a null mesh.
void RestoreMesh(RallixGame* game, aruCMesh* mesh, int32_t texture, bool paddle);
// The arena's quads at the game's arena scale, with the collision triangles that go with them.
void BuildArena(RallixGame* game, aruVB* arena);
// One square a splat, of its splat's size, white (translucent on a 16-bit screen).
void BuildSplatQuads(RallixGame* game, aruVB* const (&quads)[splatCount]);

// The match camera for the game's camera mode: fixed behind the near end, first person at the
// near paddle, or third person behind it; applied at once.
void SetMatchCamera(RallixGame* game);
// A loaded texture whose image has no alpha channel.
bool IsOpaqueTexture(RallixGame* game, int32_t texture);
// The five arena faces, seen from inside; an opaque map is drawn unblended.
void DrawArena(RallixGame* game, aruVB* arena, bool opaque);
// The mesh with an optional 4 x 4 rotation, then moved to (x, y, z).
void DrawMeshAt(RallixGame* game, aruCMesh* mesh, const float* rotation, float x, float y, float z);
// The ball at `at`, spinning about y and tilted; advances its spin.
void DrawSpinningBall(RallixGame* game, aruCMesh* ballMesh, const aruVector3& at);

template <typename T>
void DeleteAndClear(T*& object) {
  delete object;
  object = nullptr;
}

}  // namespace scenedraw
