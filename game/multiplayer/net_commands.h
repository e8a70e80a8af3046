// Connects the console's "say" and "nick" commands to the network messages.
#pragma once

// Fills the chat, session and name hooks of the game's console commands.
void InstallNetworkCommandHooks();
