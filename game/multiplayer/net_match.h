// The match-state changes that the network events make on either side: back to the set-up
// picture when a match ends, and the host's full return to waiting for a client.
#pragma once

class RallixGame;
class aruGUI;

// Match stopped, set-up picture faded back in, cursor shown, paddles at their ends, ball at
// rest at the origin, volleys and power shots cleared. Scores and standings stay.
void ReturnToSetupPicture(RallixGame& game);

// The host's match controls, shown again in this order: start button, "Max Score: " label,
// max-score box, kick button, the three speed options, "Speed:" label, reset button.
void ShowHostSetupControls(aruGUI& gui);

// The client is gone: no opponent, scores and standings cleared, no match, controls back.
void ResetHostToWaiting(RallixGame& game);
