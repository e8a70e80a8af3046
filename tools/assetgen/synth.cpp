// Sound synthesis: oscillators with envelopes for the effects, and a small sequencer (drums,
// bass, pad, arpeggio and a generated melody over a chord progression) for the music loops.
// Everything is seeded, so the same build always produces the same samples.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>

#include "wave.h"

namespace assetgen {
namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kRate = static_cast<float>(kSampleRate);

// Small deterministic noise source (xorshift).
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 1u) {}
  float next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return (state_ / 4294967295.0f) * 2.0f - 1.0f;
  }

 private:
  uint32_t state_;
};

enum class Wave { Sine, Triangle, Square, Saw };

float oscillator(Wave wave, float phase) {  // phase in cycles
  const float t = phase - std::floor(phase);
  switch (wave) {
    case Wave::Sine: return std::sin(kTwoPi * t);
    case Wave::Triangle: return 4.0f * std::fabs(t - 0.5f) - 1.0f;
    case Wave::Square: return t < 0.5f ? 0.8f : -0.8f;
    case Wave::Saw: return 2.0f * t - 1.0f;
  }
  return 0.0f;
}

float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

// A buffer that can wrap writes around its end, so that notes ringing past the loop point
// continue at the start and the loop joins without a click.
struct Track {
  std::vector<float> samples;
  bool wrap = false;
  void add(long index, float value) {
    const long n = static_cast<long>(samples.size());
    if (wrap) {
      samples[static_cast<size_t>(((index % n) + n) % n)] += value;
    } else if (index >= 0 && index < n) {
      samples[static_cast<size_t>(index)] += value;
    }
  }
};

struct Note {
  float start = 0;     // seconds
  float length = 0.2f; // seconds the key is held
  float pitch = 69;    // MIDI note number
  float gain = 0.3f;
  Wave wave = Wave::Sine;
  float attack = 0.005f;
  float release = 0.08f;
  float decay = 0.0f;       // exponential decay rate while held (1/s); 0 = sustain
  float glide = 0.0f;       // semitones per second
  float vibrato = 0.0f;     // semitones
  float brightness = 1.0f;  // one-pole low-pass amount, 1 = open
  float detune = 0.0f;      // semitones of a second, detuned oscillator
};

void play(Track& track, const Note& note) {
  const long first = std::lround(note.start * kRate);
  const long count = std::lround((note.length + note.release) * kRate);
  float phase = 0, phase2 = 0, filtered = 0;
  for (long i = 0; i < count; ++i) {
    const float t = i / kRate;
    float envelope = std::min(1.0f, t / std::max(note.attack, 1e-4f));
    if (note.decay > 0) envelope *= std::exp(-note.decay * t);
    if (t > note.length) envelope *= std::max(0.0f, 1.0f - (t - note.length) / note.release);
    const float pitch = note.pitch + note.glide * t + note.vibrato * std::sin(kTwoPi * 5.5f * t) * std::min(1.0f, t * 3);
    phase += midiToHz(pitch) / kRate;
    float value = oscillator(note.wave, phase);
    if (note.detune != 0) {
      phase2 += midiToHz(pitch + note.detune) / kRate;
      value = 0.5f * (value + oscillator(note.wave, phase2));
    }
    filtered += (value - filtered) * note.brightness;
    track.add(first + i, filtered * envelope * note.gain);
  }
}

// Noise through a one-pole low-pass (tone < 1 darkens) or its complement (high-pass).
void noiseBurst(Track& track, float start, float length, float gain, float tone, bool highPass, float decay,
                uint32_t seed) {
  Noise noise(seed);
  const long first = std::lround(start * kRate);
  const long count = std::lround(length * kRate);
  float low = 0;
  for (long i = 0; i < count; ++i) {
    const float t = i / kRate;
    const float n = noise.next();
    low += (n - low) * tone;
    const float value = highPass ? n - low : low;
    const float envelope = std::exp(-decay * t) * std::min(1.0f, t / 0.002f) * (1.0f - t / length);
    track.add(first + i, value * envelope * gain);
  }
}

void normalise(std::vector<float>& samples, float peak) {
  float highest = 0;
  for (float s : samples) highest = std::max(highest, std::fabs(s));
  if (highest <= 0) return;
  for (float& s : samples) s *= peak / highest;
}

// Gentle saturation keeps mixed peaks round, then the level is set.
void master(std::vector<float>& samples, float peak) {
  for (float& s : samples) s = std::tanh(s * 1.2f);
  normalise(samples, peak);
}

Track silence(float seconds) { return Track{std::vector<float>(static_cast<size_t>(seconds * kRate), 0.0f)}; }

