#include "support/sim_stages.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {

void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(bits >> shift));
  }
}

}  // namespace

TestStage StageFromRows(const std::vector<std::string>& rows) {
  TestStage stage;
  if (rows.size() != 18) {
    ADD_FAILURE() << "a stage has 18 rows, this one " << rows.size();
    return {};
  }
  bool placed[5] = {};
  for (int r = 0; r < 18; ++r) {
    if (rows[r].size() != 20) {
      ADD_FAILURE() << "row " << r << " has " << rows[r].size() << " cells, not 20";
      return {};
    }
    for (int c = 0; c < 20; ++c) {
      const char cell = rows[r][c];
      switch (cell) {
        case '#':
          stage.walls[r][c] = 1;
          break;
        case '*':
          stage.walls[r][c] = 1;
          stage.dots[r][c] = 1;
          break;
        case '.':
          stage.dots[r][c] = 1;
          break;
        case 'o':
          stage.dots[r][c] = 2;
          break;
        case ' ':
          break;
        case 'P':
          stage.player = {c, r};
          placed[0] = true;
          break;
        case '0':
        case '1':
        case '2':
        case '3':
          stage.ghosts[cell - '0'] = {c, r};
          placed[cell - '0' + 1] = true;
          break;
        default:
          ADD_FAILURE() << "unknown cell '" << cell << "' at row " << r << ", column " << c;
          return {};
      }
      stage.dotCount += stage.dots[r][c] != 0 ? 1 : 0;
    }
  }
  for (bool actorPlaced : placed) {
    if (!actorPlaced) {
      ADD_FAILURE() << "the player and all four ghosts need a start cell";
      return {};
    }
  }
  return stage;
}

std::vector<std::uint8_t> EncodeStageMap(const std::vector<TestStage>& stages) {
  std::vector<std::uint8_t> out;
  PutI32(out, static_cast<std::int32_t>(stages.size()));
  for (std::size_t n = 0; n < stages.size(); ++n) {
    PutI32(out, static_cast<std::int32_t>(n + 1));
    for (const auto& row : stages[n].walls) {
      for (std::int32_t cell : row) {
        PutI32(out, cell);
      }
    }
    for (const auto& row : stages[n].dots) {
      for (std::int32_t cell : row) {
        PutI32(out, cell);
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeStageScript(const std::vector<TestStage>& stages) {
  // Five names of 11 bytes in all keep each record at 65 bytes.
  static const char* const kNames[5] = {"Pla", "G0", "G1", "G2", "G3"};
  std::vector<std::uint8_t> out;
  PutI32(out, static_cast<std::int32_t>(stages.size()));
  for (std::size_t n = 0; n < stages.size(); ++n) {
    PutI32(out, static_cast<std::int32_t>(n + 1));
    for (int actor = 0; actor < 5; ++actor) {
      const std::string name = kNames[actor];
      const StageCell cell = actor == 0 ? stages[n].player : stages[n].ghosts[actor - 1];
      out.push_back(static_cast<std::uint8_t>(name.size()));
      out.insert(out.end(), name.begin(), name.end());
      out.push_back(0);
      PutI32(out, cell.column);
      PutI32(out, cell.row);
    }
  }
  return out;
}

}  // namespace testsupport
