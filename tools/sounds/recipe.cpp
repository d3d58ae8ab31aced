#include "recipe.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace sounds {
namespace {

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

bool ParseWave(const std::string& text, Wave& wave) {
  static const std::map<std::string, Wave> waves = {{"sine", Wave::Sine},
                                                    {"square", Wave::Square},
                                                    {"triangle", Wave::Triangle},
                                                    {"saw", Wave::Saw},
                                                    {"noise", Wave::Noise}};
  const auto found = waves.find(text);
  if (found == waves.end()) return false;
  wave = found->second;
  return true;
}

bool ParseHertz(const std::string& text, double& hertz) {
  if (NoteFrequency(text, hertz)) return true;
  return ParseNumber(text, hertz) && hertz > 0 && hertz < kSampleRate / 2.0;
}

// "a" or "a..b".
bool ParsePitch(const std::string& text, double& from, double& to) {
  const std::size_t dots = text.find("..");
  if (dots == std::string::npos) {
    if (!ParseHertz(text, from)) return false;
    to = from;
    return true;
  }
  return ParseHertz(text.substr(0, dots), from) && ParseHertz(text.substr(dots + 2), to);
}

bool ParsePartials(const std::string& text, std::vector<Partial>& partials) {
  partials.clear();
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    const std::size_t colon = item.find(':');
    Partial partial;
    if (colon == std::string::npos || !ParseNumber(item.substr(0, colon), partial.ratio) ||
        !ParseNumber(item.substr(colon + 1), partial.amp) || partial.ratio <= 0 || partial.amp < 0) {
      return false;
    }
    partials.push_back(partial);
  }
  return !partials.empty();
}

// Applies one key=value option; returns an error message, empty when fine.
std::string ApplyOption(const std::string& option, ToneShape& shape) {
  const std::size_t equals = option.find('=');
  if (equals == std::string::npos) return "expected key=value, found '" + option + "'";
  const std::string key = option.substr(0, equals);
  const std::string value = option.substr(equals + 1);
  double number = 0;
  const bool isNumber = ParseNumber(value, number);
  auto needRange = [&](double low, double high) -> std::string {
    if (!isNumber || number < low || number > high) {
      return key + " must be a number from " + std::to_string(low) + " to " + std::to_string(high);
    }
    return {};
  };
  std::string error;
  if (key == "amp") {
    error = needRange(0.0, 1.0);
    shape.amp = number;
  } else if (key == "attack" || key == "release") {
    error = needRange(0.0, 10.0);
    if (error.empty() && number < kShortestRamp) error = key + " below 2 ms would click";
    (key == "attack" ? shape.attack : shape.release) = number;
  } else if (key == "decay") {
    error = needRange(0.0, 100.0);
    shape.decay = number;
  } else if (key == "duty") {
    error = needRange(0.05, 0.95);
    shape.duty = number;
  } else if (key == "lowpass") {
    error = needRange(0.0, kSampleRate / 2.0);
    shape.lowpass = number;
  } else if (key == "gap") {
    error = needRange(0.0, 0.9);
    shape.gap = number;
  } else if (key == "seed") {
    error = needRange(1.0, 4294967295.0);
    shape.seed = static_cast<std::uint32_t>(number);
  } else if (key == "vibrato") {
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos || !ParseNumber(value.substr(0, colon), shape.vibratoRate) ||
        !ParseNumber(value.substr(colon + 1), shape.vibratoDepth) || shape.vibratoRate < 0 ||
        shape.vibratoRate > 100 || std::fabs(shape.vibratoDepth) > 12) {
      error = "vibrato must be RATE:SEMITONES (rate 0 to 100 Hz, depth up to 12)";
    }
  } else if (key == "partials") {
    if (!ParsePartials(value, shape.partials)) error = "partials must be RATIO:AMP,RATIO:AMP,...";
  } else if (key == "glide") {
    if (value == "exp") {
      shape.glide = Glide::Exponential;
    } else if (value == "lin") {
      shape.glide = Glide::Linear;
    } else {
      error = "glide must be exp or lin";
    }
  } else {
    error = "unknown option '" + key + "'";
  }
  return error;
}

// "/4", "/4.", "/2+8": the length in beats.
bool ParseLength(const std::string& text, double& beats) {
  beats = 0;
  std::stringstream parts(text);
  std::string part;
  while (std::getline(parts, part, '+')) {
    if (!part.empty() && part[0] == '/') part.erase(0, 1);
    bool dotted = false;
    if (!part.empty() && part.back() == '.') {
      dotted = true;
      part.pop_back();
    }
    double denominator = 0;
    if (!ParseNumber(part, denominator) || denominator <= 0 || denominator > 64) return false;
    beats += 4.0 / denominator * (dotted ? 1.5 : 1.0);
  }
  return beats > 0;
}

std::vector<std::string> Words(const std::string& line) {
  std::string text = line.substr(0, line.find(';'));
  std::stringstream stream(text);
  std::vector<std::string> words;
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

}  // namespace

