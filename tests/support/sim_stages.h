// Small purpose-made stages for end-to-end runs, drawn as text and written
// straight in the byte format of "StageData.map" and "StageData.scp".
//
// One string a row, 20 characters each, 18 rows:
//   '#' wall          ' ' open floor
//   '.' small dot     'o' large dot
//   '*' small dot on a wall: counted, never eaten, so the stage never ends
//   'P' the player's start cell, '0'..'3' the ghosts' (all on open floor)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct StageCell {
  int column = 0;
  int row = 0;
};

struct TestStage {
  std::int32_t walls[18][20] = {};
  std::int32_t dots[18][20] = {};
  StageCell player;
  StageCell ghosts[4];
  int dotCount = 0;  // cells with a dot, as the game counts them
};

// Fails the current test (and returns an empty stage) on a bad drawing.
TestStage StageFromRows(const std::vector<std::string>& rows);

std::vector<std::uint8_t> EncodeStageMap(const std::vector<TestStage>& stages);
std::vector<std::uint8_t> EncodeStageScript(const std::vector<TestStage>& stages);

}  // namespace testsupport
