// Control state of the configuration dialog.
#include "dialog_model.h"

namespace aruconfig {

namespace {

constexpr int kListIds[] = {kAdapterList, kDeviceList, kModeList, kAntiAliasList, kFormatList, kFilterList};

const std::vector<ComboItem> kNoItems;

}  // namespace

DialogModel::DialogModel(size_t comboCapacity) : comboCapacity_(comboCapacity) {
  for (int id : kListIds) combos_[id];
}

ControlState& DialogModel::control(int id) { return controls_[id]; }

const ControlState& DialogModel::control(int id) const {
  static const ControlState kUnknown;
  auto found = controls_.find(id);
  return found == controls_.end() ? kUnknown : found->second;
}

const DialogModel::Combo* DialogModel::FindCombo(int listId) const {
  auto found = combos_.find(listId);
  return found == combos_.end() ? nullptr : &found->second;
}

AddItemResult DialogModel::AddItem(int listId, std::string text, LONG_PTR value) {
  auto found = combos_.find(listId);
  if (found == combos_.end()) return AddItemResult::Failed;
  if (found->second.items.size() >= comboCapacity_) return AddItemResult::OutOfSpace;
  found->second.items.push_back({std::move(text), value});
  return AddItemResult::Added;
}

void DialogModel::ClearList(int listId) {
  auto found = combos_.find(listId);
  if (found == combos_.end()) return;
  found->second.items.clear();
  found->second.selection = kNoSelection;
}

bool DialogModel::Select(int listId, int index) {
  auto found = combos_.find(listId);
  if (found == combos_.end()) return false;
  bool inside = index >= 0 && static_cast<size_t>(index) < found->second.items.size();
  found->second.selection = inside ? index : kNoSelection;
  return inside;
}

int DialogModel::Selection(int listId) const {
  const Combo* combo = FindCombo(listId);
  return combo ? combo->selection : kNoSelection;
}

LONG_PTR DialogModel::SelectedValue(int listId) const {
  const Combo* combo = FindCombo(listId);
  if (!combo || combo->selection == kNoSelection) return kNoSelection;
  return combo->items[combo->selection].value;
}

std::string DialogModel::SelectedText(int listId) const {
  const Combo* combo = FindCombo(listId);
  if (!combo || combo->selection == kNoSelection) return {};
  return combo->items[combo->selection].text;
}

int DialogModel::FindText(int listId, const std::string& text) const {
  const Combo* combo = FindCombo(listId);
  if (!combo) return kNoSelection;
  for (size_t i = 0; i < combo->items.size(); ++i) {
    if (combo->items[i].text == text) return static_cast<int>(i);
  }
  return kNoSelection;
}

const std::vector<ComboItem>& DialogModel::Items(int listId) const {
  const Combo* combo = FindCombo(listId);
  return combo ? combo->items : kNoItems;
}

}  // namespace aruconfig
