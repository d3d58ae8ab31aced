// stage_tool on purpose-made mazes: a good set is written in the game's
// layout; each broken maze is refused, naming the stage, cell and rule, and
// nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data_test_support.h"

namespace datatest {
namespace {

using Map = std::vector<std::string>;

// An outer ring and a middle row with a tunnel; a few dots.
const Map kGoodMap = {
    "####################", "#  0  1      2  3  #", "# ################ #", "# ################ #",
    "# ################ #", "# ################ #", "# ################ #", "# ################ #",
    "  ...o....          ", "# ################ #", "# ################ #", "# ################ #",
    "# ################ #", "# ################ #", "# ################ #", "# ################ #",
    "#  ..    P         #", "####################",
};

class StageTool : public ::testing::Test {
 protected:
  // Writes the maps as stage files 1.. and runs the tool on them.
  ToolRun Run(const std::vector<Map>& maps, const std::string& flags = "--test-stages") {
    std::string command = ToolPath("stages", "stage_tool") + " " + flags + " --out " + dir_.path();
    for (std::size_t i = 0; i < maps.size(); ++i) {
      const std::string path = dir_.File("map" + std::to_string(i + 1) + ".txt");
      std::string text = "; test stage\n";
      for (const std::string& row : maps[i]) text += row + "\n";
      WriteText(path, text);
      command += " " + path;
    }
    return RunTool(command);
  }
  bool Wrote() const {
    return std::filesystem::exists(dir_.File("StageData.map")) ||
           std::filesystem::exists(dir_.File("StageData.scp"));
  }

  TempFolder dir_;
};

TEST_F(StageTool, WritesAGoodSetInTheGamesLayout) {
  const ToolRun run = Run({kGoodMap, kGoodMap});
  ASSERT_EQ(run.status, 0) << run.output;
  const Bytes map = ReadBytes(dir_.File("StageData.map"));
  const Bytes script = ReadBytes(dir_.File("StageData.scp"));
  ASSERT_EQ(map.size(), 4u + 2 * 2884);
  ASSERT_EQ(script.size(), 4u + 2 * 65);
  EXPECT_EQ(I32(map, 4 + 2884), 2);
  // Row 0: the corner joins right and down, the next cell left and right.
  EXPECT_EQ(I32(map, 8), 1 + 2 + 4);
  EXPECT_EQ(I32(map, 12), 1 + 2 + 8);
  EXPECT_EQ(I32(map, 8 + 1440 + 4 * (8 * 20 + 5)), 2);  // the large dot
  // The player "Mog" starts at column 9, row 16.
  EXPECT_EQ(std::string(script.begin() + 8, script.begin() + 12), "\x03Mog");
  EXPECT_EQ(I32(script, 13), 9);
  EXPECT_EQ(I32(script, 17), 16);
}

TEST_F(StageTool, RefusesEachBrokenMazeNamingStageCellAndRule) {
  const struct {
    const char* what;
    std::vector<std::pair<std::pair<int, int>, char>> cells;  // (row, column) := character, '\0' cuts the row
    std::string expected;                                     // part of the message
  } breakages[] = {
      {"row too short", {{{3, 19}, '\0'}}, "line 5), row 3, column 19: map size: row has 19 cells"},
      {"unknown character", {{{5, 5}, 'x'}}, "row 5, column 5: cell value"},
      {"hole in the border", {{{4, 0}, ' '}}, "row 4, column 0: border: a tunnel opening needs the opposite"},
      {"tunnel beside a tunnel",
       {{{7, 0}, ' '}, {{7, 19}, ' '}},
       "row 7, column 0: border: a tunnel opening needs walls"},
      {"dead end", {{{2, 9}, ' '}}, "row 2, column 9: dead end"},
      {"wide open block", {{{2, 2}, ' '}}, "row 1, column 1: open block"},
      {"closed pocket",
       {{{4, 4}, ' '},
        {{4, 5}, ' '},
        {{4, 6}, ' '},
        {{5, 4}, '.'},
        {{5, 6}, ' '},
        {{6, 4}, ' '},
        {{6, 5}, ' '},
        {{6, 6}, ' '}},
       "row 5, column 4: reach: dot cannot be reached"},
      {"ghost beside the player", {{{1, 16}, ' '}, {{16, 12}, '3'}}, "row 16, column 12: ghost distance"},
      {"second player", {{{16, 12}, 'P'}}, "row 16, column 12: start cells: second start for the player"},
      {"missing ghost", {{{1, 13}, ' '}}, "start cells: no start cell for ghost 2"},
  };
  for (const auto& breakage : breakages) {
    Map broken = kGoodMap;
    for (const auto& [cell, value] : breakage.cells) {
      if (value == '\0') {
        broken[cell.first].resize(cell.second);
      } else {
        broken[cell.first][cell.second] = value;
      }
    }
    const ToolRun run = Run({kGoodMap, broken});
    EXPECT_EQ(run.status, 1) << breakage.what;
    EXPECT_NE(run.output.find("stage 2 (map2.txt"), std::string::npos) << breakage.what << "\n" << run.output;
    EXPECT_NE(run.output.find(breakage.expected), std::string::npos) << breakage.what << "\n" << run.output;
    EXPECT_EQ(run.output.find("stage 1 ("), std::string::npos) << breakage.what << "\n" << run.output;
    EXPECT_FALSE(Wrote()) << breakage.what;
  }
}

}  // namespace
}  // namespace datatest
