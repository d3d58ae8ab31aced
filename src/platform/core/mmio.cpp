// Buffered read-only multimedia file I/O: enough to walk RIFF chunks and
// copy a chunk's bytes through the I/O buffer. Every chunk is checked
// against its parent and the file's size before anything is read from it.
#include "platform/mmio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/file_places.h"

struct MmioFile {
  int fd = -1;
  long long size = 0;
  long long position = 0;
  std::vector<char> buffer;
  long long bufferOffset = 0;  // file offset of buffer[0]
  long long bufferLength = 0;  // bytes of the file held from there
};

namespace {

constexpr std::size_t kBufferBytes = 8192;
constexpr long long kLargestFile = 0x7FFFFFFF;  // positions must fit a LONG

// Reads up to count bytes at offset; -1 on an error.
long long ReadAt(int fd, char* out, long long count, long long offset) {
  long long done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd, out + done, static_cast<std::size_t>(count - done), offset + done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

// Loads the buffer with the file's bytes from offset on; false on an error.
bool FillBuffer(MmioFile& file, long long offset) {
  const long long want = std::min<long long>(static_cast<long long>(file.buffer.size()), file.size - offset);
  const long long got = want > 0 ? ReadAt(file.fd, file.buffer.data(), want, offset) : 0;
  file.bufferOffset = offset;
  file.bufferLength = got < 0 ? 0 : got;
  return got >= 0;
}

bool BufferHolds(const MmioFile& file, long long offset) {
  return offset >= file.bufferOffset && offset < file.bufferOffset + file.bufferLength;
}

// Reads at the current position through the buffer; -1 on an error.
long long ReadFromPosition(MmioFile& file, char* out, long long count) {
  count = std::min(count, file.size - file.position);
  long long done = 0;
  while (done < count) {
    if (BufferHolds(file, file.position)) {
      const long long start = file.position - file.bufferOffset;
      const long long take = std::min(count - done, file.bufferLength - start);
      std::memcpy(out + done, file.buffer.data() + start, static_cast<std::size_t>(take));
      done += take;
      file.position += take;
    } else if (count - done >= static_cast<long long>(file.buffer.size())) {
      const long long got = ReadAt(file.fd, out + done, count - done, file.position);
      if (got < 0) return -1;
      if (got == 0) break;
      done += got;
      file.position += got;
    } else {
      if (!FillBuffer(file, file.position)) return -1;
      if (file.bufferLength == 0) break;
    }
  }
  return done;
}

DWORD LittleEndian32(const unsigned char* bytes) {
  return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
         (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

// Reads 4-byte values at offset without moving the position.
bool PeekWords(MmioFile& file, long long offset, DWORD* words, int count) {
  unsigned char bytes[12];
  const long long saved = file.position;
  file.position = offset;
  const long long want = 4LL * count;
  const long long got = ReadFromPosition(file, reinterpret_cast<char*>(bytes), want);
  file.position = saved;
  if (got != want) return false;
  for (int i = 0; i < count; ++i) words[i] = LittleEndian32(bytes + 4 * i);
  return true;
}

bool InfoMatches(const MmioFile& file, const MMIOINFO& info) {
  if (info.pchBuffer != file.buffer.data() || info.lBufOffset != file.bufferOffset) return false;
  return info.pchNext >= info.pchBuffer && info.pchNext <= info.pchBuffer + file.bufferLength;
}

void DescribeBuffer(MmioFile& file, MMIOINFO* info) {
  char* const base = file.buffer.data();
  info->dwFlags = MMIO_READ | MMIO_ALLOCBUF;
  info->wErrorRet = MMSYSERR_NOERROR;
  info->cchBuffer = static_cast<LONG>(file.buffer.size());
  info->pchBuffer = base;
  info->pchNext = base + (file.position - file.bufferOffset);
  info->pchEndRead = base + file.bufferLength;
  info->pchEndWrite = base + file.buffer.size();
  info->lBufOffset = static_cast<LONG>(file.bufferOffset);
  info->lDiskOffset = static_cast<LONG>(file.bufferOffset + file.bufferLength);
  info->hmmio = &file;
}

constexpr FOURCC kRiff = formats::kRiffChunk;
constexpr FOURCC kList = mmioFOURCC('L', 'I', 'S', 'T');

}  // namespace

HMMIO mmioOpenA(const char* fileName, MMIOINFO* info, DWORD flags) {
  platform::EnterCall();
  auto fail = [info](MMRESULT code) -> HMMIO {
    if (info != nullptr) info->wErrorRet = code;
    return nullptr;
  };
  if (fileName == nullptr) return fail(MMSYSERR_INVALPARAM);
  if ((flags & ~MMIO_ALLOCBUF) != MMIO_READ) return fail(MMSYSERR_INVALFLAG);  // reading only
  const std::string path = platform::InDataFolder(fileName);
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return fail(MMIOERR_CANNOTREAD);
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kLargestFile) {
    ::close(fd);
    return fail(MMIOERR_INVALIDFILE);
  }
  auto* file = new (std::nothrow) MmioFile;
  if (file != nullptr) {
    try {
      file->buffer.resize(kBufferBytes);
    } catch (const std::bad_alloc&) {
      delete file;
      file = nullptr;
    }
  }
  if (file == nullptr) {
    ::close(fd);
    return fail(MMIOERR_CANNOTEXPAND);
  }
  file->fd = fd;
  file->size = status.st_size;
  if (info != nullptr) info->wErrorRet = MMSYSERR_NOERROR;
  return file;
}

MMRESULT mmioClose(HMMIO file, UINT /*flags*/) {
  platform::EnterCall();
  if (file == nullptr) return MMSYSERR_INVALHANDLE;
  ::close(file->fd);
  delete file;
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO file, char* buffer, LONG count) {
  platform::EnterCall();
  if (file == nullptr || count < 0 || (buffer == nullptr && count > 0)) return -1;
  return static_cast<LONG>(ReadFromPosition(*file, buffer, count));
}

LONG mmioSeek(HMMIO file, LONG offset, int origin) {
  platform::EnterCall();
  if (file == nullptr) return -1;
  long long base;
  switch (origin) {
    case SEEK_SET_MMIO:
      base = 0;
      break;
    case SEEK_CUR_MMIO:
      base = file->position;
      break;
    case SEEK_END_MMIO:
      base = file->size;
      break;
    default:
      return -1;
  }
  const long long target = base + offset;
  if (target < 0 || target > file->size) return -1;
  file->position = target;
  return static_cast<LONG>(target);
}

MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags) {
  platform::EnterCall();
  if (file == nullptr || chunk == nullptr) return MMSYSERR_INVALPARAM;
  const UINT find = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
  if (find != 0 && find != MMIO_FINDCHUNK && find != MMIO_FINDRIFF && find != MMIO_FINDLIST) {
    return MMSYSERR_INVALFLAG;
  }

  // The search stays inside the parent's data and inside the file.
  long long start = file->position;
  long long end = file->size;
  if (parent != nullptr) {
    const long long parentStart = parent->dwDataOffset;
    end = std::min(end, parentStart + static_cast<long long>(parent->cksize));
    if (start < parentStart || start > end) return MMIOERR_CHUNKNOTFOUND;
  } else if (find == MMIO_FINDRIFF) {
    start = 0;  // a RIFF form stands at the top of the file
  }

  for (long long at = start;;) {
    if (at + 8 > end) return MMIOERR_CHUNKNOTFOUND;  // no room even for a header
    DWORD header[2];
    if (!PeekWords(*file, at, header, 2)) return MMIOERR_CANNOTREAD;
    const long long dataStart = at + 8;
    const long long chunkEnd = dataStart + header[1];
    if (chunkEnd > end) return MMIOERR_INVALIDFILE;  // runs past its parent or the file
    const bool isForm = header[0] == kRiff || header[0] == kList;
    DWORD formType = 0;
    if (isForm) {
      if (header[1] < 4) return MMIOERR_INVALIDFILE;
      if (!PeekWords(*file, dataStart, &formType, 1)) return MMIOERR_CANNOTREAD;
    }
    bool match;
    switch (find) {
      case MMIO_FINDCHUNK:
        match = header[0] == chunk->ckid;
        break;
      case MMIO_FINDRIFF:
        match = header[0] == kRiff && formType == chunk->fccType;
        break;
      case MMIO_FINDLIST:
        match = header[0] == kList && formType == chunk->fccType;
        break;
      default:
        match = true;
        break;
    }
    if (match) {
      chunk->ckid = header[0];
      chunk->cksize = header[1];
      chunk->fccType = formType;
      chunk->dwDataOffset = static_cast<DWORD>(dataStart);
      chunk->dwFlags = 0;
      file->position = isForm ? dataStart + 4 : dataStart;
      return MMSYSERR_NOERROR;
    }
    if (find == 0) return MMIOERR_CHUNKNOTFOUND;
    at = chunkEnd + (header[1] & 1);
  }
}

MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT /*flags*/) {
  platform::EnterCall();
  if (file == nullptr || chunk == nullptr) return MMSYSERR_INVALPARAM;
  long long end = static_cast<long long>(chunk->dwDataOffset) + chunk->cksize;
  if (end > file->size) return MMIOERR_CANNOTSEEK;
  // A pad byte missing at the very end of the file is forgiven.
  if ((chunk->cksize & 1) != 0 && end < file->size) ++end;
  file->position = end;
  return MMSYSERR_NOERROR;
}

MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT /*flags*/) {
  platform::EnterCall();
  if (file == nullptr || info == nullptr) return MMSYSERR_INVALPARAM;
  if (!BufferHolds(*file, file->position) && !FillBuffer(*file, file->position)) return MMIOERR_CANNOTREAD;
  DescribeBuffer(*file, info);
  return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT /*flags*/) {
  platform::EnterCall();
  if (file == nullptr || info == nullptr || !InfoMatches(*file, *info)) return MMSYSERR_INVALPARAM;
  file->position = file->bufferOffset + (info->pchNext - info->pchBuffer);
  return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags) {
  platform::EnterCall();
  if (file == nullptr || info == nullptr) return MMSYSERR_INVALPARAM;
  if (flags != MMIO_READ) return MMSYSERR_INVALFLAG;
  if (!InfoMatches(*file, *info)) return MMSYSERR_INVALPARAM;
  file->position = file->bufferOffset + (info->pchNext - info->pchBuffer);
  if (!FillBuffer(*file, file->position)) return MMIOERR_CANNOTREAD;
  DescribeBuffer(*file, info);
  return MMSYSERR_NOERROR;
}