bool NoteFrequency(const std::string& name, double& hertz) {
  static const int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return false;
  int semitone = kSemitones[name[0] - 'A'];
  std::size_t at = 1;
  if (name[at] == '#') {
    ++semitone;
    ++at;
  } else if (name[at] == 'b') {
    --semitone;
    ++at;
  }
  if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') return false;
  const int octave = name[at] - '0';
  const int fromA4 = (octave - 4) * 12 + semitone - 9;
  hertz = 440.0 * std::pow(2.0, fromA4 / 12.0);
  return true;
}

bool ParseRecipe(const std::vector<std::string>& lines, Recipe& recipe, std::vector<RecipeError>& errors) {
  recipe = Recipe{};
  const std::size_t errorsBefore = errors.size();
  std::map<std::string, ToneShape> voices;
  std::map<std::string, double> voiceBeat;
  double tempo = 0;
  bool notesSeen = false;

  for (std::size_t index = 0; index < lines.size(); ++index) {
    const int line = static_cast<int>(index) + 1;
    const std::vector<std::string> words = Words(lines[index]);
    if (words.empty() || words[0][0] == '#') continue;
    auto fail = [&](const std::string& message) { errors.push_back(RecipeError{line, message}); };
    const std::string& directive = words[0];

    if (directive == "peak" || directive == "length" || directive == "tempo") {
      double value = 0;
      if (words.size() != 2 || !ParseNumber(words[1], value)) {
        fail(directive + " needs one number");
      } else if (directive == "peak") {
        if (value <= 0 || value >= 1) fail("peak must lie between 0 and 1, below full scale");
        recipe.peak = value;
      } else if (directive == "length") {
        if (value <= 0 || value > 60) fail("length must be from 0 to 60 seconds");
        recipe.length = value;
      } else {
        if (value < 20 || value > 600) fail("tempo must be 20 to 600 beats per minute");
        if (notesSeen) fail("tempo must come before the first notes");
        tempo = value;
      }
    } else if (directive == "voice") {
      ToneShape shape;
      if (words.size() < 3 || !ParseWave(words[2], shape.wave)) {
        fail("voice needs a name and a wave (sine, square, triangle, saw, noise)");
        continue;
      }
      for (std::size_t i = 3; i < words.size(); ++i) {
        const std::string error = ApplyOption(words[i], shape);
        if (!error.empty()) fail(error);
      }
      voices[words[1]] = shape;
    } else if (directive == "tone") {
      Tone tone;
      tone.line = line;
      if (words.size() < 5 || !ParseNumber(words[1], tone.start) || !ParseNumber(words[2], tone.duration) ||
          !ParseWave(words[3], tone.shape.wave) || !ParsePitch(words[4], tone.fromHz, tone.toHz)) {
        fail("tone needs START DURATION WAVE PITCH[..PITCH] [options]");
        continue;
      }
      if (tone.start < 0 || tone.duration <= 0) fail("tone start must be 0 or more and its duration above 0");
      for (std::size_t i = 5; i < words.size(); ++i) {
        const std::string error = ApplyOption(words[i], tone.shape);
        if (!error.empty()) fail(error);
      }
      recipe.tones.push_back(tone);
    } else if (directive == "notes") {
      notesSeen = true;
      if (words.size() < 3) {
        fail("notes needs a voice, a start beat (or +) and notes");
        continue;
      }
      const auto voice = voices.find(words[1]);
      if (voice == voices.end()) {
        fail("unknown voice '" + words[1] + "'");
        continue;
      }
      if (tempo <= 0) {
        fail("notes need a tempo first");
        continue;
      }
      double beat = 0;
      if (words[2] == "+") {
        beat = voiceBeat[words[1]];
      } else if (!ParseNumber(words[2], beat) || beat < 0) {
        fail("notes start must be a beat number or +");
        continue;
      }
      const double secondsPerBeat = 60.0 / tempo;
      for (std::size_t i = 3; i < words.size(); ++i) {
        const std::string& token = words[i];
        const std::size_t slash = token.find('/');
        double beats = 0;
        if (slash == std::string::npos || !ParseLength(token.substr(slash), beats)) {
          fail("note '" + token + "' needs a length such as /4, /8. or /2+8");
          continue;
        }
        const std::string pitch = token.substr(0, slash);
        if (pitch != "r") {
          Tone tone;
          tone.line = line;
          tone.shape = voice->second;
          if (!ParsePitch(pitch, tone.fromHz, tone.toHz)) {
            fail("unknown pitch '" + pitch + "'");
          } else {
            tone.start = beat * secondsPerBeat;
            tone.duration = beats * secondsPerBeat * (1.0 - tone.shape.gap);
            recipe.tones.push_back(tone);
          }
        }
        beat += beats;
      }
      voiceBeat[words[1]] = beat;
    } else {
      fail("unknown directive '" + directive + "'");
    }
  }

  if (errors.size() == errorsBefore && recipe.tones.empty())
    errors.push_back(RecipeError{0, "no tone at all"});
  if (recipe.length > 0) {
    for (const Tone& tone : recipe.tones) {
      if (tone.start + tone.duration > recipe.length + 1e-9) {
        errors.push_back(RecipeError{tone.line, "tone ends after the sound's length"});
      }
    }
  }
  return errors.size() == errorsBefore;
}

}  // namespace sounds
