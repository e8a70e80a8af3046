// Helpers of the configuration tool's tests: a scripted Direct3D object whose adapters, modes,
// caps and multisample answers a test sets, a prompt that records message boxes and gives
// scripted answers, and a scratch settings file.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config_tool.h"

namespace aruconfig::testing {

struct ScriptedAdapter {
  std::string description = "Scripted adapter";
  D3DFORMAT desktopFormat = D3DFMT_X8R8G8B8;
  std::vector<D3DDISPLAYMODE> modes;          // every format
  std::map<D3DDEVTYPE, D3DCAPS9> devices;     // device types whose caps can be read
  std::map<DWORD, DWORD> multisampleLevels;   // multisample type -> quality levels, any surface
  std::vector<D3DFORMAT> textureFormats;      // accepted by CheckDeviceFormat
  // CheckDeviceType's answer; by default every row is accepted.
  std::function<bool(D3DFORMAT display, D3DFORMAT backBuffer, BOOL windowed)> acceptsFormat;
};

// What the scripted objects saw; shared by every object the factory makes.
struct Direct3DScript {
  std::vector<ScriptedAdapter> adapters;
  DWORD acceptedBehaviour = 0;  // CreateDevice succeeds only with these behaviour flags; 0 never
  std::vector<DWORD> createBehaviours;
  std::vector<D3DPRESENT_PARAMETERS> createParameters;
  std::vector<BOOL> multisampleWindowed;  // the windowed argument of each multisample check
  int created = 0;
  int alive = 0;
  bool failCreation = false;
};

Direct3DFactory ScriptedFactory(std::shared_ptr<Direct3DScript> script);

// Caps of a device that meets the game's requirements.
D3DCAPS9 GoodCaps();
D3DDISPLAYMODE Mode(UINT width, UINT height, UINT refresh, D3DFORMAT format = D3DFMT_X8R8G8B8);
ScriptedAdapter StandardAdapter();

struct RecordedMessage {
  std::string text;
  std::string caption;
  UINT type;
};

class RecordingPrompt : public Prompt {
 public:
  int Ask(const char* text, const char* caption, UINT type) override;
  std::vector<RecordedMessage> messages;
  std::deque<int> answers;  // answered in order; IDOK when empty
};

// A scratch folder with base/config.cfg; removed with the object.
class ScratchSettings {
 public:
  ScratchSettings();
  ~ScratchSettings();
  void Write(const std::string& contents) const;
  std::string Read() const;
  std::vector<std::string> Keys() const;  // keys of section ARU, in file order
  std::string Value(const std::string& key) const;  // "" when absent
  const std::string& path() const { return path_; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace aruconfig::testing
