// The host and join set-up screens' actions: Create Game, Connect, the console's "connect"
// command and the host's address line. Each reads the screen's boxes through the GUI.
#pragma once

#include <string>

class aruGUI;
class RallixGame;
struct OwnAddress;

namespace netsetup {

constexpr unsigned long rangeColour = 0xFF0000FF;
constexpr unsigned long protectedColour = 0xFFFF0000;
constexpr unsigned long usageColour = 0xFFFFFFB8;
constexpr const char* rangeMessage = "Please enter a valid port in the range 1 - 65000.";

// The host set-up's label 0: "Server: name (a.b.c.d)", or the name and a word that no address
// was found when it does not resolve.
std::string AddressLine(const OwnAddress& own);

// Create Game: a port in range opens the host's match scene with the typed password; else the
// range message and the port box back to "2205".
void CreateGame(RallixGame& game, aruGUI& gui);
// Connect: the same port rule; the host box must hold a name or address without spaces.
void JoinGame(RallixGame& game, aruGUI& gui);
// The console's "connect ip:port" / "connect host".
void ConnectCommand(RallixGame& game, const std::string& text);

}  // namespace netsetup
