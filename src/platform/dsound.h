// The DirectSound subset the game plays its effects with: one output
// device and static one-shot buffers mixed together.
#pragma once

#include <cstdint>
#include <memory>

#include "formats/wave_file.h"
#include "platform/win32.h"

struct GUID;
struct IUnknown;

inline constexpr HRESULT DS_OK = 0;
inline constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064);
inline constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078);
inline constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);

inline constexpr DWORD DSSCL_NORMAL = 1;
inline constexpr DWORD DSSCL_PRIORITY = 2;

inline constexpr DWORD DSBCAPS_STATIC = 0x00000002;
inline constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
inline constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;
inline constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

inline constexpr WORD WAVE_FORMAT_PCM = formats::kPcmFormatTag;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  WAVEFORMATEX* lpwfxFormat;
};

namespace platform {
class Voice;
class Mixer;
}  // namespace platform

// A static buffer that keeps its own format and plays once per Play.
class IDirectSoundBuffer {
 public:
  // The buffer from offset on comes back as the first region (bytes of it,
  // or all of the rest when bytes is 0 or past the end); the second is
  // always empty, as nothing wraps.
  HRESULT Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes,
               DWORD flags);
  // The written samples are converted to the device's format here, once.
  HRESULT Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes);
  // Playing: goes on where it is. Played to its end: plays again from its
  // start. Looping is not offered.
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
  // On a playing buffer, playback goes on from the new position.
  HRESULT SetCurrentPosition(DWORD position);
  // Releasing a playing buffer silences it.
  ULONG Release();

  // For the platform and its tests.
  bool IsPlaying() const;
  int Id() const;

  IDirectSoundBuffer(std::shared_ptr<platform::Mixer> mixer, std::shared_ptr<platform::Voice> voice);
  ~IDirectSoundBuffer();
  IDirectSoundBuffer(const IDirectSoundBuffer&) = delete;
  IDirectSoundBuffer& operator=(const IDirectSoundBuffer&) = delete;

 private:
  // The mixer outlives the device object: a buffer may be released after it.
  std::shared_ptr<platform::Mixer> mixer_;
  std::shared_ptr<platform::Voice> voice_;
  ULONG refs_ = 1;
};

class IDirectSound {
 public:
  HRESULT SetCooperativeLevel(HWND window, DWORD level);
  // Accepts PCM, 8-bit unsigned or 16-bit signed, mono or stereo, 4000 to
  // 48000 Hz, a block align of channels x bytes per sample, flags exactly
  // DSBCAPS_STATIC and 1 to DSBSIZE_MAX bytes; refuses anything else.
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, IUnknown* outer);
  ULONG Release();

  IDirectSound(std::shared_ptr<platform::Mixer> mixer, std::uint32_t coreGeneration);
  IDirectSound(const IDirectSound&) = delete;
  IDirectSound& operator=(const IDirectSound&) = delete;

 private:
  std::shared_ptr<platform::Mixer> mixer_;
  std::uint32_t coreGeneration_;  // the back end that opened the device is current while this matches
  ULONG refs_ = 1;
};

// Fails (DSERR_NODRIVER) when the back end has no output device. Releasing
// the device closes the output; buffers still held stay valid but silent.
HRESULT DirectSoundCreate(GUID* device, IDirectSound** directSound, IUnknown* outer);
