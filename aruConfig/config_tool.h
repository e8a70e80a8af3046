// The configuration tool's logic: it fills the dialog's lists from Direct3D, reacts to the
// user's choices, tests a device, and saves the choices into section "ARU" of the settings
// file. It works on a DialogModel and asks its questions through a Prompt, so any front end
// (or a test) can drive it.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config_tables.h"
#include "dialog_model.h"
#include "settings_file.h"

namespace aruconfig {

// Shows a message box and returns the answer (IDOK, IDYES, IDNO or IDCANCEL).
class Prompt {
 public:
  virtual int Ask(const char* text, const char* caption, UINT type) = 0;

 protected:
  ~Prompt() = default;
};

inline constexpr const char* kDialogCaption = "Quillmark ARU Configuration Utility";
inline constexpr const char* kBanner = "Quillmark ARU Configuration Utility: display settings for the game";
inline constexpr const char* kTestWindowClass = "aruConfigTestBed";
inline constexpr UINT kDirect3DVersion = 31;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
using Direct3DPointer = std::unique_ptr<IDirect3D9, ComRelease>;
using Direct3DFactory = std::function<IDirect3D9*()>;

IDirect3D9* CreateSystemDirect3D();  // Direct3DCreate9 with the tool's SDK version

class ConfigTool {
 public:
  ConfigTool(DialogModel* model, Prompt* prompt, Direct3DFactory createDirect3D = CreateSystemDirect3D,
             std::string settingsPath = kSettingsPath);
  ~ConfigTool();
  ConfigTool(const ConfigTool&) = delete;
  ConfigTool& operator=(const ConfigTool&) = delete;

  // Fills the dialog and restores the saved choices. False (and the dialog closed) when no
  // Direct3D interface can be created.
  bool Start();

  // What the user did: a list selection, a check box, a button, or closing the window.
  void OnListChanged(int listId, int index);
  void OnCheckChanged(int checkId, bool checked);
  void OnButton(int buttonId);
  void OnClose();

  void Save();

  const std::vector<AntiAliasEntry>& antiAliasTable() const { return antiAliasTable_; }
  bool launchFlag() const { return launchFlag_; }

 private:
  void InitialiseControls();
  void RegisterTestClass();
  void RestoreSelections();
  void RestoreSelection(int listId, const char* key);

  bool AddListItem(int listId, std::string text, LONG_PTR value);
  void FillAdapters();
  void FillDevices();
  void FillFormats();
  void FillModes();
  void FillFilters();
  void FillReport();
  void FillAntiAlias();
  void AddAntiAliasEntry(const AntiAliasEntry& entry, const std::string& label);
  void FillFormatsModesAndReport();
  void UpdateLaunch();
  void UpdatePureDevice();

  void OnAdapterChanged(int index);
  void OnDeviceChanged(int index);
  void OnFormatChanged(int index);
  void OnFullScreenClicked(bool checked);
  void OnTest();
  void OnLaunch();
  void OnExit();

  // Current choices, or nullptr / false when the list has no selection.
  bool SelectedAdapter(UINT* adapter) const;
  bool SelectedDevice(UINT* adapter, D3DDEVTYPE* type) const;
  const ColourFormat* SelectedFormat() const;
  const AntiAliasEntry* SelectedAntiAlias() const;
  bool CheckedAndEnabled(int checkId) const;
  BOOL Windowed() const;
  int SupportedDxtLevel() const;

  bool BuildTestParameters(HWND window, D3DPRESENT_PARAMETERS* parameters) const;
  bool TryCreateDevice(HWND window, const D3DPRESENT_PARAMETERS& parameters);
  bool RunDeviceTest();

  DialogModel* model_;
  Prompt* prompt_;
  Direct3DFactory createDirect3D_;
  SettingsFile settings_;
  Direct3DPointer direct3D_;
  std::vector<AntiAliasEntry> antiAliasTable_;
  bool requirementsFlag_ = true;
  bool pureDeviceFlag_ = false;
  bool launchFlag_ = true;
  bool testClassRegistered_ = false;
};

}  // namespace aruconfig
