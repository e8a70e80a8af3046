// The engine object's life cycle: construction, the start-up phases of Initialize, and the
// release sequence of the destructor. Every phase catches exceptions at its boundary, writes them
// to the log and sets the run state to 2 so the next start offers the configuration tool.
#include "core/aru.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "core/ini_file.h"
#include "services/fader.h"
#include "services/gui.h"

ARU* g_engine = nullptr;

ARU::ARU() {
  CoInitialize(NULL);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  srand(static_cast<unsigned>(counter.QuadPart & 0xFFFFFFFF));
}

float ARU::ScaleX(float v) const {
  if (screenWidth == 1280.0f) return v;
  return v * (1.0f / 1280.0f) * screenWidth;
}

float ARU::ScaleY(float v) const {
  if (screenHeight == 1024.0f) return v;
  return v * (1.0f / 1024.0f) * screenHeight;
}

void ARU::LogLastWindowsError() {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, GetLastError(),
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, NULL);
  Line((std::string("Windows Reports Error: \"") + text + "\"").c_str());
}

HRESULT ARU::Initialize(const aruInitParams& params) {
  HWND running = FindWindowA("ARUMainWindow", params.title);
  if (running != nullptr) {
    // Nothing else tells the player why this copy ends or keeps no log.
    std::fprintf(stderr, "%s is already running; %s\n", params.title ? params.title : "This program",
                 params.allowSecondInstance ? "this copy writes no log" : "this copy ends");
  }
  if (running != nullptr && !params.allowSecondInstance) {
    SetFocus(running);
    return E_FAIL;
  }
  SetPath(params.logPath);
  if (running == nullptr) Open(params.logTitle, true);
  Banner("Initialization Phase");

  BeginList("ARU::Initialize()");
  if (params.givenWindow != nullptr) {
    window = params.givenWindow;
    Value("Given Window: ", static_cast<const void*>(window));
  }
  iconResource = params.iconResource;
  Value("Icon Resource: ", iconResource);
  Value("Show FPS: ", showFPS);
  Value("WndProc: ", reinterpret_cast<const void*>(params.wndProc));

  try {
    config = new aruIniFile(params.configPath);
    Value("Performance Counter Frequency: ", GetFrequency());
    immediatePresent = params.immediatePresent;
  } catch (const std::exception& caught) {
    Line("Config File and Performance Counter Initialization raised an exception.");
    Exception(caught);
    EndList();
    runState = 2;
    return E_FAIL;
  }

  if (params.configPath != nullptr && FAILED(CheckRunState())) {
    Line("<font color=\"red\">Failed run state check.</font>");
    EndList();
    return E_FAIL;
  }

  try {
    if (FAILED(InitDirectX(params.wndProc, params.instance, params.title))) {
      Line("<font color=\"red\">DirectX Initialize has failed!</font>");
      runState = 2;
      EndList();
      return E_FAIL;
    }
  } catch (const std::exception& caught) {
    Line("DirectX Initialization raised an exception.");
    Exception(caught);
    EndList();
    runState = 2;
    return E_FAIL;
  } catch (...) {
    Line("DirectX Initialization raised an exception.");
    EndList();
    runState = 2;
    return E_FAIL;
  }

  if (FAILED(InitializeServices(params))) return E_FAIL;
  return InitializeGame();
}

