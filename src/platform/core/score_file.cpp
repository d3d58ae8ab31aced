#include "platform/score_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/win32.h"

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

}  // namespace

std::int32_t ReadScoreFile(const char* fileName) {
  const HFILE file = _lopen(fileName, OF_READ);
  if (file == HFILE_ERROR) return 0;
  unsigned char bytes[4];
  const UINT got = _lread(file, bytes, sizeof bytes);
  _lclose(file);
  if (got != sizeof bytes) return 0;
  const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                              std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  return static_cast<std::int32_t>(value);
}

bool WriteScoreFile(const char* fileName, std::int32_t value) {
  EnterCall();
  if (fileName == nullptr) return false;
  const auto bits = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                  static_cast<unsigned char>(bits >> 16),
                                  static_cast<unsigned char>(bits >> 24)};
  std::string tempName = std::string(fileName) + ".XXXXXX";
  const int fd = ::mkstemp(tempName.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; the score file is an ordinary one.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, bytes, sizeof bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(tempName.c_str(), fileName) != 0) {
    std::remove(tempName.c_str());
    return false;
  }
  const std::string name(fileName);
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
}

}  // namespace platform
