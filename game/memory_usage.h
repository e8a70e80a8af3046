// The "Memory Usage" list written to the log after a successful start: the in-memory size of the
// engine's and the game's classes.
#pragma once

class RallixGame;

void LogMemoryUsage(RallixGame& game);
