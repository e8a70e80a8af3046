// What the host's and the joining side's match scenes share: the arena, both paddles in their
// colours, the ball, the splats, the sounds, the HUD and the standings, drawn every frame from a
// copy of the match state taken under netLock.
#pragma once

#include <cstdint>

#include "core/scene.h"
#include "scenes/net_match_report.h"
#include "vector.h"

class RallixGame;
class aruFont;
class aruVB;
class aruCMesh;
struct FrameInput;

class NetMatchScene : public aruScene {
 public:
  static constexpr int splatCount = 5;
  NetMatchScene(ARU* engine, bool host);

  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

  // The standings block, drawn while no match runs.
  void DrawStandings(aruFont& standingsFont);

 protected:
  // Steps 1 to 11 of both initialisations, up to the side's own key bindings.
  void InitializeShared();
  void InitializeMatchState();
  // The host's set-up controls (scene8) or nothing (scene9).
  virtual void AddSideWidgets() {}
  virtual HRESULT BindSideKeys() = 0;
  virtual void AnnounceAndOpenNetwork() = 0;
  // The side's own per-frame work under netLock: its paddle, its ball step, its end checks.
  virtual void StepSide(const FrameInput& frame) = 0;
  virtual void DrawSideHUD() = 0;
  virtual void CheckSideEnd() = 0;

  RallixGame* game;
  aruFont* font = nullptr;

 private:
  // What the 3-D part of a frame draws, copied under netLock.
  struct Picture {
    aruVector3 playerPaddle;
    aruVector3 opponentPaddle;
    aruVector3 ball;
  };

  void LoadMeshes();
  void CreateSounds();
  void DrawSplats(uint32_t now, const int* order, int count, bool turned);
  // Updates `ping` and returns the bytes sent so far in the session.
  uint64_t UpdatePing();
  Picture StepFrame(const FrameInput& frame);
  void DrawFrame(const Picture& picture, uint32_t now);
  void DrawOverlay();

  bool host;
  aruVB* arena = nullptr;
  aruCMesh* ownMesh = nullptr;
  aruCMesh* opponentMesh = nullptr;
  aruCMesh* ballMesh = nullptr;
  aruVB* splatQuads[splatCount] = {};
  bool arenaOpaque = false;
  int32_t ownColour = -1;
  int32_t opponentColour = -1;
  NetMatchReport report;
};
