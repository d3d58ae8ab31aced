// The low-level file calls over POSIX descriptors: read-only, in order.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/backend.h"
#include "platform/win32.h"

HFILE _lopen(const char* path, int mode) {
  platform::CurrentBackend().NoteCall();
  if (path == nullptr || mode != OF_READ) return HFILE_ERROR;
  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? HFILE_ERROR : fd;
}

// Reads until count bytes have come or the file ends; a short count means
// the end of the file.
UINT _lread(HFILE file, void* buffer, UINT count) {
  platform::CurrentBackend().NoteCall();
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

HFILE _lclose(HFILE file) {
  platform::CurrentBackend().NoteCall();
  if (file < 0) return HFILE_ERROR;
  return ::close(file) == 0 ? 0 : HFILE_ERROR;
}