std::vector<float> hit(float pitch, float decay, uint32_t seed) {
  Track t = silence(0.16f);
  play(t, Note{.start = 0, .length = 0.12f, .pitch = pitch, .gain = 0.7f, .wave = Wave::Sine, .attack = 0.001f,
               .release = 0.03f, .decay = decay, .glide = -6});
  play(t, Note{.start = 0, .length = 0.05f, .pitch = pitch + 12, .gain = 0.2f, .wave = Wave::Triangle,
               .attack = 0.001f, .release = 0.02f, .decay = decay * 2});
  noiseBurst(t, 0, 0.012f, 0.35f, 0.6f, true, 300, seed);
  master(t.samples, 0.8f);
  return t.samples;
}

std::vector<float> jingle(const std::vector<std::pair<float, float>>& notes, float step, float tail, Wave wave,
                          float sustainChord) {
  Track t = silence(notes.size() * step + tail + 0.4f);
  for (size_t i = 0; i < notes.size(); ++i) {
    const bool last = i + 1 == notes.size();
    const float length = last ? tail : step * 1.1f;
    play(t, Note{.start = i * step, .length = length, .pitch = notes[i].first, .gain = notes[i].second,
                 .wave = wave, .attack = 0.006f, .release = 0.25f, .decay = last ? 1.2f : 3.0f,
                 .vibrato = last ? 0.12f : 0.0f, .brightness = 0.35f});
    play(t, Note{.start = i * step, .length = length, .pitch = notes[i].first - 12, .gain = notes[i].second * 0.5f,
                 .wave = Wave::Sine, .attack = 0.006f, .release = 0.25f, .decay = 2.0f});
  }
  if (sustainChord > 0) {
    const float start = (notes.size() - 1) * step;
    for (float interval : {0.0f, 4.0f, 7.0f}) {
      play(t, Note{.start = start, .length = tail, .pitch = notes.back().first - 12 + interval,
                   .gain = sustainChord, .wave = Wave::Saw, .attack = 0.03f, .release = 0.3f, .decay = 1.0f,
                   .brightness = 0.08f, .detune = 0.1f});
    }
  }
  master(t.samples, 0.85f);
  return t.samples;
}

const std::map<std::string, std::function<std::vector<float>()>>& effectTable() {
  static const std::map<std::string, std::function<std::vector<float>()>> table = {
      {"paddle1", [] { return hit(81, 28, 11); }},  // A5: the player's return
      {"paddle2", [] { return hit(74, 24, 12); }},  // D5: the far paddle, a fourth lower
      {"wall",
       [] {
         Track t = silence(0.14f);
         play(t, Note{.start = 0, .length = 0.1f, .pitch = 52, .gain = 0.8f, .wave = Wave::Sine,
                      .attack = 0.001f, .release = 0.03f, .decay = 30, .glide = -30});
         noiseBurst(t, 0, 0.06f, 0.5f, 0.15f, false, 60, 21);
         master(t.samples, 0.75f);
         return t.samples;
       }},
      {"score", [] { return jingle({{72, 0.5f}, {76, 0.5f}, {79, 0.5f}, {84, 0.6f}}, 0.085f, 0.3f, Wave::Square, 0); }},
      {"power",
       [] {
         Track t = silence(0.7f);
         play(t, Note{.start = 0, .length = 0.5f, .pitch = 88, .gain = 0.5f, .wave = Wave::Saw, .attack = 0.002f,
                      .release = 0.15f, .decay = 3, .glide = -70, .brightness = 0.3f, .detune = 0.3f});
         play(t, Note{.start = 0, .length = 0.3f, .pitch = 40, .gain = 0.9f, .wave = Wave::Sine, .attack = 0.002f,
                      .release = 0.2f, .decay = 8, .glide = -20});
         noiseBurst(t, 0, 0.45f, 0.4f, 0.3f, true, 6, 31);
         master(t.samples, 0.9f);
         return t.samples;
       }},
      {"screenshot",
       [] {
         Track t = silence(0.2f);
         noiseBurst(t, 0, 0.02f, 0.8f, 0.5f, true, 150, 41);
         noiseBurst(t, 0.075f, 0.035f, 0.9f, 0.35f, false, 90, 42);
         play(t, Note{.start = 0.075f, .length = 0.03f, .pitch = 45, .gain = 0.4f, .attack = 0.001f,
                      .release = 0.02f, .decay = 60});
         master(t.samples, 0.7f);
         return t.samples;
       }},
      {"click",
       [] {
         Track t = silence(0.05f);
         play(t, Note{.start = 0, .length = 0.025f, .pitch = 94, .gain = 0.6f, .wave = Wave::Sine,
                      .attack = 0.0005f, .release = 0.01f, .decay = 120});
         noiseBurst(t, 0, 0.006f, 0.4f, 0.7f, true, 500, 51);
         master(t.samples, 0.6f);
         return t.samples;
       }},
      {"over",
       [] {
         Track t = silence(0.09f);
         play(t, Note{.start = 0, .length = 0.05f, .pitch = 86, .gain = 0.5f, .wave = Wave::Triangle,
                      .attack = 0.004f, .release = 0.03f, .decay = 40, .glide = 40});
         master(t.samples, 0.45f);
         return t.samples;
       }},
      {"win", [] { return jingle({{67, 0.5f}, {72, 0.5f}, {76, 0.5f}, {79, 0.55f}, {84, 0.6f}}, 0.13f, 0.9f, Wave::Square, 0.15f); }},
      {"lose", [] { return jingle({{67, 0.5f}, {66, 0.5f}, {65, 0.5f}, {64, 0.55f}}, 0.32f, 1.0f, Wave::Triangle, 0); }},
      {"perfect",
       [] {
         return jingle({{72, 0.45f}, {76, 0.45f}, {79, 0.45f}, {84, 0.5f}, {79, 0.45f}, {84, 0.5f}, {88, 0.55f}, {91, 0.6f}},
                       0.1f, 1.3f, Wave::Square, 0.15f);
       }},
  };
  return table;
}

