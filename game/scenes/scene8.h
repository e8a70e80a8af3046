// The network match scenes: scene8 is the host's (it simulates the ball, counts goals and
// carries the match set-up controls), scene9 the joining side's (it shows what the host sends).
#pragma once

#include <memory>

#include "multiplayer/lan_discovery.h"
#include "scenes/net_match_scene.h"

class scene8 : public NetMatchScene {
 public:
  explicit scene8(ARU* engine) : NetMatchScene(engine, true) {}
  HRESULT Initialize() override;

 protected:
  void AddSideWidgets() override;
  HRESULT BindSideKeys() override;
  void AnnounceAndOpenNetwork() override;
  void StepSide(const FrameInput& frame) override;
  void DrawSideHUD() override;
  void CheckSideEnd() override;

 private:
  // Answers searches from the local network while no player has joined.
  std::unique_ptr<LanResponder> lanResponder;
};

class scene9 : public NetMatchScene {
 public:
  explicit scene9(ARU* engine) : NetMatchScene(engine, false) {}
  HRESULT Initialize() override;

 protected:
  HRESULT BindSideKeys() override;
  void AnnounceAndOpenNetwork() override;
  void StepSide(const FrameInput& frame) override;
  void DrawSideHUD() override;
  void CheckSideEnd() override;
};
