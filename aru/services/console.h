// The in-game command console and the engine's on-screen message sink.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <deque>
#include <string>

class ARU;

class aruConsole {
 public:
  HRESULT Initialize(ARU* engine, D3DCOLOR inputColour, uint32_t scrollbackSize, uint32_t activatorKey,
                     float transparency);
  void SetBackground(int32_t textureIndex) { backgroundTexture = textureIndex; }
  void Print(const char* text, D3DCOLOR colour);
  void Printf(D3DCOLOR colour, const char* format, ...) __attribute__((format(printf, 3, 4)));
  bool HandleKey(uint32_t code, bool isCharacter);
  void Paste(const char* text);
  bool IsOpen() const { return open; }
  void Invalidate() {}
  void Restore() {}
  void Release();
  uint32_t GetScrollbackSize() const { return scrollbackSize; }
  uint32_t GetActivatorKey() const { return activatorKey; }
  float GetTransparency() const { return transparency; }
  int32_t GetBackground() const { return backgroundTexture; }

 protected:
  ARU* consoleEngine = nullptr;
  std::deque<std::string> lines;
  uint32_t scrollbackSize = 200;
  uint32_t activatorKey = 96;
  float transparency = 0.75f;
  int32_t backgroundTexture = -1;
  bool open = false;
};
