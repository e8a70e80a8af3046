// Test helper: a RallixMatch whose console lines and sounds are recorded, with a fixed seed
// and the arena built, ready for a rally to be set up by hand.
#pragma once

#include <string>
#include <vector>

#include "match.h"

struct RecordedLine {
  uint32_t colour;
  std::string text;
};

struct RecordedSound {
  MatchSound sound;
  aruVector3 position;
  bool withVelocity;
};

class RecordingMatch : public RallixMatch {
 public:
  RecordingMatch() {
    output.context = this;
    output.print = [](void* context, uint32_t colour, const char* text) {
      static_cast<RecordingMatch*>(context)->lines.push_back({colour, text});
    };
    output.play = [](void* context, MatchSound sound, const aruVector3& position,
                     const aruVector3* velocity) {
      static_cast<RecordingMatch*>(context)->sounds.push_back(
          {sound, position, velocity != nullptr});
    };
    output.served = [](void* context) { ++static_cast<RecordingMatch*>(context)->serves; };
    SeedRandom(1234);
    StartMatch();
  }

  // A rally in progress: no serve pending, ball at the position with the velocity.
  void Rally(const aruVector3& position, const aruVector3& velocity) {
    awaitingServe = 0;
    ball.position = position;
    ball.velocity = velocity;
    towardOpponent = velocity.z > 0.0f ? 1 : 0;
  }

  int CountSounds(MatchSound sound) const {
    int count = 0;
    for (const RecordedSound& played : sounds) count += played.sound == sound ? 1 : 0;
    return count;
  }

  bool Printed(const std::string& text) const {
    for (const RecordedLine& line : lines) {
      if (line.text == text) return true;
    }
    return false;
  }

  std::vector<RecordedLine> lines;
  std::vector<RecordedSound> sounds;
  int serves = 0;
};

inline FrameInput Frame(float dt, uint32_t tickMs = 1000) {
  FrameInput frame;
  frame.dt = dt;
  frame.tickMs = tickMs;
  return frame;
}
