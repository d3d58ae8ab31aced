#include "game/high_score.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "game/game_vars.h"

namespace {

constexpr char kFileName[] = "HighScore.sco";
constexpr char kTempPattern[] = "HighScore.sco.XXXXXX";

bool WriteAll(int fd, const unsigned char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = write(fd, bytes, count);
    if (written <= 0) {
      return false;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

void ReadHighScore() {
  // No file, a short one or one we cannot read: no best score yet.
  highScore = 0;
  std::FILE* file = std::fopen(kFileName, "rb");
  if (file == nullptr) {
    return;
  }
  unsigned char bytes[4];
  if (std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes) {
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    highScore = static_cast<std::int32_t>(value);
  }
  std::fclose(file);
}

// The new value goes to a temporary file beside the old one, reaches the
// disk, and only then takes the old one's name: a crash or a full disk
// leaves either the old file or the new one, never a truncated one.
void WriteHighScore() {
  const auto value = static_cast<std::uint32_t>(highScore);
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 24)};
  char tempName[sizeof kTempPattern];
  for (std::size_t i = 0; i < sizeof kTempPattern; ++i) {
    tempName[i] = kTempPattern[i];
  }
  const int fd = mkstemp(tempName);
  if (fd < 0) {
    return;
  }
  // mkstemp makes the file private; the score file is an ordinary one.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, bytes, sizeof bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(tempName, kFileName) != 0) {
    std::remove(tempName);
    return;
  }
  const int folder = open(".", O_RDONLY | O_DIRECTORY);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}
