// Helpers and mazes shared by the end-to-end runs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "support/sim_runner.h"

namespace e2e {

using namespace testsupport;

enum State { Attract, Title, Intermission, StageStart, Play, StageClear, GameOver, Credits };

// Also shows the script's freedoms: comments, blank lines, tabs, CR LF, any case.
inline constexpr const char* kStartGame =
    "# start a game\n\n  100\tpress space\r\n140 RELEASE Space  # let go\n";

// A short tap of Space every period ms from first to last: whichever
// screen waits for Space takes the next one, the others ignore it.
inline std::string SpaceTaps(std::uint32_t first, std::uint32_t last, std::uint32_t period) {
  std::string script;
  for (std::uint32_t t = first; t <= last; t += period) {
    script += std::to_string(t) + " press SPACE\n" + std::to_string(t + 40) + " release SPACE\n";
  }
  return script;
}

// The first state changes of the run as (from, to), at most count of them.
inline std::vector<std::pair<int, int>> Transitions(const SimRun& run, std::size_t count) {
  std::vector<std::pair<int, int>> pairs;
  for (const StateChange& change : run.states) {
    pairs.emplace_back(change.from, change.to);
  }
  pairs.resize(std::min(count, pairs.size()));
  return pairs;
}

// The last frame line whose gate time came before elapsed ms, or the first
// after it; null if none.
inline const TraceLine* FrameNear(const SimRun& run, std::uint32_t elapsed, bool after = false) {
  const TraceLine* found = nullptr;
  for (const TraceLine& frame : run.frames) {
    if (after && run.Elapsed(frame) > elapsed) {
      return &frame;
    }
    found = !after && run.Elapsed(frame) < elapsed ? &frame : found;
  }
  return found;
}

// A missing field fails as a wrong one does.
inline void ExpectFields(const TraceLine& line,
                         std::initializer_list<std::pair<const char*, std::int64_t>> fields) {
  for (const auto& [name, value] : fields) {
    EXPECT_EQ(line.Str(name), std::to_string(value)) << name;
  }
}

inline bool IsLit(RgbImage::Pixel p) { return p.r >= 24 || p.g >= 24 || p.b >= 24; }
inline bool IsWhite(RgbImage::Pixel p) { return p.r > 230 && p.g > 230 && p.b > 230; }
inline bool IsPureBlue(RgbImage::Pixel p) { return p.r < 40 && p.g < 40 && p.b > 215; }
inline bool IsPureRed(RgbImage::Pixel p) { return p.r > 215 && p.g < 40 && p.b < 40; }

// The player starts in row 1 facing left and keeps walking left without any
// key. Ghosts that must not interfere wait in row 10, more than 100 pixels
// away, so they never start a chase. A dot on a wall keeps a stage endless.
inline StageRows Maze(const std::vector<std::string>& corridors, const char* ghostRow, bool endless = true) {
  StageRows rows(18, std::string(20, '#'));
  std::copy(corridors.begin(), corridors.end(), rows.begin() + 1);
  rows[10] = ghostRow;
  rows[16][18] = endless ? '*' : '#';
  return rows;
}

// Ten quick stages with 1, 2 or 3 dots just left of the player, eaten within
// half a second, so that each stage record is told apart.
inline int QuickStageDots(int stage) { return stage % 3 + 1; }
inline std::vector<StageRows> TenQuickStages() {
  std::vector<StageRows> stages;
  for (int n = 1; n <= 10; ++n) {
    const int dots = QuickStageDots(n);
    stages.push_back(Maze({"#" + std::string(5 - dots, ' ') + std::string(dots, '.') + "P            #"},
                          "#0 1 2 3           #", false));
  }
  return stages;
}

// Two dots, then a walk of more than three seconds to the wall.
inline StageRows LongWalkStage() { return Maze({"#               ..P#"}, "#0 1 2 3           #"); }
inline constexpr int kLongWalkStartX = 18 * 13;

// Ghost 0 shares the player's corridor and walks into it; the two dots on
// the way are eaten in the first life only.
inline StageRows AmbushStage() { return Maze({"#0      ..P        #"}, "#  1 2 3           #"); }

// A large dot, then ghost 0 coming down the corridor: blue time, a ghost
// eaten, eyes going home, a chase and a catch, all within a few seconds.
inline StageRows BusyStage() {
  return Maze({"# 0         .o. .P #", "# ################ #", "#                  #"},
              "#  1 2 3           #");
}

}  // namespace e2e
