// "say" sends a chat line (echoed even without a peer); "nick" announces the new name while a
// session object exists on either side; "connect" opens the joining side's match scene; "lan"
// lists the hosts waiting on the local network.
#include "net_commands.h"

#include <string>

#include "commands.h"
#include "lan_discovery.h"
#include "net_layout.h"
#include "net_protocol.h"
#include "rallix_game.h"
#include "scenes/net_setup.h"

void InstallNetworkCommandHooks() {
  networkCommandHooks.sendChat = [](const std::string& text) { SendChat(text.c_str()); };
  networkCommandHooks.hasSession = [] { return NetGame().HasSession(); };
  networkCommandHooks.sendName = [] { SendName(); };
  networkCommandHooks.connect = [](const std::string& text) {
    netsetup::ConnectCommand(NetGame(), text);
  };
  networkCommandHooks.listLanHosts = [] { ListLanHosts(NetGame()); };
}

void ListLanHosts(RallixGame& game) {
  constexpr uint32_t white = 0xFFFFFFFF;
  const std::vector<LanHost> hosts = FindLanHosts(game.port, lanSearchMs, false);
  if (hosts.empty()) {
    game.aruConsole::Printf(white, "No game found on the local network (port %d).", game.port);
    return;
  }
  game.aruConsole::Printf(white, "Games on the local network: %d", static_cast<int>(hosts.size()));
  for (const LanHost& host : hosts) {
    game.aruConsole::Printf(white, "  %s:%d (%s)", host.address.c_str(), host.port, host.name.c_str());
  }
}
