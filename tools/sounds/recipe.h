// A sound recipe: tones placed on a timeline, written as text.
//
//   ; comment
//   peak 0.7                      loudest sample as a share of full scale
//   length 3.6                    seconds (default: where the last tone ends)
//   tempo 200                     beats per minute for "notes"
//   voice lead square amp=0.3 duty=0.25
//   tone 0 0.3 sine 300..1200 amp=0.5 vibrato=12:0.3
//   notes lead 0 G4/8 B4/8 D5/4. r/8 C5/2
//   notes lead + A4/4              "+" goes on after the voice's last note
//
// Waves: sine, square, triangle, saw, noise. A pitch is in hertz or a note
// name (C4, F#5, Bb3; A4 = 440 Hz); "a..b" glides from a to b. Tone options:
// amp, attack, release, decay (seconds of exponential fall, 0 for none), duty,
// vibrato=RATE:SEMITONES, lowpass=HZ, partials=RATIO:AMP,..., glide=exp|lin,
// gap (share of each note left silent), seed (noise). Note lengths are
// fractions of a whole note: /4 a beat, /8 half a beat, a dot adds half,
// "+" ties lengths (/2+8).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sounds {

inline constexpr int kSampleRate = 22050;
inline constexpr double kShortestRamp = 0.002;  // seconds; anything shorter clicks

enum class Wave { Sine, Square, Triangle, Saw, Noise };
enum class Glide { Exponential, Linear };

struct Partial {
  double ratio = 1.0;
  double amp = 1.0;
};

struct ToneShape {
  Wave wave = Wave::Sine;
  double amp = 0.5;
  double attack = 0.005;
  double release = 0.02;
  double decay = 0.0;
  double duty = 0.5;
  double vibratoRate = 0.0;
  double vibratoDepth = 0.0;  // semitones
  double lowpass = 0.0;       // hertz, 0 for none
  double gap = 0.1;
  Glide glide = Glide::Exponential;
  std::uint32_t seed = 1;
  std::vector<Partial> partials;  // empty: the plain wave
};

struct Tone {
  double start = 0;     // seconds
  double duration = 0;  // seconds
  double fromHz = 0;
  double toHz = 0;
  ToneShape shape;
  int line = 0;
};

struct Recipe {
  double peak = 0.7;
  double length = 0;  // 0: up to the end of the last tone
  std::vector<Tone> tones;
};

struct RecipeError {
  int line = 0;
  std::string message;
};

// Parses the recipe lines; returns false with every fault in errors.
bool ParseRecipe(const std::vector<std::string>& lines, Recipe& recipe, std::vector<RecipeError>& errors);

// Hertz of a note name such as "A4", "C#5" or "Eb3"; false if it is none.
bool NoteFrequency(const std::string& name, double& hertz);

}  // namespace sounds
