// The GUI manager's behaviour: adding and fetching widgets, the cursor moved by relative mouse
// motion, roll-over, hit tests, clicks, typing into the focused text box and the two sounds.
// Geometry and drawing are in gui_draw.cpp.
#include "services/gui.h"

#include <algorithm>
#include <cstdio>

#include "core/aru.h"
#include "services/font.h"
#include "services/vb.h"

#include "core/sound.h"

namespace {

constexpr uint32_t kToggleGuardMs = 200;
constexpr float kFontHeight = 25.0f;
constexpr float kTextBoxReach = 15.0f;  // virtual units a text box is hit above and below its line

}  // namespace

// A GUI sound: the effect when the engine can load it; otherwise it counts its plays silently.
struct aruGUI::Sound {
  std::unique_ptr<aruSound> effect;
  uint32_t plays = 0;
  void Play() {
    ++plays;
    if (effect != nullptr) effect->Play(false);
  }
};

aruWidget::aruWidget(ARU* engine) : engine(engine), quad(std::make_unique<aruVB>(engine)) {}
aruWidget::~aruWidget() = default;

void aruTextBox::SetText(const char* newText) {
  text = newText != nullptr ? newText : "";
  if (static_cast<int32_t>(text.size()) > maxLength) text.resize(static_cast<size_t>(std::max(maxLength, 0)));
  caret = static_cast<int32_t>(text.size());
}

void aruTextBox::KeyInput(uint32_t code, bool isCharacter) {
  const int32_t length = static_cast<int32_t>(text.size());
  caret = std::clamp(caret, 0, length);
  if (isCharacter) {
    if (code < 32 || code > 255 || length >= maxLength) return;
    text.insert(static_cast<size_t>(caret), 1, static_cast<char>(code));
    ++caret;
    return;
  }
  switch (code) {
    case VK_BACK:
      if (caret > 0) text.erase(static_cast<size_t>(--caret), 1);
      break;
    case VK_PRIOR:
      caret = 0;
      break;
    case VK_NEXT:
      caret = length;
      break;
    case VK_LEFT:
      if (caret > 0) --caret;
      break;
    case VK_RIGHT:
      if (caret < length) ++caret;
      break;
    case VK_DELETE:
      if (caret < length) text.erase(static_cast<size_t>(caret), 1);
      break;
    default:
      break;
  }
}

void aruImage::SetTexture(int32_t index) { quad->SetTexture(index); }

void aruCheckBox::ShowState() {
  if (!hidden) quad->SetTexture(checked ? onTexture : offTexture);
}

void aruCheckBox::SetChecked(bool flag) {
  checked = flag;
  if (linked != nullptr) *linked = flag ? 1 : 0;
  ShowState();
}

void aruCheckBox::Link(uint8_t* flag) {
  linked = flag;
  if (flag == nullptr) return;
  checked = *flag == 1;
  quad->SetTexture(checked ? onTexture : offTexture);
}

aruGUI::aruGUI() = default;
aruGUI::~aruGUI() { Release(); }

HRESULT aruGUI::Create(ARU* newEngine, float newCursorWidth, float newCursorHeight, int32_t cursorTexture) {
  if (newEngine == nullptr) return E_FAIL;
  engine = newEngine;
  cursorWidth = newCursorWidth;
  cursorHeight = newCursorHeight;
  font = std::make_unique<aruFont>(engine);
  font->Create("Verdana", 25, false, false, false);
  cursorQuad = std::make_unique<aruVB>(engine);
  cursorQuad->SetTexture(cursorTexture);
  cursorX = engine->GetScreenWidth() * 0.5f;
  cursorY = engine->GetScreenHeight() * 0.5f;
  BuildCursor();
  spareButton = std::make_unique<aruButton>(engine);
  spareTextBox = std::make_unique<aruTextBox>(engine);
  spareLabel = std::make_unique<aruLabel>(engine);
  spareImage = std::make_unique<aruImage>(engine);
  spareCheckBox = std::make_unique<aruCheckBox>(engine);
  spareOption = std::make_unique<aruOption>(engine);
  return 0;
}

