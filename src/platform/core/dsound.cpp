// The sound device and its static buffers over the mixer. Every change to
// the mixer's state is made under the back end's audio lock, and every
// create, play, rewind and release is reported to the back end.
#include "platform/dsound.h"

#include <new>

#include "platform/backend.h"
#include "platform/core/core_internal.h"
#include "platform/mixer.h"

namespace {

constexpr int kDefaultOutputRate = 44100;

class AudioLock {
 public:
  AudioLock() : backend_(platform::CurrentBackend()) { backend_.LockAudio(); }
  ~AudioLock() { backend_.UnlockAudio(); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;

 private:
  platform::Backend& backend_;
};

void Report(platform::SoundCall::Op op, int bufferId, std::uint32_t bytes) {
  platform::CurrentBackend().RecordSoundCall({op, bufferId, bytes});
}

bool AcceptedFormat(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
  if (format.nChannels != 1 && format.nChannels != 2) return false;
  if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
  if (format.nSamplesPerSec < 4000 || format.nSamplesPerSec > 48000) return false;
  return format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8;
}

}  // namespace

HRESULT DirectSoundCreate(GUID* /*device*/, IDirectSound** directSound, IUnknown* outer) {
  platform::Backend& backend = platform::EnterCall();
  if (directSound == nullptr) return DSERR_INVALIDPARAM;
  *directSound = nullptr;
  if (outer != nullptr) return DSERR_INVALIDPARAM;
  std::shared_ptr<platform::Mixer> mixer;
  try {
    mixer = std::make_shared<platform::Mixer>(kDefaultOutputRate);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  if (!backend.OpenAudio(*mixer)) return DSERR_NODRIVER;
  *directSound = new (std::nothrow) IDirectSound(mixer, platform::CoreGeneration());
  if (*directSound == nullptr) {
    backend.CloseAudio();
    return DSERR_OUTOFMEMORY;
  }
  return DS_OK;
}

IDirectSound::IDirectSound(std::shared_ptr<platform::Mixer> mixer, std::uint32_t coreGeneration)
    : mixer_(std::move(mixer)), coreGeneration_(coreGeneration) {}

HRESULT IDirectSound::SetCooperativeLevel(HWND /*window*/, DWORD level) {
  platform::EnterCall();
  return level >= DSSCL_NORMAL && level <= 3 ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                        IUnknown* outer) {
  platform::EnterCall();
  if (buffer == nullptr) return DSERR_INVALIDPARAM;
  *buffer = nullptr;
  if (desc == nullptr || outer != nullptr || desc->lpwfxFormat == nullptr) return DSERR_INVALIDPARAM;
  // Only what the game needs: static one-shot buffers, no volume, pan or
  // frequency control, and never an empty one.
  if (desc->dwFlags != DSBCAPS_STATIC) return DSERR_INVALIDPARAM;
  if (desc->dwBufferBytes < 1 || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
  if (!AcceptedFormat(*desc->lpwfxFormat)) return DSERR_BADFORMAT;
  try {
    std::shared_ptr<platform::Voice> voice;
    {
      AudioLock lock;
      voice = mixer_->CreateVoice(*desc->lpwfxFormat, desc->dwBufferBytes);
    }
    *buffer = new IDirectSoundBuffer(mixer_, voice);
    Report(platform::SoundCall::Op::Create, voice->id(), desc->dwBufferBytes);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  return DS_OK;
}

ULONG IDirectSound::Release() {
  platform::Backend& backend = platform::EnterCall();
  const ULONG left = --refs_;
  if (left == 0) {
    // A back end installed since the device opened never had it open.
    if (coreGeneration_ == platform::CoreGeneration()) backend.CloseAudio();
    delete this;
  }
  return left;
}

IDirectSoundBuffer::IDirectSoundBuffer(std::shared_ptr<platform::Mixer> mixer,
                                       std::shared_ptr<platform::Voice> voice)
    : mixer_(std::move(mixer)), voice_(std::move(voice)) {}

IDirectSoundBuffer::~IDirectSoundBuffer() = default;

HRESULT IDirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second,
                                 DWORD* secondBytes, DWORD flags) {
  platform::EnterCall();
  if (first == nullptr || firstBytes == nullptr) return DSERR_INVALIDPARAM;
  std::vector<std::uint8_t>& raw = voice_->raw();
  if ((flags & DSBLOCK_ENTIREBUFFER) != 0) offset = 0;
  if (offset >= raw.size()) return DSERR_INVALIDPARAM;
  const DWORD rest = static_cast<DWORD>(raw.size()) - offset;
  *first = raw.data() + offset;
  *firstBytes = (bytes == 0 || bytes > rest || (flags & DSBLOCK_ENTIREBUFFER) != 0) ? rest : bytes;
  if (second != nullptr) *second = nullptr;
  if (secondBytes != nullptr) *secondBytes = 0;
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void* /*first*/, DWORD /*firstBytes*/, void* /*second*/,
                                   DWORD /*secondBytes*/) {
  platform::EnterCall();
  try {
    AudioLock lock;
    mixer_->Convert(*voice_);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  return DS_OK;
}

HRESULT IDirectSoundBuffer::Play(DWORD /*reserved*/, DWORD /*priority*/, DWORD flags) {
  platform::EnterCall();
  Report(platform::SoundCall::Op::Play, voice_->id(), 0);
  if ((flags & DSBPLAY_LOOPING) != 0) return DSERR_INVALIDPARAM;
  AudioLock lock;
  mixer_->Play(*voice_);
  return DS_OK;
}

HRESULT IDirectSoundBuffer::SetCurrentPosition(DWORD position) {
  platform::EnterCall();
  Report(platform::SoundCall::Op::Rewind, voice_->id(), position);
  if (position > voice_->raw().size()) return DSERR_INVALIDPARAM;
  AudioLock lock;
  mixer_->Rewind(*voice_, position);
  return DS_OK;
}

ULONG IDirectSoundBuffer::Release() {
  platform::EnterCall();
  const ULONG left = --refs_;
  if (left == 0) {
    Report(platform::SoundCall::Op::Release, voice_->id(), 0);
    {
      AudioLock lock;
      mixer_->Release(*voice_);
    }
    delete this;
  }
  return left;
}

bool IDirectSoundBuffer::IsPlaying() const {
  AudioLock lock;
  return voice_->playing;
}

int IDirectSoundBuffer::Id() const { return voice_->id(); }
