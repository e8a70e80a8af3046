// The single-player match scene: the arena, both paddles, the ball, the crosshair and the effect
// quads, three camera views, the HUD, the match keys and sounds; it runs the rules every frame
// and moves to the results when a side has reached the goals to win.
#pragma once

#include <cstdint>

#include "core/scene.h"
#include "demo.h"

class RallixGame;
class aruFont;
class aruVB;
class aruCMesh;

class scene2 : public aruScene {
 public:
  static constexpr int splatCount = 5;
  static constexpr int arenaFaceCount = 5;

  explicit scene2(ARU* engine);
  HRESULT Initialize() override;
  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

  // Where the match started (GetTickCount), for the attract mode's serve.
  uint32_t GetStartTick() const { return startTick; }
  bool ArenaIsOpaque() const { return arenaOpaque; }
  bool ShowsCrosshair() const { return crosshairShown; }
  // The twenty arena vertices (four per face: far end, floor, ceiling, left, right).
  static void MakeArenaVertices(const float scale[3], struct aruNVertex out[20]);

 private:
  void LoadLevelLook();
  void CreateSounds();
  void PlaceListener();
  HRESULT BindMatchKeys();
  void Announce();
  void BuildCrosshair();
  void DrawCrosshair(float dt);
  void DrawSplats(uint32_t now);
  void DrawHUD();
  void RecordFrame();

  aruFont* font = nullptr;
  aruVB* arena = nullptr;
  aruVB* crosshair = nullptr;
  aruCMesh* playerMesh = nullptr;
  aruCMesh* opponentMesh = nullptr;
  aruCMesh* ballMesh = nullptr;
  aruVB* splatQuads[splatCount] = {};
  RallixGame* game;
  int32_t arenaTexture = -1;
  bool arenaOpaque = false;  // the map has no alpha channel
  bool crosshairShown = false;
  uint32_t startTick = 0;
  // Attract mode: the match picture and the frame-time figures.
  bool matchShotTaken = false;
  FrameTimes frameTimes;
  FrameTimes logicTimes;
  std::chrono::steady_clock::time_point lastFrame;
  bool hasLastFrame = false;
};
