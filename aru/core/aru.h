// The engine object: one per process. It owns the window, the Direct3D device, the configuration
// file, the log, the frame timer, the console, input, the camera, the texture pool, the sound
// device, the GUI and the fader; it drives the main loop and the scene state machine. The game
// object derives from it and overrides GameInitialize.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>

#include "core/log.h"
#include "core/pcount.h"
#include "core/safe_release.h"
#include "core/scene.h"
#include "services/camera.h"
#include "services/console.h"
#include "services/input.h"
#include "services/tex_pool.h"

class aruIniFile;
class aruAudio;
class aruGUI;
class aruFader;

// Start-up parameters, filled by the entry point and read once by ARU::Initialize.
struct aruInitParams {
  WNDPROC wndProc = nullptr;
  HWND givenWindow = nullptr;
  HINSTANCE instance = nullptr;
  const char* title = nullptr;
  const char* consoleTexture = nullptr;
  int32_t iconResource = 0;
  int32_t consoleKey = 96;
  int32_t scrollbackLines = 200;
  D3DCOLOR consoleColour = 0xFF000000;
  float consoleTransparency = 0.75f;
  float cursorWidth = 50.0f;
  float cursorHeight = 50.0f;
  const char* logPath = nullptr;
  const char* configPath = nullptr;
  const char* logTitle = "Error Log";
  const char* cursorTexture = nullptr;
  bool immediatePresent = false;
  bool allowSecondInstance = false;
  bool createSound = true;
  bool createGUI = true;
  bool createFader = true;
};

class ARU : public aruLog,
            public aruPCount,
            public aruTexPool,
            public aruConsole,
            public aruDInput,
            public aruCamera {
 public:
  ARU();
  ~ARU();
  ARU(const ARU&) = delete;
  ARU& operator=(const ARU&) = delete;

  // The log's Line, not the console's line record, is meant wherever the engine says Line.
  using aruLog::Line;

  HRESULT Initialize(const aruInitParams& params);
  void Run(aruScene* firstScene);
  virtual HRESULT GameInitialize() = 0;

  // Scenes (scene_flow.cpp).
  // Destroys and deletes the present and the next scene; a derived game calls it from its own
  // destructor, so scenes are destroyed while the game's fields still exist.
  void ReleaseScenes();
  void ChangeScene(aruScene* next);
  bool ApplySceneChange();
  HRESULT RenderScene();
  HRESULT InvalidateObjects();
  HRESULT RestoreObjects();
  void Quit() { quit = true; }

  // One frame and the window procedure (main_loop.cpp).
  HRESULT RenderFrame();
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Screenshots (screenshot.cpp): a 24-bit bitmap of the front buffer under "./base/shots/", or
  // into the given file.
  bool ScreenShot();
  bool ScreenShotTo(const char* fileName);

  // Safe-mode start (run_state.cpp).
  HRESULT CheckRunState();

  // The device (device.cpp).
  HRESULT InitDirectX(WNDPROC wndProc, HINSTANCE instance, const char* title);
  HWND MakeD3DWindow(WNDPROC wndProc, HINSTANCE instance, const char* title, bool fullScreen);
  D3DPRESENT_PARAMETERS BuildPresentParams(bool log);
  HRESULT SetDefaultRenderStates();
  HRESULT ResetDevice();
  void ToggleFullScreen();
  void UpdateCentre();
  HRESULT RecaptureCaps();
  std::string GetClipboardText();

  // Render-state operations (render_states.cpp).
  HRESULT SetAlphaBlend(bool on);
  HRESULT SetCullMode(DWORD mode);
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader);
  HRESULT SetWorldTransform(const aruMatrix& matrix);
  HRESULT SetTextureTransformFlags(DWORD flags);
  HRESULT SetDither(bool on);
  HRESULT SetShadeMode(DWORD mode);
  HRESULT SetTextureFilter(DWORD filter);
  HRESULT SetColourModulate(int n);
  HRESULT SetLighting(bool on, D3DCOLOR ambientColour);
  HRESULT SetMipmapping(DWORD stage, float lodBias, DWORD mipFilter, DWORD maxMipLevel);
  HRESULT SetTextureClamp(bool clamp);

  float ScaleX(float v) const;
  float ScaleY(float v) const;
  float FractionX(float v) const { return v * screenWidth; }
  float FractionY(float v) const { return v * screenHeight; }
  void LogLastWindowsError();

  bool IsInactive() const { return inactive; }
  bool IsFullScreen() const { return fullScreen; }
  HWND GetWindow() const { return window; }
  IDirect3DDevice9* GetDevice() const { return device; }
  bool Is32Bit() const { return is32Bit; }
  aruAudio* GetAudio() const { return audio; }
  aruFader* GetFader() const { return fader; }
  aruGUI* GetGUI() const { return gui; }
  aruIniFile* GetConfig() const { return config; }
  bool GetShowFPS() const { return showFPS; }
  float GetCentreX() const { return centreX; }
  float GetCentreY() const { return centreY; }
  float GetScreenWidth() const { return screenWidth; }
  float GetScreenHeight() const { return screenHeight; }
  const D3DCAPS9& GetCaps() const { return caps; }
  bool IsQuitting() const { return quit; }
  uint8_t GetRunState() const { return runState; }
  void SetRunState(uint8_t state) { runState = state; }
  aruScene* GetPresentScene() const { return presentScene; }
  aruScene* GetNextScene() const { return nextScene; }
  bool IsSceneChangePending() const { return sceneChangePending; }
  bool GetLighting() const { return lighting; }
  D3DCOLOR GetAmbient() const { return ambient; }

 protected:
  IDirect3D9* direct3D = nullptr;
  IDirect3DDevice9* device = nullptr;
  D3DCAPS9 caps{};
  aruScene* presentScene = nullptr;
  aruScene* nextScene = nullptr;
  aruIniFile* config = nullptr;
  aruAudio* audio = nullptr;
  aruGUI* gui = nullptr;
  aruFader* fader = nullptr;
  bool fullScreen = false;
  bool immediatePresent = false;
  bool clearTarget = true;
  bool inactive = false;
  bool showFPS = false;
  bool quit = false;
  bool useAA = false;
  bool is32Bit = false;
  bool lighting = true;
  bool sceneChangePending = false;
  int32_t quality1 = 0;
  int32_t samples = 0;
  int32_t iconResource = 0;
  int32_t resolution = -1;
  int32_t oldVolume = 0;
  float screenWidth = 0;
  float screenHeight = 0;
  float centreX = 0;
  float centreY = 0;
  uint8_t runState = 1;
  D3DCOLOR clearColour = 0xFF000000;
  D3DCOLOR ambient = 0xFFFFFFFF;
  HWND window = nullptr;
  HINSTANCE instance = nullptr;
  uint32_t adapter = 0;
  uint32_t deviceType = 0;
  uint32_t displayFormat = 0;
  uint32_t backBufferFormat = 0;
  uint32_t textureFilter = 2;

 private:
  HRESULT InitializeServices(const aruInitParams& params);
  HRESULT InitializeGame();
  bool AbandonPresentScene();
  void ReleaseDevice();

  bool hasPure = false;  // key HasPure, used only when the device is created
  HRESULT LaunchSetup(const char* fallbackProgram, const char* notFoundText);
  void HandleKeyDown(uint32_t code);
  void ReadDisplaySettings();
  void ReleaseDirect3D();
  void LogPresentParams(const D3DPRESENT_PARAMETERS& parameters);
  void CreateSound();
  void ReleaseSound();
};

// The one engine object of the process, used by the window procedure, console commands, key
// bindings and GUI callbacks.
extern ARU* g_engine;
