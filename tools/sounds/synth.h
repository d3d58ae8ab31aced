// Turns a recipe into 16-bit samples at 22050 Hz.
#pragma once

#include <cstdint>
#include <vector>

#include "recipe.h"

namespace sounds {

// Mixes every tone, scales the mix so its loudest sample is the recipe's
// peak, and fades the first and last 2 ms so the file starts and ends at
// silence. Empty when the mix is silent.
std::vector<std::int16_t> Render(const Recipe& recipe);

// Samples of one tone before mixing, for checking the oscillators.
std::vector<double> RenderTone(const Tone& tone);

}  // namespace sounds
