// The low-level file calls over POSIX descriptors: read-only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/win32.h"

HFILE _lopen(const char* path, int mode) {
  platform::EnterCall();
  if (path == nullptr || mode != OF_READ) return HFILE_ERROR;
  const std::string resolved = platform::InDataFolder(path);
  int fd;
  // Non-blocking, so a FIFO under a data file's name cannot hang the open;
  // anything but a regular file is then refused.
  do {
    fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return HFILE_ERROR;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return HFILE_ERROR;
  }
  return fd;
}

// Reads until count bytes have come or the file ends; a short count means
// the end of the file.
UINT _lread(HFILE file, void* buffer, UINT count) {
  platform::EnterCall();
  if (file < 0 || (buffer == nullptr && count > 0)) return static_cast<UINT>(HFILE_ERROR);
  auto* out = static_cast<char*>(buffer);
  UINT done = 0;
  while (done < count) {
    const ssize_t got = ::read(file, out + done, count - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return static_cast<UINT>(HFILE_ERROR);
    }
    if (got == 0) break;
    done += static_cast<UINT>(got);
  }
  return done;
}

LONG _llseek(HFILE file, LONG offset, int origin) {
  platform::EnterCall();
  int whence = SEEK_SET;
  switch (origin) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      return HFILE_ERROR;
  }
  if (file < 0) return HFILE_ERROR;
  const off_t position = ::lseek(file, offset, whence);
  if (position < 0 || position > 0x7FFFFFFF) return HFILE_ERROR;
  return static_cast<LONG>(position);
}

HFILE _lclose(HFILE file) {
  platform::EnterCall();
  if (file < 0) return HFILE_ERROR;
  return ::close(file) == 0 ? 0 : HFILE_ERROR;
}
