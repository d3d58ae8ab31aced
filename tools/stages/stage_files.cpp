#include "stage_files.h"

namespace stages {
namespace {

bool WallAt(const Stage& stage, int row, int column) {
  if (row < 0 || row >= kMazeRows || column < 0 || column >= kMazeColumns) return false;
  return !stage.IsOpen(row, column);
}

std::int32_t DotValue(Cell cell) {
  if (cell == Cell::SmallDot) return 1;
  if (cell == Cell::LargeDot) return 2;
  return 0;
}

}  // namespace

std::int32_t WallPiece(const Stage& stage, int row, int column) {
  if (!WallAt(stage, row, column)) return 0;
  std::int32_t joins = 0;
  if (WallAt(stage, row - 1, column)) joins |= 1;
  if (WallAt(stage, row, column + 1)) joins |= 2;
  if (WallAt(stage, row + 1, column)) joins |= 4;
  if (WallAt(stage, row, column - 1)) joins |= 8;
  return 1 + joins;
}

namespace {

// One 32-bit value a cell, row by row.
template <class ValueAt>
void AppendEveryCell(tool::Bytes& out, ValueAt valueAt) {
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) tool::AppendI32(out, valueAt(row, column));
  }
}

// Both files: the count of stages, then each stage's number and the rest of
// its record.
template <class RecordBody>
tool::Bytes EncodeRecords(const std::vector<Stage>& stages, std::size_t recordBytes, RecordBody body) {
  tool::Bytes out;
  out.reserve(formats::kStageCountBytes + stages.size() * recordBytes);
  tool::AppendI32(out, static_cast<std::int32_t>(stages.size()));
  for (const Stage& stage : stages) {
    tool::AppendI32(out, stage.number);
    body(out, stage);
  }
  return out;
}

}  // namespace

tool::Bytes EncodeStageMap(const std::vector<Stage>& stages) {
  return EncodeRecords(stages, formats::kMapRecordBytes, [](tool::Bytes& out, const Stage& stage) {
    AppendEveryCell(out, [&](int row, int column) { return WallPiece(stage, row, column); });
    AppendEveryCell(out, [&](int row, int column) { return DotValue(stage.cells[row][column]); });
  });
}

tool::Bytes EncodeStageScript(const std::vector<Stage>& stages) {
  return EncodeRecords(stages, formats::kScriptRecordBytes, [](tool::Bytes& out, const Stage& stage) {
    for (int actor = 0; actor < kStageActors; ++actor) {
      const std::string& name = kActorNames[actor];
      tool::AppendU8(out, static_cast<std::uint8_t>(name.size()));
      tool::AppendText(out, name);
      tool::AppendU8(out, 0);  // unused by the game
      tool::AppendI32(out, stage.starts[actor].column);
      tool::AppendI32(out, stage.starts[actor].row);
    }
  });
}

}  // namespace stages