void aruGUI::SetCursorTexture(int32_t index) {
  if (cursorQuad != nullptr) cursorQuad->SetTexture(index);
}

void aruGUI::SetSounds(const char* rollOverFile, const char* downFile) {
  rollOverSound.reset();
  downSound.reset();
  const auto load = [this](const char* file, const char* failure) {
    auto sound = std::make_unique<Sound>();
    bool loaded = false;
    sound->effect = std::make_unique<aruSound>(engine, false);
    loaded = SUCCEEDED(sound->effect->Load(file));
    if (!loaded && engine != nullptr) {
      char line[512];
      std::snprintf(line, sizeof line, failure, file);
      engine->Line(line);
    }
    return sound;
  };
  if (rollOverFile != nullptr) rollOverSound = load(rollOverFile, "Failed loading roll over sound: \"%s\"");
  if (downFile != nullptr) downSound = load(downFile, "Failed loading down sound: \"%s\"");
}

uint32_t aruGUI::GetRollOverPlays() const { return rollOverSound != nullptr ? rollOverSound->plays : 0; }
uint32_t aruGUI::GetDownPlays() const { return downSound != nullptr ? downSound->plays : 0; }

int32_t aruGUI::AddButton(float x, float y, float w, float h, aruGUICallback callback, int32_t normalTexture,
                          int32_t rollOverTexture) {
  auto button = std::make_unique<aruButton>(engine);
  button->x = x, button->y = y, button->w = w, button->h = h;
  button->callback = callback;
  button->normalTexture = normalTexture;
  button->rollOverTexture = rollOverTexture == 0 ? normalTexture : rollOverTexture;
  button->quad->SetTexture(normalTexture);
  BuildButton(*button);
  buttons.push_back(std::move(button));
  return static_cast<int32_t>(buttons.size()) - 1;
}

int32_t aruGUI::AddTextBox(float x, float y, int32_t maxLength) {
  auto box = std::make_unique<aruTextBox>(engine);
  box->x = x, box->y = y;
  box->maxLength = std::max(maxLength, 0);
  // The font's height is 25; a font whose sheet could not be built reports 0, and the box keeps
  // its size all the same.
  const float fontLine = font != nullptr ? font->LineHeight(1) : 0.0f;
  box->lineHeight = fontLine > 0 ? fontLine : kFontHeight;
  box->width = 0.85f * static_cast<float>(box->maxLength) * box->lineHeight;
  box->quad->SetTexture(textBoxTexture);
  BuildTextBox(*box);
  textBoxes.push_back(std::move(box));
  return static_cast<int32_t>(textBoxes.size()) - 1;
}

int32_t aruGUI::AddLabel(float x, float y, D3DCOLOR colour, const char* text) {
  auto label = std::make_unique<aruLabel>(engine);
  label->x = x, label->y = y, label->colour = colour;
  label->SetText(text);
  labels.push_back(std::move(label));
  return static_cast<int32_t>(labels.size()) - 1;
}

int32_t aruGUI::AddImage(float x, float y, float w, float h, int32_t texture) {
  auto image = std::make_unique<aruImage>(engine);
  image->x = x, image->y = y, image->w = w, image->h = h;
  image->quad->SetTexture(texture);
  BuildImage(*image);
  images.push_back(std::move(image));
  return static_cast<int32_t>(images.size()) - 1;
}

int32_t aruGUI::AddCheckBox(float x, float y, float w, float h, const char* caption) {
  auto box = std::make_unique<aruCheckBox>(engine);
  box->x = x, box->y = y, box->w = w, box->h = h;
  box->offTexture = checkBoxOff, box->onTexture = checkBoxOn;
  box->nextToggle = GetTickCount();
  box->caption = caption != nullptr ? caption : "";
  box->quad->SetTexture(checkBoxOff);
  BuildBox(*box);
  checkBoxes.push_back(std::move(box));
  return static_cast<int32_t>(checkBoxes.size()) - 1;
}

