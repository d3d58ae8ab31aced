#include "sound/sound_device.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "formats/wave_file.h"
#include "platform/mmio.h"
#include "sound/wave_format.h"

namespace {

using formats::kExtraSizeBytes;
using formats::kPcmRecordBytes;

bool ReadExactly(HMMIO file, void* out, DWORD count) {
  return mmioRead(file, static_cast<char*>(out), static_cast<LONG>(count)) == static_cast<LONG>(count);
}

// Copies count bytes of the file, from where it stands, through the file's
// own I/O buffer. False when the file ends first or a refill fails.
bool CopyThroughIoBuffer(HMMIO file, std::uint8_t* out, DWORD count) {
  MMIOINFO info{};
  if (mmioGetInfo(file, &info, 0) != MMSYSERR_NOERROR) {
    return false;
  }
  bool complete = true;
  while (count > 0) {
    if (info.pchNext >= info.pchEndRead) {
      if (mmioAdvance(file, &info, MMIO_READ) != MMSYSERR_NOERROR || info.pchNext >= info.pchEndRead) {
        complete = false;
        break;
      }
    }
    const DWORD available = static_cast<DWORD>(info.pchEndRead - info.pchNext);
    const DWORD take = std::min(available, count);
    std::memcpy(out, info.pchNext, take);
    out += take;
    info.pchNext += take;
    count -= take;
  }
  // The buffer goes back to the file either way.
  const bool handedBack = mmioSetInfo(file, &info, 0) == MMSYSERR_NOERROR;
  return complete && handedBack;
}

// Everything of a load between opening and closing the file, which the
// caller does.
IDirectSoundBuffer* LoadOpenWave(IDirectSound* device, HMMIO file) {
  MMCKINFO riff{};
  riff.fccType = formats::kWaveForm;
  if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
    return nullptr;
  }
  WaveFormatRecord record;
  if (!ReadWaveFormat(file, riff, record)) {
    return nullptr;
  }
  // "data" may stand before "fmt ": search again from the first sub-chunk.
  if (mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET_MMIO) == -1) {
    return nullptr;
  }
  MMCKINFO data{};
  data.ckid = formats::kDataChunk;
  if (mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
    return nullptr;
  }

  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DSBCAPS_STATIC;
  desc.dwBufferBytes = data.cksize;
  desc.dwReserved = 0;
  desc.lpwfxFormat = record.format();
  IDirectSoundBuffer* buffer = nullptr;
  const HRESULT created = device->CreateSoundBuffer(&desc, &buffer, nullptr);
  record.bytes.reset();
  if (created != DS_OK || buffer == nullptr) {
    return nullptr;
  }

  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0;
  DWORD secondBytes = 0;
  if (buffer->Lock(0, data.cksize, &first, &firstBytes, &second, &secondBytes, 0) != DS_OK) {
    buffer->Release();
    return nullptr;
  }
  const DWORD count = first == nullptr ? 0 : std::min(firstBytes, data.cksize);
  const bool copied = CopyThroughIoBuffer(file, static_cast<std::uint8_t*>(first), count);
  buffer->Unlock(first, firstBytes, second, secondBytes);
  if (!copied) {
    buffer->Release();
    return nullptr;
  }
  return buffer;
}

}  // namespace

bool ReadWaveFormat(HMMIO file, const MMCKINFO& riff, WaveFormatRecord& record) {
  MMCKINFO chunk{};
  chunk.ckid = formats::kFormatChunk;
  if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR ||
      chunk.cksize < kPcmRecordBytes) {
    return false;
  }
  std::uint8_t pcmPart[kPcmRecordBytes];
  if (!ReadExactly(file, pcmPart, kPcmRecordBytes)) {
    return false;
  }
  WORD formatTag = 0;
  std::memcpy(&formatTag, pcmPart, sizeof(formatTag));

  // PCM carries no extra bytes, whatever else its chunk holds.
  WORD extraSize = 0;
  if (formatTag != WAVE_FORMAT_PCM) {
    if (chunk.cksize < kPcmRecordBytes + kExtraSizeBytes || !ReadExactly(file, &extraSize, kExtraSizeBytes)) {
      return false;
    }
    // Extra bytes the chunk does not hold would come from the next chunk.
    if (extraSize > chunk.cksize - kPcmRecordBytes - kExtraSizeBytes) {
      return false;
    }
  }

  record.size = sizeof(WAVEFORMATEX) + extraSize;
  record.bytes.reset(new (std::nothrow) std::uint8_t[record.size]);
  if (!record.bytes) {
    record.size = 0;
    return false;
  }
  std::memcpy(record.bytes.get(), pcmPart, kPcmRecordBytes);
  std::memcpy(record.bytes.get() + kPcmRecordBytes, &extraSize, sizeof(extraSize));
  if (extraSize > 0 && !ReadExactly(file, record.bytes.get() + sizeof(WAVEFORMATEX), extraSize)) {
    record.bytes.reset();
    record.size = 0;
    return false;
  }
  // Where the file stands afterwards does not matter: the caller seeks.
  mmioAscend(file, &chunk, 0);
  return true;
}

void SoundEffect::Play() {
  if (buffer_ != nullptr) {
    buffer_->Play(0, 0, 0);
  }
}

void SoundEffect::Rewind() {
  if (buffer_ != nullptr) {
    buffer_->SetCurrentPosition(0);
  }
}

void SoundEffect::Release() {
  if (buffer_ != nullptr) {
    buffer_->Release();
    buffer_ = nullptr;
  }
}

bool SoundDevice::Open(HWND window) {
  Close();
  IDirectSound* created = nullptr;
  if (DirectSoundCreate(nullptr, &created, nullptr) != DS_OK || created == nullptr) {
    return false;
  }
  // A device the game may not use stays closed: the run goes on silently.
  if (created->SetCooperativeLevel(window, DSSCL_PRIORITY) != DS_OK) {
    created->Release();
    return false;
  }
  device = created;
  return true;
}

void SoundDevice::Close() {
  if (device != nullptr) {
    device->Release();
    device = nullptr;
  }
}

SoundEffect SoundDevice::LoadWave(const char* fileName) {
  if (device == nullptr || fileName == nullptr) {
    return SoundEffect();
  }
  HMMIO file = mmioOpenA(fileName, nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) {
    return SoundEffect();
  }
  IDirectSoundBuffer* buffer = LoadOpenWave(device, file);
  mmioClose(file, 0);
  return SoundEffect(buffer);
}
