// The state of the configuration dialog's controls, kept apart from any toolkit: drop-list
// items with their item values and selection, check marks, enabled and visible states, texts
// and the capability report. The tool's logic changes it; a front end shows it and reports the
// user's changes back to the logic.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace aruconfig {

// Control identifiers of the dialog (front ends name their widgets after them).
inline constexpr int kLaunchButton = 1000;
inline constexpr int kExitButton = 1001;
inline constexpr int kFullScreenCheck = 1002;
inline constexpr int kAntiAliasCheck = 1003;
inline constexpr int kShowFpsCheck = 1004;
inline constexpr int kAdapterList = 1005;
inline constexpr int kStatusText = 1006;
inline constexpr int kDeviceList = 1007;
inline constexpr int kDeviceLabel = 1008;
inline constexpr int kModeList = 1009;
inline constexpr int kAntiAliasList = 1010;
inline constexpr int kFilterLabel = 1011;
inline constexpr int kCapabilityList = 1016;
inline constexpr int kFormatList = 1017;
inline constexpr int kTestButton = 1018;
inline constexpr int kPureDeviceCheck = 1019;
inline constexpr int kFilterList = 1020;

inline constexpr int kNoSelection = -1;  // also the item value read from no selection

struct ComboItem {
  std::string text;
  LONG_PTR value;
};

struct ControlState {
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  std::string text;
};

enum class AddItemResult { Added, OutOfSpace, Failed };

class DialogModel {
 public:
  // A drop list holds at most `comboCapacity` items, as a real control runs out of space.
  explicit DialogModel(size_t comboCapacity = 4096);

  ControlState& control(int id);
  const ControlState& control(int id) const;

  AddItemResult AddItem(int listId, std::string text, LONG_PTR value);
  void ClearList(int listId);
  // Selects an item; an index outside the list leaves no selection (and returns false).
  bool Select(int listId, int index);
  int Selection(int listId) const;
  LONG_PTR SelectedValue(int listId) const;  // kNoSelection when nothing is selected
  std::string SelectedText(int listId) const;
  int FindText(int listId, const std::string& text) const;  // kNoSelection when absent
  const std::vector<ComboItem>& Items(int listId) const;

  std::vector<std::string> report;  // lines of the capability list box
  bool closed = false;              // the dialog has ended

 private:
  struct Combo {
    std::vector<ComboItem> items;
    int selection = kNoSelection;
  };
  const Combo* FindCombo(int listId) const;

  size_t comboCapacity_;
  std::map<int, ControlState> controls_;
  std::map<int, Combo> combos_;
};

}  // namespace aruconfig
