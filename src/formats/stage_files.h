// The two stage files. "StageData.map" holds the walls and dots of every
// stage, "StageData.scp" the start cells of its five actors. Each is a
// record count followed by one fixed-size record per stage; every integer
// is signed 32-bit little-endian.
#pragma once

#include <cstddef>

namespace formats {

inline constexpr char kStageMapFile[] = "StageData.map";
inline constexpr char kStageScriptFile[] = "StageData.scp";

// The maze: rows of columns of cells, each cell a square of pixels.
inline constexpr int kMazeRows = 18;
inline constexpr int kMazeColumns = 20;
inline constexpr int kCellSize = 13;

inline constexpr std::size_t kStageCountBytes = 4;

// A map record: the stage number, then the wall layer and the dot layer,
// row by row.
inline constexpr std::size_t kMapRecordBytes = 4 + 2 * kMazeRows * kMazeColumns * 4;  // 2884

// A script record: the stage number, then one entry per actor (the player,
// then ghosts 0 to 3): a name length, the name, a byte the game skips, the
// start column and the start row. The five names share 11 bytes, so every
// record has the same size.
inline constexpr int kStageActors = 5;
inline constexpr int kActorNameCapacity = 20;  // the longest name the game keeps
inline constexpr std::size_t kScriptNameBytes = 11;
inline constexpr std::size_t kScriptRecordBytes =
    4 + kStageActors * (1 + 1 + 4 + 4) + kScriptNameBytes;  // 65

}  // namespace formats
