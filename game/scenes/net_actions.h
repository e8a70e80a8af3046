// The network match scenes' actions on the main thread: the host's start, end, kick and reset,
// the chat line of both sides, and the Escape keys that leave for the set-up screens.
#pragma once

#include <cstdint>

class RallixGame;

namespace netactions {

// The tick of the last StartNetMatch, for the attract mode's serve.
extern uint32_t matchStartTick;

// Refuses with "Not connected yet!" when no client is recorded; else hides the set-up controls,
// reads the max score and the speed option, binds Escape to EndNetMatch and tells the client.
void StartNetMatch(RallixGame& game);
// Back to the set-up picture and controls, the scores kept; tells the client; Escape leaves.
void EndNetMatch(RallixGame& game);
void KickClient(RallixGame& game);
void ResetStandings(RallixGame& game);
// Enter: the chat box's text is sent (and echoed) and the box emptied.
void SendChatLine(RallixGame& game);

// The Escape bindings: leave for the host or join set-up screen.
void LeaveToHostSetup();
void LeaveToJoinSetup();

}  // namespace netactions
