// The sound device and the effects loaded from WAV files into static
// buffers.
#pragma once

#include "platform/dsound.h"

// One loaded effect, or none when its load failed: requests on a missing
// effect do nothing. Release empties it, so it is never released twice.
class SoundEffect {
 public:
  SoundEffect() = default;
  explicit SoundEffect(IDirectSoundBuffer* buffer) : buffer_(buffer) {}

  void Play();
  void Rewind();
  void Release();
  bool Loaded() const { return buffer_ != nullptr; }
  IDirectSoundBuffer* buffer() const { return buffer_; }

 private:
  IDirectSoundBuffer* buffer_ = nullptr;
};

class SoundDevice {
 public:
  bool Open(HWND window);
  void Close();
  // An empty effect when the load fails or no device is open.
  SoundEffect LoadWave(const char* fileName);

  IDirectSound* device = nullptr;
};