int32_t aruGUI::AddOption(float x, float y, float w, float h, const char* caption, uint32_t group) {
  auto option = std::make_unique<aruOption>(engine);
  option->x = x, option->y = y, option->w = w, option->h = h;
  option->offTexture = optionOff, option->onTexture = optionOn;
  option->nextToggle = GetTickCount();
  option->caption = caption != nullptr ? caption : "";
  option->group = group;
  option->quad->SetTexture(optionOff);
  BuildBox(*option);
  options.push_back(std::move(option));
  return static_cast<int32_t>(options.size()) - 1;
}

template <typename Widget>
Widget* aruGUI::Get(std::deque<std::unique_ptr<Widget>>& widgets, std::unique_ptr<Widget>& spare, int32_t n) {
  if (n >= 0 && n < static_cast<int32_t>(widgets.size())) return widgets[static_cast<size_t>(n)].get();
  if (spare == nullptr) spare = std::make_unique<Widget>(engine);
  spare->SetHidden(true);
  return spare.get();
}

aruButton* aruGUI::GetButton(int32_t n) { return Get(buttons, spareButton, n); }
aruTextBox* aruGUI::GetTextBox(int32_t n) { return Get(textBoxes, spareTextBox, n); }
aruLabel* aruGUI::GetLabel(int32_t n) { return Get(labels, spareLabel, n); }
aruImage* aruGUI::GetImage(int32_t n) { return Get(images, spareImage, n); }
aruCheckBox* aruGUI::GetCheckBox(int32_t n) { return Get(checkBoxes, spareCheckBox, n); }
aruOption* aruGUI::GetOption(int32_t n) { return Get(options, spareOption, n); }

int32_t aruGUI::SelectedOption(uint32_t group) const {
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i]->group == group && options[i]->checked) return static_cast<int32_t>(i);
  }
  return -1;
}

void aruGUI::HideAll() {
  for (auto& widget : buttons) widget->SetHidden(true);
  for (auto& widget : textBoxes) widget->SetHidden(true);
  for (auto& widget : labels) widget->SetHidden(true);
  for (auto& widget : images) widget->SetHidden(true);
  for (auto& widget : checkBoxes) widget->SetHidden(true);
  for (auto& widget : options) widget->SetHidden(true);
}

void aruGUI::Clear() {
  buttons.clear();
  textBoxes.clear();
  labels.clear();
  images.clear();
  checkBoxes.clear();
  options.clear();
  focus = -1;
  hover = -1;
}

void aruGUI::MoveCursor(float cursorSpeed) {
  if (engine == nullptr || engine->IsInactive()) return;
  POINT system{};
  if (!GetCursorPos(&system)) return;
  if (system.x == lastPlacedX && system.y == lastPlacedY) return;
  const float centreX = engine->GetCentreX(), centreY = engine->GetCentreY();
  const float factor = cursorSpeed * 0.1f;
  cursorX += (static_cast<float>(system.x) - centreX) * factor;
  cursorY += (centreY - static_cast<float>(system.y)) * factor;
  ClampCursor();
  lastPlacedX = static_cast<int32_t>(centreX);
  lastPlacedY = static_cast<int32_t>(centreY);
  SetCursorPos(lastPlacedX, lastPlacedY);
}

void aruGUI::ClampCursor() {
  if (engine == nullptr) return;
  cursorX = std::clamp(cursorX, 0.0f, engine->GetScreenWidth());
  cursorY = std::clamp(cursorY, 0.0f, engine->GetScreenHeight());
}

