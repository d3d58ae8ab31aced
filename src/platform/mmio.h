// Buffered multimedia file I/O, the subset that walks a WAV file's RIFF
// chunks. Every call stays inside the file: a chunk that runs past its
// parent or past the end of the file, a truncated header or a seek past the
// end is a failure result, never a read outside the file or the buffer.
#pragma once

#include "formats/wave_file.h"
#include "platform/win32.h"

using FOURCC = DWORD;
using MMRESULT = UINT;
using HMMIO = struct MmioFile*;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) { return formats::FourCc(a, b, c, d); }

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
inline constexpr MMRESULT MMIOERR_CANNOTREAD = 259;
inline constexpr MMRESULT MMIOERR_CANNOTSEEK = 261;
inline constexpr MMRESULT MMIOERR_CANNOTEXPAND = 264;
inline constexpr MMRESULT MMIOERR_INVALIDFILE = 266;

inline constexpr DWORD MMIO_READ = 0x00000000;
inline constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
inline constexpr UINT MMIO_FINDCHUNK = 0x0010;
inline constexpr UINT MMIO_FINDRIFF = 0x0020;
inline constexpr UINT MMIO_FINDLIST = 0x0040;
inline constexpr DWORD MMIO_DIRTY = 0x10000000;

inline constexpr int SEEK_SET_MMIO = 0;  // same values as the C library's
inline constexpr int SEEK_CUR_MMIO = 1;
inline constexpr int SEEK_END_MMIO = 2;

struct MMCKINFO {
  FOURCC ckid;
  DWORD cksize;
  FOURCC fccType;
  DWORD dwDataOffset;
  DWORD dwFlags;
};

// The file's I/O buffer as mmioGetInfo hands it out: bytes from pchNext up
// to pchEndRead are the file's, from file offset lBufOffset + (pchNext -
// pchBuffer) on.
struct MMIOINFO {
  DWORD dwFlags;
  UINT wErrorRet;
  LONG cchBuffer;
  char* pchBuffer;
  char* pchNext;
  char* pchEndRead;
  char* pchEndWrite;
  LONG lBufOffset;
  LONG lDiskOffset;
  HMMIO hmmio;
};

// Opens for reading; nullptr when the file cannot be opened.
HMMIO mmioOpenA(const char* fileName, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO file, UINT flags);
// Reads up to count bytes; -1 on error. At the end of the file it reads fewer.
LONG mmioRead(HMMIO file, char* buffer, LONG count);
// Returns the new position, or -1 when the position would lie outside the file.
LONG mmioSeek(HMMIO file, LONG offset, int origin);
// MMIO_FINDRIFF: the RIFF chunk whose form type is chunk->fccType.
// MMIO_FINDCHUNK: the chunk whose id is chunk->ckid, searched from the
// current position to the end of the parent. On success the position is at
// the chunk's data and dwDataOffset says where that is.
MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags);
// Moves to the end of the chunk, past its pad byte when the size is odd.
MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT flags);
MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT flags);
MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT flags);
// MMIO_READ: refills the buffer from the position info->pchNext stands at.
// At the end of the file pchEndRead == pchNext afterwards.
MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags);