// ---- Music ----

struct Chord {
  int root;  // MIDI note of the root in the bass octave
  bool minor;
  bool seventh;
};

struct Song {
  float bpm;
  int bars;
  std::vector<Chord> progression;  // one chord per bar, repeated
  uint32_t seed;
  float drums;       // 0 = none, 1 = full kit
  bool arpeggio;
  float leadBright;  // low-pass amount of the lead
  Wave lead;
};

std::vector<int> chordTones(const Chord& c) {
  std::vector<int> tones = {0, c.minor ? 3 : 4, 7};
  if (c.seventh) tones.push_back(c.minor ? 10 : 11);
  return tones;
}

void drumBar(Track& t, float barStart, float beat, float amount, int bar, uint32_t seed) {
  if (amount <= 0) return;
  for (int b = 0; b < 4; ++b) {
    const float at = barStart + b * beat;
    if (b % 2 == 0 || (amount > 0.9f && b == 3 && bar % 2 == 1)) {  // kick
      const float kickAt = b == 3 ? at + beat * 0.5f : at;
      play(t, Note{.start = kickAt, .length = 0.12f, .pitch = 45, .gain = 0.9f * amount, .attack = 0.001f,
                   .release = 0.08f, .decay = 14, .glide = -90});
    }
    if (b % 2 == 1) {  // snare: tone and noise
      noiseBurst(t, at, 0.16f, 0.45f * amount, 0.45f, false, 22, seed + bar * 8 + b);
      play(t, Note{.start = at, .length = 0.05f, .pitch = 57, .gain = 0.25f * amount, .attack = 0.001f,
                   .release = 0.04f, .decay = 30});
    }
    for (int half = 0; half < 2; ++half) {  // hats on eighths
      noiseBurst(t, at + half * beat * 0.5f, 0.04f, (half ? 0.1f : 0.16f) * std::max(amount, 0.6f), 0.5f, true, 90,
                 seed + 1000 + bar * 8 + b * 2 + half);
    }
  }
}

void bassBar(Track& t, float barStart, float beat, const Chord& c) {
  static const int pattern[8] = {0, 0, 12, 0, 7, 0, 12, 7};
  for (int i = 0; i < 8; ++i) {
    play(t, Note{.start = barStart + i * beat * 0.5f, .length = beat * 0.4f,
                 .pitch = static_cast<float>(c.root + pattern[i]), .gain = 0.32f, .wave = Wave::Saw,
                 .attack = 0.004f, .release = 0.05f, .decay = 4, .brightness = 0.12f});
  }
}

void padBar(Track& t, float barStart, float barLength, const Chord& c) {
  for (int tone : chordTones(c)) {
    play(t, Note{.start = barStart, .length = barLength * 0.95f, .pitch = static_cast<float>(c.root + 24 + tone),
                 .gain = 0.07f, .wave = Wave::Saw, .attack = 0.25f, .release = 0.3f, .brightness = 0.05f,
                 .detune = 0.12f});
  }
}

void arpeggioBar(Track& t, float barStart, float beat, const Chord& c) {
  const std::vector<int> tones = chordTones(c);
  for (int i = 0; i < 16; ++i) {
    const int tone = tones[i % tones.size()] + (i / tones.size() % 2) * 12;
    play(t, Note{.start = barStart + i * beat * 0.25f, .length = beat * 0.2f,
                 .pitch = static_cast<float>(c.root + 36 + tone), .gain = 0.08f, .wave = Wave::Triangle,
                 .attack = 0.002f, .release = 0.1f, .decay = 10});
  }
}

// A two-bar phrase of chord tones and passing steps; rhythms come from a small table.
struct Phrase {
  std::vector<std::pair<float, int>> notes;  // (start in beats, scale step from the chord root)
};

