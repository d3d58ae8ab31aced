// The mazes of the end-to-end runs. The player starts facing left and keeps
// walking left without any key; the ghosts that must not interfere are
// walled into a corridor of their own, more than 100 pixels away, so they
// never start a chase.
#pragma once

#include <string>
#include <vector>

#include "support/sim_stages.h"

namespace e2e {

inline std::vector<std::string> WalledRows() { return std::vector<std::string>(18, std::string(20, '#')); }

// Dots just left of the player: (dots) of them, eaten within half a second.
inline testsupport::TestStage QuickStage(int dots) {
  std::vector<std::string> rows = WalledRows();
  rows[1] = "#     P            #";
  for (int i = 0; i < dots; ++i) {
    rows[1][static_cast<std::size_t>(5 - i)] = '.';
  }
  rows[10] = "#0 1 2 3           #";
  return testsupport::StageFromRows(rows);
}

// Ten quick stages with 1, 2 or 3 dots each, so each record is told apart.
inline int QuickStageDots(int stage) { return stage % 3 + 1; }
inline std::vector<testsupport::TestStage> TenQuickStages() {
  std::vector<testsupport::TestStage> stages;
  for (int n = 1; n <= 10; ++n) {
    stages.push_back(QuickStage(QuickStageDots(n)));
  }
  return stages;
}

// A long corridor: two dots, then a walk of more than three seconds to the
// wall. The dot on a wall keeps the stage from ever ending.
inline testsupport::TestStage LongWalkStage() {
  std::vector<std::string> rows = WalledRows();
  rows[1] = "#               ..P#";
  rows[10] = "#0 1 2 3           #";
  rows[16][18] = '*';
  return testsupport::StageFromRows(rows);
}
inline constexpr int kLongWalkStartX = 18 * 13;

// Ghost 0 shares the player's corridor and walks into it; two dots on the
// way are eaten in the first life only.
inline testsupport::TestStage AmbushStage() {
  std::vector<std::string> rows = WalledRows();
  rows[1] = "#0      ..P        #";
  rows[10] = "#  1 2 3           #";
  rows[16][18] = '*';
  return testsupport::StageFromRows(rows);
}

// A large dot, then ghost 0 coming down the corridor: blue time, a ghost
// eaten, eyes going home, a chase and a catch, all within a few seconds.
inline testsupport::TestStage BusyStage() {
  std::vector<std::string> rows = WalledRows();
  rows[1] = "# 0         .o. .P #";
  rows[2] = "# ################ #";
  rows[3] = "#                  #";
  rows[10] = "#  1 2 3           #";
  rows[16][18] = '*';
  return testsupport::StageFromRows(rows);
}

}  // namespace e2e
