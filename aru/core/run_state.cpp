// The safe-mode start check: IsSetup tells whether the last run ended cleanly; if not, the player
// is offered the configuration tool instead of the game.
#include "core/aru.h"

#include <string>

#include "core/ini_file.h"
#include "core/launch.h"

namespace {

const char kWebAddress[] = "https://quillmark.example/rallix";

std::string FirstRunNotFoundText() {
  return std::string(
             "We could not locate the setup utility program.\n Please locate it inside of your product's "
             "directory and run it manually.\n If you need to download a new copy of the configuration "
             "tool,\n one may be available at ") +
         kWebAddress + ". We apologize for the inconvenience.";
}

std::string SafeModeNotFoundText() {
  return std::string(
             "We could not locate the setup utility program. Please located it inside of your product's "
             "directory and run it manually. If you need to download a new copy of the configuration tool, "
             "one may be available at ") +
         kWebAddress + ". We apologize for the inconvenience.";
}

const char kSafeModeQuestion[] =
    "It appears that the last time this product ran, it crashed. As a result, can be taken\n back to the "
    "setup utility so you can modify your program settings. We apologize for the inconvenience.\n\nWould you "
    "like to modify your settings now?";

}  // namespace

HRESULT ARU::LaunchSetup(const char* fallbackProgram, const char* notFoundText) {
  char setup[256] = {};
  config->ReadString(setup, 255, "ARU", "Setup", "");
  if (!LaunchFile(setup) && !LaunchFile(fallbackProgram)) {
    MessageBoxA(NULL, notFoundText, "Uh oh!", MB_OK | MB_ICONINFORMATION);
  }
  runState = 0;
  return E_FAIL;
}

HRESULT ARU::CheckRunState() {
  const int32_t isSetup = config->ReadInt("ARU", "IsSetup", 0);
  if (isSetup == 1) return 0;
  if (isSetup == 0) {
    Line("Running external configuration utility.");
    return LaunchSetup("aruConfig.exe", FirstRunNotFoundText().c_str());
  }
  if (isSetup == 2) {
    const int answer = MessageBoxA(NULL, kSafeModeQuestion, "Safe Mode", MB_YESNO | MB_ICONINFORMATION);
    if (answer == IDYES) return LaunchSetup(".\\aruConfig.exe", SafeModeNotFoundText().c_str());
    if (answer == IDNO) return 0;
    return E_FAIL;
  }
  return E_FAIL;
}