Phrase makePhrase(uint32_t seed) {
  static const std::vector<std::vector<float>> rhythms = {
      {0, 1, 1.5f, 2, 3}, {0, 0.5f, 1, 2, 2.5f, 3}, {0, 1.5f, 2, 3}, {0, 0.5f, 1.5f, 2.5f, 3, 3.5f}};
  Phrase phrase;
  uint32_t state = seed;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  int step = 2;
  for (int bar = 0; bar < 2; ++bar) {
    for (float at : rhythms[next() % rhythms.size()]) {
      step = std::clamp(step + static_cast<int>(next() % 5) - 2, 0, 7);
      phrase.notes.push_back({bar * 4 + at, step});
    }
  }
  return phrase;
}

void leadPhrase(Track& t, float start, float beat, const Phrase& phrase, const Chord& first, const Chord& second,
                const Song& song, int variation) {
  for (size_t i = 0; i < phrase.notes.size(); ++i) {
    const auto& [at, step] = phrase.notes[i];
    const Chord& chord = at < 4 ? first : second;
    const std::vector<int> tones = chordTones(chord);
    // Even steps land on chord tones, odd ones on the scale step above.
    int interval = tones[(step / 2) % tones.size()] + 12 * (step / (2 * static_cast<int>(tones.size())));
    if (step % 2 == 1) interval += chord.minor ? 2 : 2;
    if (variation == 1 && i + 1 == phrase.notes.size()) interval = 12;  // resolve on the root
    const float nextAt = i + 1 < phrase.notes.size() ? phrase.notes[i + 1].first : 8.0f;
    play(t, Note{.start = start + at * beat, .length = std::max(0.1f, (nextAt - at) * beat * 0.85f),
                 .pitch = static_cast<float>(chord.root + 36 + interval), .gain = 0.16f, .wave = song.lead,
                 .attack = 0.01f, .release = 0.12f, .decay = 0.8f, .vibrato = 0.15f,
                 .brightness = song.leadBright});
  }
}

std::vector<float> renderSong(const Song& song) {
  const float beat = 60.0f / song.bpm;
  const float barLength = 4 * beat;
  Track t = silence(song.bars * barLength);
  t.wrap = true;
  const Phrase a = makePhrase(song.seed), b = makePhrase(song.seed * 7 + 3);
  const size_t n = song.progression.size();
  for (int bar = 0; bar < song.bars; ++bar) {
    const float at = bar * barLength;
    const Chord& chord = song.progression[bar % n];
    drumBar(t, at, beat, bar < 2 ? song.drums * 0.5f : song.drums, bar, song.seed);
    bassBar(t, at, beat, chord);
    padBar(t, at, barLength, chord);
    if (song.arpeggio || bar >= song.bars / 2) arpeggioBar(t, at, beat, chord);
    // Melody from the fifth bar: A A' B A' in two-bar phrases.
    if (bar >= 4 && bar % 2 == 0) {
      const int section = (bar - 4) / 2 % 4;
      leadPhrase(t, at, beat, section == 2 ? b : a, chord, song.progression[(bar + 1) % n], song, section % 2);
    }
  }
  master(t.samples, 0.8f);
  return t.samples;
}

const std::map<std::string, Song>& songTable() {
  // Roots are MIDI notes in the bass octave: 45 A, 41 F, 48 C, 43 G, 50 D, 47 B, 40 E.
  static const std::map<std::string, Song> table = {
      {"intro", Song{118, 18, {{45, true, false}, {41, false, true}, {48, false, false}, {43, false, false}}, 1234,
                     1.0f, false, 0.3f, Wave::Square}},
      {"inter", Song{96, 13, {{50, false, true}, {47, true, true}, {43, false, true}, {45, false, false}}, 5678,
                     0.45f, true, 0.5f, Wave::Triangle}},
      {"credits", Song{124, 17, {{48, false, false}, {41, false, false}, {45, true, false}, {43, false, true}}, 9012,
                       0.85f, false, 0.25f, Wave::Saw}},
  };
  return table;
}

}  // namespace

std::vector<float> makeEffect(const std::string& name) {
  const auto& table = effectTable();
  const auto it = table.find(name);
  return it == table.end() ? std::vector<float>{} : it->second();
}

const std::vector<std::string>& effectNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const auto& [name, make] : effectTable()) out.push_back(name);
    return out;
  }();
  return names;
}

std::vector<float> makeMusic(const std::string& name) {
  const auto& table = songTable();
  const auto it = table.find(name);
  return it == table.end() ? std::vector<float>{} : renderSong(it->second);
}

const std::vector<std::string>& musicNames() {
  static const std::vector<std::string> names = {"intro", "inter", "credits"};
  return names;
}

}  // namespace assetgen
