// The GUI manager: push buttons, text boxes, labels, images, check boxes and option buttons on the
// 1280 x 1024 virtual screen (y up), plus a software cursor driven by relative mouse motion.
// Scenes add widgets, keep the returned numbers and fetch widgets by kind and number.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

class ARU;
class aruFont;
class aruVB;

typedef void (*aruGUICallback)();

// What every widget has: the engine, a quad (labels draw none) and the hidden flag.
class aruWidget {
 public:
  explicit aruWidget(ARU* engine);
  ~aruWidget();
  aruWidget(const aruWidget&) = delete;
  aruWidget& operator=(const aruWidget&) = delete;
  void SetHidden(bool flag) { hidden = flag; }
  bool IsHidden() const { return hidden; }

 protected:
  friend class aruGUI;
  // Rebuilds the quad over the pixel rectangle (y up); texture coordinates (0,0) at top-left.
  void BuildQuad(float left, float top, float right, float bottom);
  ARU* engine;
  std::unique_ptr<aruVB> quad;
  bool hidden = false;
};

class aruButton : public aruWidget {
 public:
  using aruWidget::aruWidget;
  bool IsShowingRollOver() const { return showingRollOver; }

 private:
  friend class aruGUI;
  int32_t normalTexture = -1, rollOverTexture = -1;
  float x = 0, y = 0, w = 0, h = 0;  // bottom-left corner and size, virtual units
  aruGUICallback callback = nullptr;
  bool showingRollOver = false;
};

class aruTextBox : public aruWidget {
 public:
  using aruWidget::aruWidget;
  // Cut to the maximum length; the caret goes to the end.
  void SetText(const char* text);
  const char* GetText() const { return text.c_str(); }
  int32_t GetCaret() const { return caret; }

 private:
  friend class aruGUI;
  void KeyInput(uint32_t code, bool isCharacter);
  float x = 0, y = 0;  // top-left corner, virtual units
  float width = 0;     // pixels
  float lineHeight = 25;
  D3DCOLOR colour = 0xFF000000;
  int32_t caret = 0;
  std::string text;
  int32_t maxLength = 0;
};

class aruLabel : public aruWidget {
 public:
  using aruWidget::aruWidget;
  void SetText(const char* newText) { text = newText != nullptr ? newText : ""; }
  const char* GetText() const { return text.c_str(); }

 private:
  friend class aruGUI;
  std::string text;
  float x = 0, y = 0;
  D3DCOLOR colour = 0xFFFFFFFF;
};

class aruImage : public aruWidget {
 public:
  using aruWidget::aruWidget;
  void SetTexture(int32_t index);

 private:
  friend class aruGUI;
  float x = 0, y = 0, w = 0, h = 0;  // top-left corner and size, virtual units
  D3DCOLOR colour = 0xFFFFFFFF;
};

class aruCheckBox : public aruWidget {
 public:
  using aruWidget::aruWidget;
  // Writes the state to the linked flag; a visible box also shows its on/off picture.
  void SetChecked(bool flag);
  bool IsChecked() const { return checked; }
  // Takes the state from the byte at once (1 = checked) and writes every later change to it.
  void Link(uint8_t* flag);

 protected:
  friend class aruGUI;
  void ShowState();
  float w = 0, h = 0, x = 0, y = 0;  // top-left corner and size, virtual units
  int32_t offTexture = -1, onTexture = -1;
  bool checked = false;
  uint32_t nextToggle = 0;
  std::string caption;
  uint8_t* linked = nullptr;
};

class aruOption : public aruCheckBox {
 public:
  using aruCheckBox::aruCheckBox;
  uint32_t GetGroup() const { return group; }

 private:
  friend class aruGUI;
  uint32_t group = 0;
};

class aruGUI {
 public:
  aruGUI();
  ~aruGUI();
  aruGUI(const aruGUI&) = delete;
  aruGUI& operator=(const aruGUI&) = delete;

  HRESULT Create(ARU* engine, float cursorWidth, float cursorHeight, int32_t cursorTexture);
  void SetCheckBoxTextures(int32_t off, int32_t on) { checkBoxOff = off, checkBoxOn = on; }
  void SetOptionTextures(int32_t off, int32_t on) { optionOff = off, optionOn = on; }
  void SetTextBoxTexture(int32_t index) { textBoxTexture = index; }
  void SetCursorTexture(int32_t index);
  // Null names load nothing; a file that fails to load is logged and then plays silently.
  void SetSounds(const char* rollOverFile, const char* downFile);
  void SetCursorVisible(bool flag) { cursorVisible = flag; }
  void SetSoundsEnabled(bool flag) { soundsEnabled = flag; }

