// The GUI's geometry and drawing: widget quads in back-buffer pixels scaled from the virtual
// screen, the draw order (images, labels, buttons last-added first so earlier ones lie on top,
// text boxes, check boxes, options, cursor), and rebuilding everything after a device reset.
#include <algorithm>

#include "core/aru.h"
#include "services/font.h"
#include "services/gui.h"
#include "services/vb.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kCaretColour = 0xFF0000FF;
constexpr float kCaptionGap = 15.0f;

}  // namespace

void aruWidget::BuildQuad(float left, float top, float right, float bottom) {
  const aruNVertex corners[4] = {
      {left, top, 0, 0, 0, -1, kWhite, 0, 0},
      {right, top, 0, 0, 0, -1, kWhite, 1, 0},
      {left, bottom, 0, 0, 0, -1, kWhite, 0, 1},
      {right, bottom, 0, 0, 0, -1, kWhite, 1, 1},
  };
  quad->Create(4, 2, corners);
}

void aruGUI::BuildButton(aruButton& button) {
  button.BuildQuad(engine->ScaleX(button.x), engine->ScaleY(button.y + button.h), engine->ScaleX(button.x + button.w),
                   engine->ScaleY(button.y));
}

void aruGUI::BuildTextBox(aruTextBox& box) {
  const float left = engine->ScaleX(box.x);
  box.BuildQuad(left, engine->ScaleY(box.y + 5.0f), left + box.width, engine->ScaleY(box.y - box.lineHeight));
}

void aruGUI::BuildImage(aruImage& image) {
  image.BuildQuad(engine->ScaleX(image.x), engine->ScaleY(image.y), engine->ScaleX(image.x + image.w),
                  engine->ScaleY(image.y - image.h));
}

void aruGUI::BuildBox(aruCheckBox& box) {
  box.BuildQuad(engine->ScaleX(box.x), engine->ScaleY(box.y), engine->ScaleX(box.x + box.w),
                engine->ScaleY(box.y - box.h));
}

// The cursor quad has its top-left corner at the origin; drawing translates it to the cursor.
void aruGUI::BuildCursor() {
  const float w = engine->ScaleX(cursorWidth), h = engine->ScaleY(cursorHeight);
  const aruNVertex corners[4] = {
      {0, 0, 0, 0, 0, -1, kWhite, 0, 0},
      {w, 0, 0, 0, 0, -1, kWhite, 1, 0},
      {0, -h, 0, 0, 0, -1, kWhite, 0, 1},
      {w, -h, 0, 0, 0, -1, kWhite, 1, 1},
  };
  cursorQuad->Create(4, 2, corners);
}

void aruGUI::Draw(float cursorSpeed) {
  if (engine == nullptr || font == nullptr) return;
  if (cursorVisible) MoveCursor(cursorSpeed);
  UpdateRollOver();

  RECT unused{};
  for (auto& image : images) {
    if (!image->hidden) image->quad->Draw();
  }
  for (auto& label : labels) {
    if (!label->hidden) font->DrawText(&unused, label->x, label->y, label->colour, label->text.c_str());
  }
  aruMatrix identity;
  identity.Identity();
  engine->SetWorldTransform(identity);
  for (auto button = buttons.rbegin(); button != buttons.rend(); ++button) {
    if (!(*button)->hidden) (*button)->quad->Draw();
  }
  for (size_t i = 0; i < textBoxes.size(); ++i) {
    if (!textBoxes[i]->hidden) DrawTextBox(*textBoxes[i], static_cast<int32_t>(i) == focus);
  }
  for (auto& box : checkBoxes) DrawBox(*box);
  for (auto& option : options) DrawBox(*option);

  if (cursorVisible && cursorQuad != nullptr) {
    aruMatrix moved = identity;
    moved.Translate(cursorX, cursorY, 0);
    engine->SetWorldTransform(moved);
    cursorQuad->Draw();
    engine->SetWorldTransform(identity);
  }
}

void aruGUI::DrawTextBox(const aruTextBox& box, bool focused) {
  box.quad->Draw();
  RECT extent{};
  const float textY = box.y + 2.0f;
  const int32_t length = static_cast<int32_t>(box.text.size());
  if (!focused || box.caret >= box.maxLength) {
    font->DrawText(&extent, box.x, textY, box.colour, box.text.c_str());
    return;
  }
  const size_t caret = static_cast<size_t>(std::clamp(box.caret, 0, length));
  char before[256];
  const size_t beforeLength = std::min(caret, sizeof before - 1);
  box.text.copy(before, beforeLength);
  before[beforeLength] = '\0';
  font->DrawText(&extent, box.x, textY, box.colour, before);
  const float caretX = static_cast<float>(extent.right);
  font->DrawText(&extent, caretX, textY - 1.0f, kCaretColour, "_");
  font->DrawText(&extent, caretX, textY, box.colour, box.text.c_str() + beforeLength);
}

void aruGUI::DrawBox(const aruCheckBox& box) {
  if (box.hidden) return;
  box.quad->Draw();
  if (box.caption.empty()) return;
  RECT unused{};
  font->DrawText(&unused, box.x + box.w + kCaptionGap, box.y, kWhite, box.caption.c_str());
}

void aruGUI::Invalidate() {
  if (font != nullptr) font->Invalidate();
  if (cursorQuad != nullptr) cursorQuad->Invalidate();
  for (auto& widget : buttons) widget->quad->Invalidate();
  for (auto& widget : textBoxes) widget->quad->Invalidate();
  for (auto& widget : images) widget->quad->Invalidate();
  for (auto& widget : checkBoxes) widget->quad->Invalidate();
  for (auto& widget : options) widget->quad->Invalidate();
}

void aruGUI::Restore() {
  if (engine == nullptr) return;
  if (font != nullptr) font->Restore();
  ClampCursor();
  if (cursorQuad != nullptr) BuildCursor();
  for (auto& widget : buttons) BuildButton(*widget);
  for (auto& widget : textBoxes) BuildTextBox(*widget);
  for (auto& widget : images) BuildImage(*widget);
  for (auto& widget : checkBoxes) BuildBox(*widget);
  for (auto& widget : options) BuildBox(*widget);
}