HRESULT ARU::InitializeServices(const aruInitParams& params) {
  try {
    aruConsole::Initialize(this, params.consoleColour, params.scrollbackLines, params.consoleKey,
                           params.consoleTransparency);
    const int32_t background = LoadTexture(params.consoleTexture);
    SetBackground(background);
    BeginList("Console Successfully");
    Value("Scrollback Buffer Size: ", params.scrollbackLines);
    Value("Activator Key: ", params.consoleKey);
    Value("Transparency: ", static_cast<double>(params.consoleTransparency));
    Value("Background Texture Index: ", background);
    if (params.consoleTexture != nullptr) Value("Background Texture Filename", params.consoleTexture);
    EndList();

    if (params.createFader) {
      fader = new aruFader();
      if (SUCCEEDED(fader->Create(this))) {
        Line("Fader created");
      } else {
        Line("<font color=\"red\">Fader Init failed</font>");
      }
    }

    if (params.createGUI) {
      gui = new aruGUI();
      const int32_t cursor = LoadTexture(params.cursorTexture);
      if (SUCCEEDED(gui->Create(this, params.cursorWidth, params.cursorHeight, cursor))) {
        BeginList("GUI Created");
        Value("Cursor Width: ", static_cast<double>(params.cursorWidth));
        Value("Cursor Height: ", static_cast<double>(params.cursorHeight));
        if (params.cursorTexture != nullptr) Value("Cursor Filename: ", params.cursorTexture);
        EndList();
      } else {
        Line("<font color=\"red\">GUI Init Failed!</font>");
      }
    }

    if (params.createSound) CreateSound();
  } catch (const std::exception& caught) {
    Line("Console and DirectAudio Initialization raised an exception.");
    Exception(caught);
    EndList();
    runState = 2;
    return E_FAIL;
  } catch (...) {
    Line("Console, DirectSound, Fader Initialization raised a generic exception.");
    EndList();
    runState = 2;
    return E_FAIL;
  }
  return 0;
}

HRESULT ARU::InitializeGame() {
  BeginList("Game::Initialize");
  try {
    if (SUCCEEDED(GameInitialize())) {
      EndList();
      EndList();
      Banner("ARU Successfully Initialized, Let's Go!");
      return 0;
    }
    Line("Game Initialization Failed!");
  } catch (const std::exception& caught) {
    Line("Game initialization raised an exception.");
    Exception(caught);
  } catch (...) {
    Line("Caught generic game initialization exception.");
  }
  // Both the game's list and "ARU::Initialize()" are closed on failure, so the log's lists
  // balance whatever went wrong.
  EndList();
  EndList();
  runState = 2;
  return E_FAIL;
}

ARU::~ARU() {
  BeginList("ARU::Release()");
  aruDInput::Release();
  Line("Destroyed DInput");
  if (runState == 2) LogLastWindowsError();
  if (device != nullptr) {
    if (SUCCEEDED(device->EvictManagedResources())) {
      Line("Evicted managed resources.");
    } else {
      Line("Failed evicting managed resources.");
    }
  }
  ReleaseScenes();

  if (config != nullptr) {
    config->WriteInt("ARU", "IsSetup", runState);
    Value("Closing configuration file with exitcode ", static_cast<int32_t>(runState));
    delete config;
    config = nullptr;
  }
  if (gui != nullptr) gui->Release();
  delete gui;
  gui = nullptr;
  Line("Deleted GUI.");
  ReleaseSound();
  if (fader != nullptr) fader->Release();
  delete fader;
  fader = nullptr;
  Line("Fader destroyed.");
  CoUninitialize();
  Line("Uninitialized COM.");
  ReleaseDevice();
  EndList();
  Close(runState);

  aruDInput::Release();
  aruConsole::Release();
  aruTexPool::Clear();
}

void ARU::ReleaseScenes() {
  try {
    if (presentScene != nullptr) {
      Value("Last-Chance Deleted Scene ", static_cast<const void*>(presentScene));
      aruScene* scene = presentScene;
      scene->Destroy();
      presentScene = nullptr;
      delete scene;
    }
    if (nextScene != nullptr) {
      Value("Last-Chance Deleting Next Scene ", static_cast<const void*>(nextScene));
      aruScene* scene = nextScene;
      scene->Destroy();
      nextScene = nullptr;
      delete scene;
    }
  } catch (...) {
    // A scene whose Destroy threw is still deleted, so nothing is leaked on the way out.
    delete presentScene;
    presentScene = nullptr;
    delete nextScene;
    nextScene = nullptr;
    Line("Exception caught while deleting the present or next scene memory.");
  }
}

void ARU::ReleaseDevice() {
  if (device != nullptr) device->Release();
  device = nullptr;
  Line("Released device.");
  if (direct3D != nullptr) direct3D->Release();
  direct3D = nullptr;
  Line("Released Direct3D Interface.");
}