  // Each returns the new widget's number within its kind.
  int32_t AddButton(float x, float y, float w, float h, aruGUICallback callback, int32_t normalTexture,
                    int32_t rollOverTexture);
  int32_t AddTextBox(float x, float y, int32_t maxLength);
  int32_t AddLabel(float x, float y, D3DCOLOR colour, const char* text);
  int32_t AddImage(float x, float y, float w, float h, int32_t texture);
  int32_t AddCheckBox(float x, float y, float w, float h, const char* caption);
  int32_t AddOption(float x, float y, float w, float h, const char* caption, uint32_t group);

  // A number the kind never handed out gives a spare hidden widget that is never drawn or hit.
  aruButton* GetButton(int32_t n);
  aruTextBox* GetTextBox(int32_t n);
  aruLabel* GetLabel(int32_t n);
  aruImage* GetImage(int32_t n);
  aruCheckBox* GetCheckBox(int32_t n);
  aruOption* GetOption(int32_t n);

  int32_t SelectedOption(uint32_t group) const;
  void HideAll();
  void Clear();
  void Draw(float cursorSpeed);
  void Click();
  void ClickAt(float x, float y);
  void KeyInput(uint32_t code, bool isCharacter);
  void Paste(const char* text);
  void Invalidate();
  void Restore();
  void Release();

  // The two steps of Draw that move state: the cursor and the buttons' roll-over.
  void MoveCursor(float cursorSpeed);
  void UpdateRollOver();

  float GetCursorX() const { return cursorX; }
  float GetCursorY() const { return cursorY; }
  int32_t GetFocus() const { return focus; }
  int32_t GetHover() const { return hover; }
  // How often each sound was started (a sound that failed to load starts silently).
  uint32_t GetRollOverPlays() const;
  uint32_t GetDownPlays() const;

 private:
  struct Sound;

  bool HitButton(const aruButton& button, float px, float py) const;
  bool HitBox(const aruCheckBox& box, float px, float py) const;
  bool HitTextBox(const aruTextBox& box, float px, float py) const;
  void HandleClick(float px, float py, bool withOptions, bool alwaysSound);
  void BuildButton(aruButton& button);
  void BuildTextBox(aruTextBox& box);
  void BuildImage(aruImage& image);
  void BuildBox(aruCheckBox& box);
  void BuildCursor();
  void DrawTextBox(const aruTextBox& box, bool focused);
  void DrawBox(const aruCheckBox& box);
  void ClampCursor();
  template <typename Widget>
  Widget* Get(std::deque<std::unique_ptr<Widget>>& widgets, std::unique_ptr<Widget>& spare, int32_t n);

  ARU* engine = nullptr;
  std::unique_ptr<aruFont> font;
  float cursorX = 0, cursorY = 0;  // pixels, y up
  std::unique_ptr<aruVB> cursorQuad;
  int32_t lastPlacedX = 0, lastPlacedY = 0;
  float cursorWidth = 50, cursorHeight = 50;
  std::deque<std::unique_ptr<aruButton>> buttons;
  std::deque<std::unique_ptr<aruTextBox>> textBoxes;
  std::deque<std::unique_ptr<aruLabel>> labels;
  std::deque<std::unique_ptr<aruImage>> images;
  std::deque<std::unique_ptr<aruCheckBox>> checkBoxes;
  std::deque<std::unique_ptr<aruOption>> options;
  int32_t focus = -1;
  std::unique_ptr<Sound> rollOverSound, downSound;
  int32_t hover = -1;
  bool cursorVisible = true;
  bool soundsEnabled = true;
  int32_t checkBoxOff = -1, checkBoxOn = -1, optionOff = -1, optionOn = -1, textBoxTexture = -1;
  std::unique_ptr<aruButton> spareButton;
  std::unique_ptr<aruTextBox> spareTextBox;
  std::unique_ptr<aruLabel> spareLabel;
  std::unique_ptr<aruImage> spareImage;
  std::unique_ptr<aruCheckBox> spareCheckBox;
  std::unique_ptr<aruOption> spareOption;
};
