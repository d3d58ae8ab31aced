#include "platform/core/file_writing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// Writes the bytes to a new file that takes the temporary name only once
// they are on the disk; an unnamed file is linked in at the end.
bool WriteTemp(const std::string& folder, const std::string& temp, const void* bytes, std::size_t count,
               mode_t mode, bool unnamed, std::string& reason) {
  const int fd = unnamed
                     ? OpenRetrying(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                     : OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes, count) && ::fsync(fd) == 0;
  if (ok && unnamed && ::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH) != 0) {
    // Linking by descriptor needs a privilege; its /proc name does not.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    ok = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
  }
  if (!ok) reason = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (!ok && !unnamed) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAll(int fd, const void* bytes, std::size_t count) {
  const auto* next = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t written = ::write(fd, next, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    next += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool ReplaceWhole(const std::string& folder, const std::string& target, const void* bytes, std::size_t count,
                  mode_t mode, std::string& reason) {
  const std::string temp = target + kTempInfix + std::to_string(::getpid());
  // A full disk or a shut folder fails the second way just as the first.
  if (!WriteTemp(folder, temp, bytes, count, mode, true, reason) &&
      !WriteTemp(folder, temp, bytes, count, mode, false, reason)) {
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    reason = std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  const int folderFd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
}

}  // namespace platform
