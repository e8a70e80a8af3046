// The rules of a network match and of its set-up screens that need no scene: reading the port,
// max-score and "connect" texts, the ball's speed-up per return, and the two sides' ball steps.
#pragma once

#include <cstdint>
#include <string>

class RallixGame;
struct FrameInput;

constexpr int32_t connectDefaultPort = 2205;
constexpr int32_t lowestPort = 1;
constexpr int32_t highestPort = 65000;

// A port box's text: the decimal number it holds, or 0 when it holds anything else (letters,
// trailing text, a sign, too many digits). Spaces around the number are allowed.
int32_t ReadPortText(const char* text);
bool PortInRange(int32_t port);

// The "connect" command's argument: "host:port" (port read like atoi, not range-checked) or a
// bare host, which joins on connectDefaultPort. The text must not be empty.
struct ConnectTarget {
  std::string host;
  int32_t port = connectDefaultPort;
};
ConnectTarget ParseConnectTarget(const std::string& text);

// The host box's text is usable: not empty and free of spaces and control characters.
bool IsPlausibleHostText(const char* text);

// The max-score box: read as a decimal number and truncated; anything below 1 gives 5.
int32_t ReadMaxScore(const char* text);

// The depth speed the host adds per return for the checked speed option (-1: none checked).
float NetSpeedUp(int32_t speedSetting);

// The host's ball step: wall bounces, the two returns without power shots, goals from the goal
// line with no new serve, then the move. Sends the ball and score messages of each event.
void StepNetBall(RallixGame& game, const FrameInput& frame);
// The joining side's: wall bounces, then the move; returns and goals are the host's to decide.
void StepClientBall(RallixGame& game, const FrameInput& frame);
