// The in-game command console.
#include "console.h"

#include <cstdarg>
#include <cstdio>

HRESULT aruConsole::Initialize(ARU* engine, D3DCOLOR, uint32_t newScrollbackSize, uint32_t newActivatorKey,
                               float newTransparency) {
  consoleEngine = engine;
  scrollbackSize = newScrollbackSize;
  activatorKey = newActivatorKey;
  transparency = newTransparency;
  return 0;
}

void aruConsole::Print(const char* text, D3DCOLOR) {
  if (text == nullptr || *text == '\0') return;
  if (lines.size() >= scrollbackSize && !lines.empty()) lines.pop_front();
  lines.emplace_back(text);
}

void aruConsole::Printf(D3DCOLOR colour, const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  Print(text, colour);
}

bool aruConsole::HandleKey(uint32_t code, bool) {
  if (code == activatorKey) {
    open = !open;
    return true;
  }
  return open;
}

void aruConsole::Paste(const char*) {}

void aruConsole::Release() { lines.clear(); }
