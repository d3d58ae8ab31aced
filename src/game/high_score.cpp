#include "game/high_score.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/game_vars.h"
#include "formats/little_endian.h"

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
    highScore = static_cast<std::int32_t>(formats::LoadLe32(bytes));
  }
  std::fclose(file);
}

// The new value goes to a temporary file beside the old one, reaches the
// disk, and only then takes the old one's name: a crash or a full disk
// leaves either the old file or the new one, never a truncated one.
void WriteHighScore() {
  unsigned char bytes[4];
  formats::StoreLe32(static_cast<std::uint32_t>(highScore), bytes);
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
