// aru-viewer OUT.bmp [--benchmark SECONDS]: starts the engine windowed with its own settings,
// log and generated test data in a private temporary folder, draws the viewer scene, writes the
// screenshot to OUT.bmp and exits. Run it in the run directory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/aru.h"
#include "viewer_data.h"
#include "viewer_scene.h"

namespace {

class ViewerEngine final : public ARU {
 public:
  HRESULT GameInitialize() override { return 0; }
};

LRESULT CALLBACK ViewerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_engine != nullptr) return g_engine->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Windowed; an A8R8G8B8 back-buffer setting, the format the front-buffer copy accepts; IsSetup = 1
// so no configuration tool is offered.
bool WriteSettings(const std::string& path) {
  std::ofstream file(path);
  file << "[ARU]\nAdapter=0\nDevice=1\nFormat=22\nBackBuffer=21\nFullScreen=0\nResolution=-1\nHasPure=0\n"
          "UseAA=0\nSamples=0\nQuality1=0\nShowFPS=0\nFilter=2\nIsSetup=1\n";
  return file.good();
}

std::filesystem::path MakePrivateFolder() {
  std::random_device random;
  const auto folder = std::filesystem::temp_directory_path() / ("aru-viewer-" + std::to_string(random()));
  std::filesystem::create_directories(folder);
  return folder;
}

int Usage() {
  fprintf(stderr, "usage: aru-viewer OUT.bmp [--benchmark SECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  viewer::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--benchmark" && i + 1 < argc) {
      options.benchmarkSeconds = atof(argv[++i]);
    } else if (!argument.empty() && argument[0] != '-' && options.outputFile.empty()) {
      options.outputFile = argument;
    } else {
      return Usage();
    }
  }
  if (options.outputFile.empty() && options.benchmarkSeconds <= 0) return Usage();
  // Relative output names are taken from the directory the viewer was started in.
  if (!options.outputFile.empty()) options.outputFile = std::filesystem::absolute(options.outputFile).string();

  const std::filesystem::path folder = MakePrivateFolder();
  options.dataFolder = folder.string();
  const std::string settings = (folder / "viewer.cfg").string();
  const std::string log = (folder / "viewer-log.html").string();
  int exitCode = 1;
  options.exitCode = &exitCode;
  if (!viewer::WriteTestData(options.dataFolder) || !WriteSettings(settings)) {
    fprintf(stderr, "aru-viewer: could not write test data into %s\n", options.dataFolder.c_str());
    return 1;
  }

  auto* engine = new ViewerEngine();
  g_engine = engine;
  aruInitParams params;
  params.wndProc = ViewerWindowProc;
  params.instance = GetModuleHandleA(NULL);
  params.title = "ARU Viewer";
  params.logPath = log.c_str();
  params.configPath = settings.c_str();
  params.logTitle = "ARU Viewer Log";
  params.immediatePresent = options.benchmarkSeconds > 0;
  params.allowSecondInstance = true;
  params.createSound = false;
  params.createGUI = false;
  params.createFader = false;
  if (SUCCEEDED(engine->Initialize(params))) {
    engine->Run(new viewer::ViewerScene(engine, options));
  } else {
    fprintf(stderr, "aru-viewer: the engine did not start; see %s\n", log.c_str());
  }
  delete engine;
  g_engine = nullptr;
  if (exitCode == 0) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  } else {
    fprintf(stderr, "aru-viewer: the log is in %s\n", log.c_str());
  }
  return exitCode;
}
