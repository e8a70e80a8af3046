// MessageBoxA on SDL's message boxes. With ARU_MESSAGEBOX set (yes, no, ok, cancel, abort,
// retry, ignore) nothing is shown: the caption and text go to standard error and that button
// is the answer, which is how tests drive the dialogs.
#include <SDL.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "win32/win32_internal.h"

namespace {

struct ButtonName {
  const char* name;
  int id;
};

constexpr ButtonName kButtons[] = {
    {"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
    {"ignore", IDIGNORE}, {"yes", IDYES},     {"no", IDNO},
};

const char* ButtonLabel(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

std::vector<int> ButtonsOf(UINT type) {
  switch (type & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

Uint32 SdlIconFlag(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

void WriteToStderr(LPCSTR caption, LPCSTR text) {
  std::fprintf(stderr, "MessageBox \"%s\": %s\n", caption ? caption : "Error", text ? text : "");
  std::fflush(stderr);
}

int ScriptedAnswer(const char* answer) {
  for (const ButtonName& button : kButtons) {
    if (strcasecmp(answer, button.name) == 0) return button.id;
  }
  return 0;
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  if (const char* answer = std::getenv("ARU_MESSAGEBOX")) {
    WriteToStderr(caption, text);
    int id = ScriptedAnswer(answer);
    if (id == 0) std::fprintf(stderr, "ARU_MESSAGEBOX=\"%s\" names no button\n", answer);
    return id;
  }
  std::vector<int> ids = ButtonsOf(type);
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (size_t i = 0; i < ids.size(); ++i) {
    Uint32 flags = 0;
    if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (ids[i] == IDCANCEL || ids[i] == IDNO) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons.push_back({flags, ids[i], ButtonLabel(ids[i])});
  }
  SDL_MessageBoxData box{};
  box.flags = SdlIconFlag(type);
  box.title = caption ? caption : "Error";
  box.message = text ? text : "";
  box.numbuttons = int(buttons.size());
  box.buttons = buttons.data();
  int pressed = 0;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) {
    // No display to show it on: say so where a user running from a terminal will see it.
    WriteToStderr(caption, text);
    std::fprintf(stderr, "MessageBox could not be shown: %s\n", SDL_GetError());
    return 0;
  }
  // Closing the box without a button answers Cancel where there is one, as on Windows.
  if (pressed < 0) return ids.size() > 1 ? IDCANCEL : IDOK;
  return pressed;
}
