// The viewer's one scene: an open-fronted arena box with brick walls and a checkered floor, a
// banded sphere, a .x model and a line of text, lit by one directional light. After a few frames
// it writes the screenshot and ends the program; in benchmark mode it first measures frame times.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/aru.h"
#include "core/scene.h"
#include "services/font.h"
#include "services/mesh.h"
#include "services/vb.h"

namespace viewer {

struct Options {
  std::string outputFile;      // screenshot to write; empty: none
  std::string dataFolder;      // the generated textures and model
  double benchmarkSeconds = 0; // 0: no benchmark
  int* exitCode = nullptr;      // receives 0 when everything asked for was done
};

class ViewerScene : public aruScene {
 public:
  ViewerScene(ARU* engine, const Options& options);

  HRESULT Initialize() override;
  HRESULT RestoreDeviceObjects() override;
  HRESULT InvalidateDeviceObjects() override;
  HRESULT Render() override;
  HRESULT Destroy() override;

 private:
  HRESULT BuildArena();
  void SetUpLight();
  void DrawScene();
  bool Finish();
  void ReportBenchmark();

  Options options;
  std::unique_ptr<aruVB> walls, floor, ceiling;
  aruCMesh sphere;
  aruCMesh model;
  aruFont font;
  uint32_t frames = 0;
  int64_t startCount = 0;
  int64_t lastCount = 0;
  std::vector<double> frameSeconds;
};

}  // namespace viewer
