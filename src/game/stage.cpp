#include "game/stage.h"

#include <cstdio>
#include <iterator>

#include "actors/actor.h"
#include "app/game_vars.h"
#include "app/globals.h"
#include "formats/little_endian.h"
#include "platform/win32.h"

MazeGrid maze{};

namespace {

constexpr long kCountBytes = formats::kStageCountBytes;

std::int32_t Wrap(std::int32_t value, std::int32_t size) {
  const std::int32_t rest = value % size;
  return rest < 0 ? rest + size : rest;
}

bool ReadInt(std::FILE* file, std::int32_t& value) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) {
    return false;
  }
  value = static_cast<std::int32_t>(formats::LoadLe32(bytes));
  return true;
}

bool ReadByte(std::FILE* file, unsigned char& value) { return std::fread(&value, 1, 1, file) == 1; }

// Fills cells in order for as many whole values as the file still holds;
// the rest keep what they had.
bool ReadCells(std::FILE* file, std::int32_t (&cells)[kMazeRows][kMazeColumns]) {
  unsigned char bytes[kMazeRows * kMazeColumns * 4];
  const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
  std::int32_t* flat = &cells[0][0];
  for (std::size_t i = 0; i < got / 4; ++i) {
    flat[i] = static_cast<std::int32_t>(formats::LoadLe32(bytes + 4 * i));
  }
  return got == sizeof bytes;
}

// Opens a stage file and positions it at the record of the stage, or gives
// nullptr when the file is missing or holds no such record.
std::FILE* OpenRecord(const char* name, std::int32_t stage, long recordBytes) {
  // Binary: the records are byte layouts, and no line-end translation may
  // touch them.
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) {
    return nullptr;
  }
  std::int32_t count = 0;
  if (!ReadInt(file, count) || stage < 1 || stage > count ||
      std::fseek(file, kCountBytes + (static_cast<long>(stage) - 1) * recordBytes, SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

// One actor entry of a script record. The name is read into its 20 bytes;
// a longer name is skipped, never stored. Fields the file no longer holds
// keep the actor's previous values.
bool ReadActorEntry(std::FILE* file, Actor& actor) {
  unsigned char nameLength = 0;
  if (!ReadByte(file, nameLength)) {
    return false;
  }
  char name[formats::kActorNameCapacity];
  const std::size_t stored =
      nameLength < formats::kActorNameCapacity ? nameLength : formats::kActorNameCapacity;
  if (std::fread(name, 1, stored, file) != stored) {
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
  std::FILE* file = OpenRecord(formats::kStageMapFile, stage, formats::kMapRecordBytes);
  if (file == nullptr) {
    return;
  }
  std::int32_t recordNumber = 0;
  if (ReadInt(file, recordNumber)) {
    stageNumber = recordNumber;
    if (ReadCells(file, maze.walls)) {
      ReadCells(file, maze.dots);
    }
  }
  std::fclose(file);
}

void ReadStageScript(std::int32_t stage) {
  std::FILE* file = OpenRecord(formats::kStageScriptFile, stage, formats::kScriptRecordBytes);
  if (file == nullptr) {
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
  std::fclose(file);
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
      if (cell != 0) {
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
