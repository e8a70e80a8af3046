// The GUI manager: buttons, text boxes, labels, images, check boxes, options and the cursor.
#pragma once

#include <windows.h>

#include <cstdint>

class ARU;

class aruGUI {
 public:
  HRESULT Create(ARU* engine, float cursorWidth, float cursorHeight, int32_t cursorTexture) {
    guiEngine = engine;
    (void)cursorWidth, (void)cursorHeight, (void)cursorTexture;
    return 0;
  }
  void Click() {}
  void KeyInput(uint32_t code, bool isCharacter) { (void)code, (void)isCharacter; }
  void Paste(const char* text) { (void)text; }
  void Invalidate() {}
  void Restore() {}
  void Release() {}

 private:
  ARU* guiEngine = nullptr;
};
