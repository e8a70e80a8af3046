// Connects the console's "say", "nick", "connect" and "lan" commands to the network side.
#pragma once

#include <cstdint>

class RallixGame;

// How long "lan" listens for answers; the console waits that long.
constexpr uint32_t lanSearchMs = 1000;

// Fills the chat, session, name, connect and LAN hooks of the game's console commands.
void InstallNetworkCommandHooks();
// "lan": the hosts that answer within lanSearchMs, one console line each, or a line saying none.
void ListLanHosts(RallixGame& game);