void aruGUI::UpdateRollOver() {
  for (size_t i = 0; i < buttons.size(); ++i) {
    aruButton& button = *buttons[i];
    const int32_t number = static_cast<int32_t>(i);
    if (HitButton(button, cursorX, cursorY)) {
      if (rollOverSound != nullptr && soundsEnabled && hover != number) {
        rollOverSound->Play();
        hover = number;
      }
      button.quad->SetTexture(button.rollOverTexture);
      button.showingRollOver = true;
    } else {
      button.quad->SetTexture(button.normalTexture);
      button.showingRollOver = false;
      if (hover == number) hover = -1;
    }
  }
}

bool aruGUI::HitButton(const aruButton& button, float px, float py) const {
  if (button.hidden) return false;
  const float left = engine->ScaleX(button.x), right = engine->ScaleX(button.x + button.w);
  const float bottom = engine->ScaleY(button.y), top = engine->ScaleY(button.y + button.h);
  return left <= px && px <= right && bottom <= py && py < top;
}

bool aruGUI::HitBox(const aruCheckBox& box, float px, float py) const {
  if (box.hidden) return false;
  const float left = engine->ScaleX(box.x), right = engine->ScaleX(box.x + box.w);
  const float bottom = engine->ScaleY(box.y - box.h), top = engine->ScaleY(box.y);
  return left <= px && px <= right && bottom <= py && py < top;
}

bool aruGUI::HitTextBox(const aruTextBox& box, float px, float py) const {
  if (box.hidden) return false;
  const float left = engine->ScaleX(box.x);
  const float bottom = engine->ScaleY(box.y - box.lineHeight - kTextBoxReach);
  const float top = engine->ScaleY(box.y + kTextBoxReach);
  return left <= px && px <= left + box.width && bottom <= py && py <= top;
}

void aruGUI::Click() {
  if (!cursorVisible) return;
  HandleClick(cursorX, cursorY, true, false);
}

void aruGUI::ClickAt(float x, float y) { HandleClick(x, y, false, true); }

void aruGUI::HandleClick(float px, float py, bool withOptions, bool alwaysSound) {
  if (engine == nullptr) return;
  focus = -1;
  for (auto& button : buttons) {
    if (!HitButton(*button, px, py)) continue;
    if (downSound != nullptr && (soundsEnabled || alwaysSound)) downSound->Play();
    // The callback may clear the GUI and build a new screen: nothing here is used after it.
    if (button->callback != nullptr) button->callback();
    return;
  }
  for (size_t i = 0; i < textBoxes.size(); ++i) {
    aruTextBox& box = *textBoxes[i];
    if (!HitTextBox(box, px, py)) continue;
    box.caret = static_cast<int32_t>(box.text.size());
    focus = static_cast<int32_t>(i);
    return;
  }
  for (auto& box : checkBoxes) {
    if (!HitBox(*box, px, py)) continue;
    const DWORD now = GetTickCount();
    if (static_cast<int32_t>(now - box->nextToggle) < 0) return;
    box->nextToggle = now + kToggleGuardMs;
    box->SetChecked(!box->checked);
    return;
  }
  if (!withOptions) return;
  for (auto& option : options) {
    if (!HitBox(*option, px, py)) continue;
    for (auto& other : options) {
      if (other->group == option->group) other->SetChecked(false);
    }
    option->SetChecked(true);
    return;
  }
}

void aruGUI::KeyInput(uint32_t code, bool isCharacter) {
  if (focus >= 0 && focus < static_cast<int32_t>(textBoxes.size())) {
    textBoxes[static_cast<size_t>(focus)]->KeyInput(code, isCharacter);
  }
}

void aruGUI::Paste(const char* text) {
  if (focus >= 0 && focus < static_cast<int32_t>(textBoxes.size())) {
    textBoxes[static_cast<size_t>(focus)]->SetText(text);
  }
}

void aruGUI::Release() {
  Clear();
  rollOverSound.reset();
  downSound.reset();
  cursorQuad.reset();
  font.reset();
}
