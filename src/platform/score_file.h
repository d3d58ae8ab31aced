// The best score kept between runs: a file of four little-endian bytes,
// read whole and replaced whole, in the state folder (platform/file_places.h).
// The store never loses a best score: every save keeps the larger of the
// game's value and the file's, and a file it cannot read is never replaced.
#pragma once

#include <cstdint>

namespace platform {

// The value stored in the named file; 0 when it is shorter than four bytes.
// A missing file gives the value of the file of that name in the data folder
// (where older copies of the game kept it), or 0. A file that exists but
// cannot be read, or is no regular file (a folder, a FIFO, a device), gives 0
// and is reported once on stderr; saves then leave it as it is. Never blocks.
std::int32_t ReadScoreFile(const char* fileName);

// Saves the value, or keeps the file's when that is larger. Under an
// exclusive lock (a file of the same name with ".lock" added, beside it) the
// file is read again and the larger value goes to a new file in the same
// folder, which takes over the name only once it is on the disk: a crash, a
// full disk or another copy of the game saving at the same time leaves
// either the old file or the new one, never a damaged one and never a lower
// value. A symbolic link is followed and the file it names is replaced.
// Temporary files that killed saves left behind are removed. True when the
// file holds at least the value afterwards; otherwise one line naming the
// file and the reason goes to stderr (the same line only once a run).
bool WriteScoreFile(const char* fileName, std::int32_t value);

// Whether a save of this run has failed (ResetCore forgets), so that the
// program can end with a status that says the best score was not kept:
// kScoreNotSavedExitCode instead of 0. Backend::EndProcess does so itself.
bool ScoreSaveFailed();
inline constexpr int kScoreNotSavedExitCode = 74;

}  // namespace platform
