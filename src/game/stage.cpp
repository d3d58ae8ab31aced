#include "game/stage.h"

#include <iterator>

#include "actors/actor.h"
#include "formats/little_endian.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "platform/win32.h"

MazeGrid maze{};

namespace {

constexpr long kCountBytes = formats::kStageCountBytes;

std::int32_t Wrap(std::int32_t value, std::int32_t size) {
  const std::int32_t rest = value % size;
  return rest < 0 ? rest + size : rest;
}

// How many bytes came; a failed read counts as none.
UINT ReadBytes(HFILE file, void* buffer, UINT count) {
  const UINT got = _lread(file, buffer, count);
  return got == static_cast<UINT>(HFILE_ERROR) ? 0 : got;
}

bool ReadInt(HFILE file, std::int32_t& value) {
  unsigned char bytes[4];
  if (ReadBytes(file, bytes, sizeof bytes) != sizeof bytes) {
    return false;
  }
  value = static_cast<std::int32_t>(formats::LoadLe32(bytes));
  return true;
}

bool ReadByte(HFILE file, unsigned char& value) { return ReadBytes(file, &value, 1) == 1; }

// Fills cells in order for as many whole values as the file still holds;
// the rest keep what they had.
bool ReadCells(HFILE file, std::int32_t (&cells)[kMazeRows][kMazeColumns]) {
  unsigned char bytes[kMazeRows * kMazeColumns * 4];
  const UINT got = ReadBytes(file, bytes, sizeof bytes);
  std::int32_t* flat = &cells[0][0];
  for (UINT i = 0; i < got / 4; ++i) {
    flat[i] = static_cast<std::int32_t>(formats::LoadLe32(bytes + 4 * i));
  }
  return got == sizeof bytes;
}

// Opens a stage file and positions it at the record of the stage, or gives
// HFILE_ERROR when the file is missing or holds no such record.
HFILE OpenRecord(const char* name, std::int32_t stage, long recordBytes) {
  const HFILE file = _lopen(name, OF_READ);
  if (file == HFILE_ERROR) {
    return HFILE_ERROR;
  }
  std::int32_t count = 0;
  // A record past 2 GB lies beyond any stage file: there is none to read.
  const long long offset = kCountBytes + (static_cast<long long>(stage) - 1) * recordBytes;
  if (!ReadInt(file, count) || stage < 1 || stage > count || offset > 0x7FFFFFFF ||
      _llseek(file, static_cast<LONG>(offset), FILE_BEGIN) == HFILE_ERROR) {
    _lclose(file);
    return HFILE_ERROR;
  }
  return file;
}

// One actor entry of a script record. The name is read into its 20 bytes;
// a longer name is skipped, never stored. Fields the file no longer holds
// keep the actor's previous values.
bool ReadActorEntry(HFILE file, Actor& actor) {
  unsigned char nameLength = 0;
  if (!ReadByte(file, nameLength)) {
    return false;
  }
  char name[formats::kActorNameCapacity];
  const std::size_t stored =
      nameLength < formats::kActorNameCapacity ? nameLength : formats::kActorNameCapacity;
  if (ReadBytes(file, name, static_cast<UINT>(stored)) != stored) {
    return false;
  }
  unsigned char skipped = 0;
  for (int i = formats::kActorNameCapacity; i < nameLength; ++i) {
    if (!ReadByte(file, skipped)) {
      return false;
    }
  }
  if (!ReadByte(file, skipped)) {
    return false;
  }
  std::int32_t column = 0;
  if (!ReadInt(file, column)) {
    return false;
  }
  actor.x = kCellSize * Wrap(column, kMazeColumns);
  actor.homeX = actor.x;
  std::int32_t row = 0;
  if (!ReadInt(file, row)) {
    return false;
  }
  actor.y = kCellSize * Wrap(row, kMazeRows);
  actor.homeY = actor.y;
  return true;
}

void ResetGhostsAndAnimations() {
  const std::uint32_t now = timeGetTime();
  for (Actor& ghost : ghosts) {
    ghost.SetAnimation(2, 100);
    ghost.state = Wander;
    ghost.modeStart = now;
    ghost.direction = Right;
  }
}

}  // namespace

std::int32_t WallAt(std::int32_t row, std::int32_t column) {
  return maze.walls[Wrap(row, kMazeRows)][Wrap(column, kMazeColumns)];
}

bool OpenAtPixel(std::int32_t px, std::int32_t py) { return WallAt(py / kCellSize, px / kCellSize) == 0; }

void ReadStageMap(std::int32_t stage) {
  const HFILE file = OpenRecord(formats::kStageMapFile, stage, formats::kMapRecordBytes);
  if (file == HFILE_ERROR) {
    return;
  }
  std::int32_t recordNumber = 0;
  if (ReadInt(file, recordNumber)) {
    stageNumber = recordNumber;
    if (ReadCells(file, maze.walls)) {
      ReadCells(file, maze.dots);
    }
  }
  _lclose(file);
}

void ReadStageScript(std::int32_t stage) {
  const HFILE file = OpenRecord(formats::kStageScriptFile, stage, formats::kScriptRecordBytes);
  if (file == HFILE_ERROR) {
    return;
  }
  std::int32_t unused = 0;
  if (ReadInt(file, unused)) {
    Actor* const actors[] = {&player, &ghosts[0], &ghosts[1], &ghosts[2], &ghosts[3]};
    static_assert(std::size(actors) == formats::kStageActors);
    for (Actor* actor : actors) {
      if (!ReadActorEntry(file, *actor)) {
        break;
      }
    }
  }
  _lclose(file);
}

void StartStage() {
  ReadStageMap(stageNumber);
  ReadStageScript(stageNumber);
  ResetGhostsAndAnimations();
  player.state = Playing;
  player.SetAnimation(3, 100);
  moveStep = 1;
  dotCount = 0;
  for (const auto& row : maze.dots) {
    for (const std::int32_t cell : row) {
      if (cell != NoDot) {
        ++dotCount;
      }
    }
  }
}

void RestartActors() {
  ReadStageScript(stageNumber);
  ResetGhostsAndAnimations();
  player.SetAnimation(3, 100);
}
