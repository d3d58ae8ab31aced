#include "synth.h"

#include <algorithm>
#include <cmath>

namespace sounds {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Softens the jump of a square or saw edge over one sample, which keeps high
// notes from folding back as harsh aliases.
double PolyBlep(double phase, double step) {
  if (phase < step) {
    const double t = phase / step;
    return t + t - t * t - 1.0;
  }
  if (phase > 1.0 - step) {
    const double t = (phase - 1.0) / step;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

double Wrap01(double value) { return value - std::floor(value); }

class Oscillator {
 public:
  Oscillator(Wave wave, double duty, std::uint32_t seed) : wave_(wave), duty_(duty), noise_(seed) {}

  double Next(double hertz) {
    const double step = hertz / kSampleRate;
    double value = 0;
    switch (wave_) {
      case Wave::Sine:
        value = std::sin(2 * kPi * phase_);
        break;
      case Wave::Triangle:
        value = 1.0 - 4.0 * std::fabs(phase_ - 0.5);
        break;
      case Wave::Saw:
        value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, step);
        break;
      case Wave::Square:
        value =
            (phase_ < duty_ ? 1.0 : -1.0) + PolyBlep(phase_, step) - PolyBlep(Wrap01(phase_ - duty_), step);
        break;
      case Wave::Noise:
        value = held_;
        break;
    }
    phase_ += step;
    if (phase_ >= 1.0) {
      phase_ -= std::floor(phase_);
      if (wave_ == Wave::Noise) held_ = NextNoise();
    }
    return value;
  }

 private:
  double NextNoise() {
    noise_ = noise_ * 1664525u + 1013904223u;
    return static_cast<double>(noise_ >> 8) / static_cast<double>(1u << 23) - 1.0;
  }

  Wave wave_;
  double duty_;
  std::uint32_t noise_;
  double phase_ = 0;
  double held_ = 0;
};

double Envelope(const ToneShape& shape, double t, double duration) {
  double level = 1.0;
  if (t < shape.attack) level = t / shape.attack;
  if (shape.decay > 0 && t > shape.attack) level *= std::exp(-(t - shape.attack) / shape.decay);
  const double left = duration - t;
  if (left < shape.release) level = std::min(level, std::max(0.0, left / shape.release));
  return level;
}

double Pitch(const Tone& tone, double t) {
  const double share = tone.duration > 0 ? t / tone.duration : 0;
  double hertz = tone.shape.glide == Glide::Exponential
                     ? tone.fromHz * std::pow(tone.toHz / tone.fromHz, share)
                     : tone.fromHz + (tone.toHz - tone.fromHz) * share;
  if (tone.shape.vibratoDepth != 0) {
    hertz *= std::pow(2.0, tone.shape.vibratoDepth / 12.0 * std::sin(2 * kPi * tone.shape.vibratoRate * t));
  }
  return hertz;
}

}  // namespace

std::vector<double> RenderTone(const Tone& tone) {
  const std::size_t count = static_cast<std::size_t>(std::llround(tone.duration * kSampleRate));
  std::vector<double> out(count, 0.0);
  std::vector<Partial> partials = tone.shape.partials;
  if (partials.empty()) partials.push_back(Partial{1.0, 1.0});
  double weight = 0;
  for (const Partial& partial : partials) weight += partial.amp;
  if (weight <= 0) return out;

  std::vector<Oscillator> oscillators;
  for (std::size_t i = 0; i < partials.size(); ++i) {
    oscillators.emplace_back(tone.shape.wave, tone.shape.duty,
                             tone.shape.seed + static_cast<std::uint32_t>(i));
  }
  const double smoothing =
      tone.shape.lowpass > 0 ? 1.0 - std::exp(-2 * kPi * tone.shape.lowpass / kSampleRate) : 1.0;
  double filtered = 0;
  for (std::size_t n = 0; n < count; ++n) {
    const double t = static_cast<double>(n) / kSampleRate;
    const double hertz = Pitch(tone, t);
    double value = 0;
    for (std::size_t i = 0; i < partials.size(); ++i) {
      const double partialHertz = std::min(hertz * partials[i].ratio, kSampleRate * 0.45);
      value += partials[i].amp * oscillators[i].Next(partialHertz);
    }
    filtered += smoothing * (value / weight - filtered);
    out[n] = filtered * tone.shape.amp * Envelope(tone.shape, t, tone.duration);
  }
  return out;
}

std::vector<std::int16_t> Render(const Recipe& recipe) {
  double length = recipe.length;
  if (length <= 0) {
    for (const Tone& tone : recipe.tones) length = std::max(length, tone.start + tone.duration);
  }
  const std::size_t total = static_cast<std::size_t>(std::llround(length * kSampleRate));
  std::vector<double> mix(total, 0.0);
  for (const Tone& tone : recipe.tones) {
    const std::vector<double> samples = RenderTone(tone);
    const std::size_t first = static_cast<std::size_t>(std::llround(tone.start * kSampleRate));
    for (std::size_t n = 0; n < samples.size() && first + n < total; ++n) mix[first + n] += samples[n];
  }

  const std::size_t fade = std::min(total / 2, static_cast<std::size_t>(kShortestRamp * kSampleRate));
  for (std::size_t n = 0; n < fade; ++n) {
    const double level = static_cast<double>(n) / static_cast<double>(fade);
    mix[n] *= level;
    mix[total - 1 - n] *= level;
  }
  double loudest = 0;
  for (double value : mix) loudest = std::max(loudest, std::fabs(value));
  if (loudest <= 0) return {};

  const double scale = recipe.peak * 32767.0 / loudest;
  std::vector<std::int16_t> out(total);
  for (std::size_t n = 0; n < total; ++n) {
    const double value = std::clamp(std::round(mix[n] * scale), -32767.0, 32767.0);
    out[n] = static_cast<std::int16_t>(value);
  }
  return out;
}

}  // namespace sounds
