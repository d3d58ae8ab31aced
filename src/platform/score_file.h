// The best score kept between runs: a file of four little-endian bytes,
// read whole and replaced whole, in the state folder (platform/file_places.h).
#pragma once

#include <cstdint>

namespace platform {

// The value stored in the named file; 0 when it is missing, shorter than
// four bytes or cannot be read.
std::int32_t ReadScoreFile(const char* fileName);

// Replaces the file with the value. The new bytes go to a temporary file
// beside the old one and take over its name only once they are on the disk,
// so a crash or a full disk leaves either the old file or the new one, never
// a truncated one. False when the value could not be saved.
bool WriteScoreFile(const char* fileName, std::int32_t value);

}  // namespace platform
