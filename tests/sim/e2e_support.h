// Helpers shared by the end-to-end runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/sim_runner.h"

namespace e2e {

using testsupport::JsonValue;
using testsupport::RgbImage;
using testsupport::SimRun;
using testsupport::StateChange;

enum State { Attract = 0, Title = 1, Intermission = 2, StageStart = 3, Play = 4, StageClear = 5, GameOver = 6,
             Credits = 7 };

// A short tap of Space every period ms from first to last: whichever
// screen waits for Space takes the next one, the others ignore it.
inline std::string SpaceTaps(std::uint32_t first, std::uint32_t last, std::uint32_t period) {
  std::string script;
  for (std::uint32_t t = first; t <= last; t += period) {
    script += std::to_string(t) + " press SPACE\n" + std::to_string(t + 40) + " release SPACE\n";
  }
  return script;
}

inline std::vector<std::pair<int, int>> Transitions(const SimRun& run) {
  std::vector<std::pair<int, int>> pairs;
  for (const StateChange& change : run.States()) {
    pairs.emplace_back(change.from, change.to);
  }
  return pairs;
}

// The last frame line whose gate time came before elapsed ms; null if none.
inline const JsonValue* LastFrameBefore(const SimRun& run, std::uint32_t elapsed) {
  const JsonValue* found = nullptr;
  for (const JsonValue* frame : run.Frames()) {
    if (run.Elapsed(*frame) < elapsed) {
      found = frame;
    }
  }
  return found;
}

inline bool IsBlack(const RgbImage::Pixel& p) { return p.r < 24 && p.g < 24 && p.b < 24; }
inline bool IsLit(const RgbImage::Pixel& p) { return !IsBlack(p); }
inline bool IsWhite(const RgbImage::Pixel& p) { return p.r > 230 && p.g > 230 && p.b > 230; }
inline bool IsPureBlue(const RgbImage::Pixel& p) { return p.r < 40 && p.g < 40 && p.b > 215; }
inline bool IsPureRed(const RgbImage::Pixel& p) { return p.r > 215 && p.g < 40 && p.b < 40; }

// The whole-game runs need the built pictures and font to look at pixels.
#define E2E_NEEDS_PICTURES(workspace)                                                              \
  ASSERT_TRUE((workspace).hasGamePictures()) << "the built data folder " CHOMPO_DATA_DIR           \
                                                " has no pictures: build the chompo_data target"

}  // namespace e2e
