// "say" sends a chat line (echoed even without a peer); "nick" announces the new name while a
// session object exists on either side; "connect" opens the joining side's match scene.
#include "net_commands.h"

#include <string>

#include "commands.h"
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
}
