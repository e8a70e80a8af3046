// The set-up screens' actions. The port box is read strictly (digits only), so "12ab" is
// refused like letters rather than silently becoming port 12.
#include "scenes/net_setup.h"

#include <cstdio>
#include <cstring>

#include "multiplayer/aru_winsock.h"
#include "multiplayer/net_rules.h"
#include "rallix_game.h"
#include "scenes/scene8.h"
#include "services/gui.h"

namespace netsetup {

namespace {

constexpr unsigned long hostTextColour = 0xFF0000FF;
constexpr size_t hostBoxLimit = 25;

void RefusePort(RallixGame& game, aruGUI& gui, int32_t portBox) {
  game.aruConsole::Print(rangeMessage, rangeColour);
  gui.GetTextBox(portBox)->SetText("2205");
}

}  // namespace

std::string AddressLine(const OwnAddress& own) {
  char line[300];
  if (own.resolved) {
    std::snprintf(line, sizeof line, "Server: %s (%d.%d.%d.%d)", own.name, own.address[0],
                  own.address[1], own.address[2], own.address[3]);
  } else if (own.name[0] != '\0') {
    std::snprintf(line, sizeof line, "Server: %s (no address found)", own.name);
  } else {
    std::snprintf(line, sizeof line, "Server: unknown host (no address found)");
  }
  return line;
}

void CreateGame(RallixGame& game, aruGUI& gui) {
  game.port = ReadPortText(gui.GetTextBox(0)->GetText());
  if (!PortInRange(game.port)) return RefusePort(game, gui, 0);
  game.password = gui.GetTextBox(1)->GetText();
  if (!game.password.empty()) game.aruConsole::Print("Game is password protected.", protectedColour);
  game.currentLevel = 1;
  game.goalsToWin = 5;
  game.paused = 0;
  game.ChangeScene(new scene8(&game));
}

void JoinGame(RallixGame& game, aruGUI& gui) {
  game.port = ReadPortText(gui.GetTextBox(1)->GetText());
  if (!PortInRange(game.port)) return RefusePort(game, gui, 1);
  const std::string host = std::string(gui.GetTextBox(0)->GetText()).substr(0, hostBoxLimit);
  if (!IsPlausibleHostText(host.c_str())) {
    game.aruConsole::Print("Please enter the host's name or address, without spaces.", hostTextColour);
    return;
  }
  std::snprintf(game.serverHost, sizeof game.serverHost, "%s", host.c_str());
  game.password = gui.GetTextBox(2)->GetText();
  game.ChangeScene(new scene9(&game));
}

void ConnectCommand(RallixGame& game, const std::string& text) {
  if (text.empty()) {
    game.aruConsole::Print("Connect Usage: connect ip:port", usageColour);
    return;
  }
  const ConnectTarget target = ParseConnectTarget(text);
  game.port = target.port;
  std::snprintf(game.serverHost, sizeof game.serverHost, "%s", target.host.c_str());
  game.ChangeScene(new scene9(&game));
}

}  // namespace netsetup
