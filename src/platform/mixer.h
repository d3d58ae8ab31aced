// Mixes the playing sound buffers into the device's stream: interleaved
// stereo 16-bit samples at the device's rate, summed, scaled by the
// player's volume and clipped.
// Every call but outputRate() must be made under the back end's audio lock
// (Backend::LockAudio), as Mix runs on the device's own thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32.h"

struct WAVEFORMATEX;

namespace platform {

// One static buffer: the bytes as the game wrote them, and the same sound
// converted once to the device's format.
class Voice {
 public:
  Voice(int id, const WAVEFORMATEX& format, std::uint32_t bytes);

  int id() const { return id_; }
  std::vector<std::uint8_t>& raw() { return raw_; }
  const std::vector<std::int16_t>& converted() const { return converted_; }

  bool playing = false;
  bool released = false;
  std::size_t position = 0;  // in device frames

 private:
  friend class Mixer;
  int id_;
  WORD channels_;
  DWORD rate_;
  WORD bits_;
  std::vector<std::uint8_t> raw_;
  std::vector<std::int16_t> converted_;  // stereo frames at the device rate
};

class Mixer {
 public:
  explicit Mixer(int outputRate);

  int outputRate() const { return outputRate_; }
  // The back end sets the rate its device opened with, before any voice exists.
  void SetOutputRate(int rate) { outputRate_ = rate; }
  std::shared_ptr<Voice> CreateVoice(const WAVEFORMATEX& format, std::uint32_t bytes);
  // Converts the voice's raw bytes to the device's format (exact length:
  // frames x outputRate / inputRate, rounded down).
  void Convert(Voice& voice);
  void Play(Voice& voice);
  void Rewind(Voice& voice, std::uint32_t bytePosition);
  void Release(Voice& voice);
  // Writes the sum of every playing voice into out (frames stereo frames),
  // times volume / kFullVolume, clipped to 16 bits; silence when nothing
  // plays. A voice that reaches its end stops there.
  void Mix(std::int16_t* out, int frames);
  // The player's volume in tenths: 0 (silent, as muted) to kFullVolume
  // (the plain sum); values outside are held to that range.
  static constexpr int kFullVolume = 10;
  void SetVolume(int tenths);
  int volume() const { return volume_; }
  int PlayingCount() const;

 private:
  int outputRate_;
  int volume_ = kFullVolume;
  int nextId_ = 1;
  std::vector<std::shared_ptr<Voice>> voices_;
};

}  // namespace platform
