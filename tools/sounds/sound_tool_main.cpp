// sound_tool [--info] RECIPE OUTPUT.wav
//
// Synthesises one sound recipe into a WAVE file; --info prints its length
// and peak. A faulty recipe is refused with its line numbers and nothing
// written.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "recipe.h"
#include "synth.h"
#include "tool_io.h"
#include "wave_file.h"

int main(int argc, char** argv) {
  const bool info = argc == 4 && std::string(argv[1]) == "--info";
  if (argc != 3 && !info) {
    std::fprintf(stderr, "usage: sound_tool [--info] RECIPE OUTPUT.wav\n");
    return 2;
  }
  const std::string source = argv[argc - 2];
  const std::string output = argv[argc - 1];
  const std::string name = tool::BaseName(source);
  std::vector<std::string> lines;
  if (!tool::ReadSourceLines("sound_tool", source, lines)) return 1;
  sounds::Recipe recipe;
  std::vector<sounds::RecipeError> errors;
  if (!sounds::ParseRecipe(lines, recipe, errors)) {
    tool::ReportLineFaults("sound_tool", source, errors);
    return 1;
  }
  const std::vector<std::int16_t> samples = sounds::Render(recipe);
  if (samples.empty()) {
    std::fprintf(stderr, "sound_tool: %s: the recipe makes no sound\n", name.c_str());
    return 1;
  }
  std::string error;
  if (!tool::WriteFileAtomically(output, sounds::EncodeWave(samples), error)) {
    std::fprintf(stderr, "sound_tool: %s\n", error.c_str());
    return 1;
  }
  if (!info) return 0;
  int peak = 0;
  for (std::int16_t sample : samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
  std::printf("%s: %.3f s, peak %d (%.1f dBFS)\n", tool::BaseName(output).c_str(),
              static_cast<double>(samples.size()) / sounds::kSampleRate, peak,
              20.0 * std::log10(peak / 32768.0));
  return 0;
}
