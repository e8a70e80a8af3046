// Synthesised sound: the short effects of the game (paddle hits, walls, goals, GUI clicks, the
// result jingles) and the three music loops, rendered as mono float samples at kSampleRate.
#pragma once

#include <string>
#include <vector>

namespace assetgen {

// Names: "paddle1", "paddle2", "score", "wall", "power", "screenshot", "click", "over",
// "win", "lose", "perfect". An unknown name gives an empty vector.
std::vector<float> makeEffect(const std::string& name);
const std::vector<std::string>& effectNames();

// Names: "intro" (main menu), "inter" (pick and network screens), "credits". Each is a seamless
// loop of at least 30 seconds: the tails of the last notes are folded onto the start.
std::vector<float> makeMusic(const std::string& name);
const std::vector<std::string>& musicNames();

}  // namespace assetgen
