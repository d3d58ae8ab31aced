#include "platform/score_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/core/core_internal.h"
#include "platform/file_places.h"

namespace platform {
namespace {

bool WriteAll(int fd, const unsigned char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(fd, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// False with errno set when the file cannot be opened; a short file reads
// as 0.
bool ReadValue(const std::string& path, std::int32_t& value) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  unsigned char bytes[4];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  value = 0;
  if (got == sizeof bytes) {
    value = static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                      std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
  }
  return true;
}

}  // namespace

std::int32_t ReadStoredScore(const char* fileName) {
  EnterCall();
  if (fileName == nullptr || StateFolder().empty()) return 0;
  const std::string path = InFolder(StateFolder(), fileName);
  std::int32_t value = 0;
  if (ReadValue(path, value)) return value;
  // A score kept in the data folder by an older copy of the game starts the
  // player's own; the data folder itself is never written.
  if (errno == ENOENT && InDataFolder(fileName) != path) ReadValue(InDataFolder(fileName), value);
  return value;
}

bool WriteScoreFile(const char* fileName, std::int32_t value) {
  EnterCall();
  if (fileName == nullptr || StateFolder().empty()) return false;
  std::string reason;
  if (StateFolder() != "." && !MakeFolders(StateFolder(), reason)) return false;
  const std::string path = InFolder(StateFolder(), fileName);
  const auto bits = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                  static_cast<unsigned char>(bits >> 16),
                                  static_cast<unsigned char>(bits >> 24)};
  std::string tempName = path + ".XXXXXX";
  const int fd = ::mkstemp(tempName.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; the score file is an ordinary one.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, bytes, sizeof bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(tempName.c_str(), path.c_str()) != 0) {
    std::remove(tempName.c_str());
    return false;
  }
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  CurrentBackend().StateWritten();
  return true;
}

}  // namespace platform
